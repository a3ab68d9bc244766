// The platform on Qt: starting another program, the texts of its dialogs, Qt's own dialogs in
// Russian, printing.
#include "Printing.h"
#include "QtPlatform.h"
#include "QtTranslation.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

// Runs `act` on the modal dialog that comes up next, once its event loop runs; then closes it.
void onNextDialog(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* dialog = QApplication::activeModalWidget();
        act(dialog);
        if (dialog)
            dialog->close();
    });
}

// While the next dialog waits: whether the labels quoting `quoted` look as they would in plain
// text (empty: no such label).
void checkNextDialog(const QString& quoted, std::optional<bool>& plain) {
    onNextDialog([quoted, &plain](QWidget* dialog) {
        for (QLabel* label : dialog ? dialog->findChildren<QLabel*>() : QList<QLabel*>()) {
            if (!label->text().contains(quoted))
                continue;
            const QImage shown = label->grab().toImage();
            label->setTextFormat(Qt::PlainText);
            plain = plain.value_or(true) && shown == label->grab().toImage();
        }
    });
}

bool hasLatinLetter(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.isLetter() && c.unicode() < 0x80; });
}

} // namespace

class tst_QtPlatform : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void shellRecordsTheWindowStyleAsked_data();
    void shellRecordsTheWindowStyleAsked();
    void dialogsShowTextsAsTyped();
    void qtOwnTextsAreRussian();
    void messageBoxHoldsItsCaption_data();
    void messageBoxHoldsItsCaption();
    void printDialogPagesChooseThosePages_data();
    void printDialogPagesChooseThosePages();
    void refusedPrintJobIsToldInWords();
};

void tst_QtPlatform::initTestCase() {
    QCOMPARE(installQtTranslation(*qApp), QString());
}

void tst_QtPlatform::shellRecordsTheWindowStyleAsked_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("style");
    QTest::newRow("normal, with the focus") << true << int(vbNormalFocus);
    QTest::newRow("maximised") << true << 3;
    QTest::newRow("not there") << false << int(vbNormalFocus);
}

void tst_QtPlatform::shellRecordsTheWindowStyleAsked() {
    QFETCH(bool, present);
    QFETCH(int, style);
    TestDatabase folder; // a temporary current folder
    if (present) {
        QFile program(QStringLiteral("pusk.exe"));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.write("#!/bin/sh\ntouch started\n");
        program.close();
        program.setPermissions(program.permissions() | QFile::ExeOwner);
    }
    QtPlatform platform({});

    const QString error = platform.Shell(QStringLiteral("pusk.exe"), style);

    QCOMPARE(error.isEmpty(), present);
    QVERIFY(platform.lastShell());
    QCOMPARE(platform.lastShell()->program, QStringLiteral("pusk.exe"));
    QCOMPARE(platform.lastShell()->windowStyle, style);
    if (present)
        QTRY_VERIFY(QFile::exists(QStringLiteral("started")));
}

void tst_QtPlatform::dialogsShowTextsAsTyped() {
    QtPlatform platform({});
    const QString title = QStringLiteral("<h1>Тест</h1> & <b>КВЗ</b>");
    std::optional<bool> plain;
    checkNextDialog(title, plain);
    platform.MsgBox(QStringLiteral("Файл «%1» не найден.").arg(title), vbOKOnly, title);
    QCOMPARE(plain, std::optional<bool>(true));

    plain.reset();
    checkNextDialog(title, plain);
    platform.InputBox(QStringLiteral("Измените это название '%1' по своему усмотрению").arg(title),
                      QStringLiteral("Редактирование"));
    QCOMPARE(plain, std::optional<bool>(true));
}

// The text boxes' menu and the buttons of the save and print dialogs.
void tst_QtPlatform::qtOwnTextsAreRussian() {
    QLineEdit box;
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setAcceptMode(QFileDialog::AcceptSave);
    QPrinter printer;
    PrintDialog print(printer, 1, nullptr);
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << action->text().section(u'\t', 0, 0); // the shortcut reads "Ctrl+Z"
    for (QWidget* dialog : {static_cast<QWidget*>(&files), static_cast<QWidget*>(&print)}) {
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            texts << button->text();
    }
    texts.removeAll(QString());
    QVERIFY(texts.size() > 10);
    for (const QString& text : texts)
        QVERIFY2(!hasLatinLetter(text), qPrintable(text));
    const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
}

void tst_QtPlatform::messageBoxHoldsItsCaption_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("password refused") << "Ошибка пользователя"
                                      << "Bзвините, пароль введен неверно!";
    QTest::newRow("short text") << "Предупреждение"
                                << "Да?";
}

// Window managers title a box in a bold font beside an icon and up to three buttons.
void tst_QtPlatform::messageBoxHoldsItsCaption() {
    QFETCH(QString, title);
    QFETCH(QString, text);
    QtPlatform platform({});
    int width = 0;
    onNextDialog([&width](QWidget* box) { width = box ? box->width() : -1; });

    QCOMPARE(platform.MsgBox(text, vbOKOnly + vbExclamation, title), vbOK);

    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(10);
    QVERIFY2(width >= QFontMetrics(titleFont).horizontalAdvance(title) + 4 * 24,
             qPrintable(QString::number(width)));
}

void tst_QtPlatform::printDialogPagesChooseThosePages_data() {
    QTest::addColumn<QString>("choice"); // "all", "from-to" or the "Pages" entry
    QTest::addColumn<QString>("pages");  // chosen, as ranges; empty: all; "refused"
    QTest::newRow("all pages") << "all"
                               << "";
    QTest::newRow("from 2 to 3") << "from-to"
                                 << "2-3";
    QTest::newRow("one page") << "1"
                              << "1";
    QTest::newRow("a range") << " 2 - 3"
                             << "2-3";
    QTest::newRow("pages apart") << "1,3"
                                 << "1,3";
    QTest::newRow("past the last page") << "2,4"
                                        << "refused";
    QTest::newRow("words") << "первая"
                           << "refused";
}

void tst_QtPlatform::printDialogPagesChooseThosePages() {
    QFETCH(QString, choice);
    QFETCH(QString, pages);
    QPrinter printer;
    PrintDialog dialog(printer, 3, nullptr);
    if (choice == QLatin1String("from-to")) {
        dialog.findChild<QRadioButton*>(QStringLiteral("printRange"))->setChecked(true);
        dialog.findChild<QSpinBox*>(QStringLiteral("from"))->setValue(2);
        dialog.findChild<QSpinBox*>(QStringLiteral("to"))->setValue(3);
    } else if (choice != QLatin1String("all")) {
        dialog.findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"))->setText(choice);
    }
    const bool refused = pages == QLatin1String("refused");
    QString told;
    if (refused)
        onNextDialog([&told](QWidget* box) {
            if (auto* message = qobject_cast<QMessageBox*>(box))
                told = message->text();
        });

    dialog.accept();

    QCOMPARE(dialog.result(), refused ? QDialog::Rejected : QDialog::Accepted);
    if (refused)
        QVERIFY2(told.startsWith(QStringLiteral("Страницы указаны неверно")), qPrintable(told));
    else
        QCOMPARE(printer.pageRanges().toString(), pages);
}

void tst_QtPlatform::refusedPrintJobIsToldInWords() {
#ifdef KVZ_HAVE_CUPS
    const QString queue = QStringLiteral("kvz-no-such-queue");
    const QString told = printThroughCups(queue, QPrinter(), [](QPagedPaintDevice& device) {
        QPainter painter(&device);
        painter.drawText(100, 100, QStringLiteral("Задание"));
        return painter.end();
    });
    QVERIFY2(!told.isEmpty() && !hasLatinLetter(QString(told).remove(queue)), qPrintable(told));
#else
    QSKIP("this build prints without CUPS");
#endif
}

QTEST_MAIN(tst_QtPlatform)
#include "tst_qtplatform.moc"
