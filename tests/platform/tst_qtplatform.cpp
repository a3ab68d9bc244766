// The platform on Qt: starting another program, and the texts of its dialogs.
#include "QtPlatform.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

// While the next dialog waits: whether the labels quoting `quoted` look as they would in plain
// text (empty: no such label). The dialog is closed in any case.
void checkNextDialog(const QString& quoted, std::optional<bool>& plain) {
    QTimer::singleShot(0, [quoted, &plain] {
        QWidget* dialog = QApplication::activeModalWidget();
        for (QLabel* label : dialog ? dialog->findChildren<QLabel*>() : QList<QLabel*>()) {
            if (!label->text().contains(quoted))
                continue;
            const QImage shown = label->grab().toImage();
            label->setTextFormat(Qt::PlainText);
            plain = plain.value_or(true) && shown == label->grab().toImage();
        }
        if (dialog)
            dialog->close();
    });
}

} // namespace

class tst_QtPlatform : public QObject {
    Q_OBJECT
private slots:
    void shellRecordsTheWindowStyleAsked_data();
    void shellRecordsTheWindowStyleAsked();
    void dialogsShowTextsAsTyped();
};

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

QTEST_MAIN(tst_QtPlatform)
#include "tst_qtplatform.moc"
