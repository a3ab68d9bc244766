#include "Controls.h"
#include "Forms.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "TestDatabase.h"
#include "frmStart.h"
#include "ui_frmStart.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

namespace {

// Stands in for the windows the start window opens.
class frmStandIn : public Form {
public:
    using Form::Form;

protected:
    void createControls(FormWidget& widget) override {
        (void)widget;
        setClientSize(1500, 1500);
    }
};

struct Fixture {
    TestDatabase db;
    ScriptedPlatform platform;
    Forms forms{platform, db.store()};
    Fixture() {
        registerStartupForms(forms);
        for (const char* name : {"frmAutor", "frmSek", "frmOtchot", "frmVeiv"}) {
            if (!forms.find(QString::fromLatin1(name)))
                forms.add(std::make_unique<frmStandIn>(forms, QString::fromLatin1(name)));
        }
    }
    frmStart& start() { return forms.get<frmStart>(QStringLiteral("frmStart")); }
    Ui::frmStart& ui() { return *start().ui(); }
    void writeTitle(const QByteArray& bytes) {
        QFile f(QStringLiteral("title.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

// Picks a list item as the person does, by the arrow keys on the closed list, starting from
// the freshly loaded state with no item selected.
void pickItem(QComboBox* combo, int index) {
    combo->setFocus();
    for (int i = 0; i <= index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

} // namespace

class tst_frmStart : public QObject {
    Q_OBJECT
private slots:
    void showingLoadsOnlyWhatTheWindowNeeds(); // first: later tests open other windows
    void firstStartCreatesTitleFile();
    void captionFromTitleFile_data();
    void captionFromTitleFile();
    void okOpensWindowByListPosition_data();
    void okOpensWindowByListPosition();
    void okClosesTheBrowserOpenedHere_data();
    void okClosesTheBrowserOpenedHere();
    void helpOpensTopicOfChosenMode_data();
    void helpOpensTopicOfChosenMode();
    void hiddenButtonsAreReachedWithTab();
    void freshLoadEachTimeShown();
    void controlsAtTheirPlaces();
};

// The print system's library, the image plugins and the database each cost the first window's
// showing time; they are loaded or opened when first needed.
void tst_frmStart::showingLoadsOnlyWhatTheWindowNeeds() {
    Fixture f;
    f.forms.Show(QStringLiteral("frmStart"));
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        QSKIP("the system does not list a program's mapped files");
    const QByteArray mapped = maps.readAll();
    QVERIFY(!mapped.contains("libcups"));
    QVERIFY(!mapped.contains("/imageformats/"));
    const QString db = QFileInfo(f.db.path()).canonicalFilePath();
    for (const QFileInfo& open : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files))
        QVERIFY(open.symLinkTarget() != db);
}

void tst_frmStart::firstStartCreatesTitleFile() {
    Fixture f;
    QVERIFY(!QFile::exists(QStringLiteral("title.ini")));
    f.forms.Show(QStringLiteral("frmStart"));
    QCOMPARE(f.start().caption(), QStringLiteral("Тест КВЗ V-1.01"));
    QFile file(QStringLiteral("title.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\xD2\xE5\xF1\xF2 \xCA\xC2\xC7\r\n"));
    QCOMPARE(f.forms.helpFile(), QStringLiteral("HELP_TEST.HLP"));
    QVERIFY(f.platform.messages.isEmpty());
}

void tst_frmStart::captionFromTitleFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("messages");
    QTest::newRow("title") << QByteArray("\xD4\xE8\xE7\xE8\xEA\xE0\r\nignored\r\n")
                           << "Физика V-1.01" << 0;
    QTest::newRow("empty first line") << QByteArray("\r\n") << " V-1.01" << 0;
    QTest::newRow("no line at all") << QByteArray() << "Тест КВЗ V-1.01" << 1;
}

void tst_frmStart::captionFromTitleFile() {
    QFETCH(QByteArray, content);
    QFETCH(QString, caption);
    QFETCH(int, messages);
    Fixture f;
    f.writeTitle(content);
    f.forms.Show(QStringLiteral("frmStart"));
    QCOMPARE(f.start().caption(), caption);
    QCOMPARE(f.platform.messages.size(), messages);
}

void tst_frmStart::okOpensWindowByListPosition_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("opened");
    QTest::newRow("untouched") << "none" << -1 << "frmAutor";
    QTest::newRow("student item") << "pick0" << 0 << "frmAutor";
    QTest::newRow("teacher item") << "pick1" << 1 << "frmSek";
    QTest::newRow("teacher text typed") << "type" << -1 << "frmAutor";
    QTest::newRow("picked, then typed") << "pick1type" << -1 << "frmAutor";
    // Typed, then the edit ends as a person ends it: the events reach the combo box.
    QTest::newRow("typed, Return in the box") << "typeReturn" << -1 << "frmAutor";
    QTest::newRow("typed, Shift+Tab and Space") << "typeBacktab" << -1 << "frmAutor";
    QTest::newRow("typed, a click on OK") << "typeClick" << -1 << "frmAutor";
}

void tst_frmStart::okOpensWindowByListPosition() {
    QFETCH(QString, how);
    QFETCH(int, position);
    QFETCH(QString, opened);
    Fixture f;
    f.forms.Show(QStringLiteral("frmStart"));
    QComboBox* combo = f.ui().Combo1;
    if (how.startsWith(QLatin1String("pick")))
        pickItem(combo, how.mid(4, 1).toInt());
    if (how.endsWith(QLatin1String("type"))) {
        combo->lineEdit()->clear();
        // Typed as a person types, key by key (keyClicks cannot send Cyrillic).
        for (QChar c : QStringLiteral("Режим Учителя"))
            QTest::sendKeyEvent(QTest::Click, combo->lineEdit(), Qt::Key_unknown, c,
                                Qt::NoModifier);
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return); // Qt would match the item here
        QCOMPARE(combo->currentText(), QStringLiteral("Режим Учителя"));
    }
    if (how.startsWith(QLatin1String("type")) && how != QLatin1String("type")) {
        QApplication::setActiveWindow(f.start().widget());
        combo->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), combo);
        combo->lineEdit()->selectAll();
        for (QChar c : QStringLiteral("Режим Учителя"))
            QTest::sendKeyEvent(QTest::Click, combo, Qt::Key_unknown, c, Qt::NoModifier);
        QCOMPARE(combo->currentText(), QStringLiteral("Режим Учителя"));
    }
    if (how == QLatin1String("typeReturn"))
        QTest::keyClick(combo, Qt::Key_Return);
    if (how == QLatin1String("typeBacktab")) {
        QTest::keyClick(combo, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), f.ui().cmdAdd);
        QTest::keyClick(f.ui().cmdAdd, Qt::Key_Space);
        QCOMPARE(f.start().listPosition(), position);
        QVERIFY(f.forms.isLoaded(opened));
        return;
    }
    QTest::mouseClick(f.ui().cmdAdd, Qt::LeftButton); // the focus leaves the box first
    QCOMPARE(f.start().listPosition(), position);
    QVERIFY(f.forms.isLoaded(opened));
    QVERIFY(!f.forms.isLoaded(QStringLiteral("frmStart")));
    QCOMPARE(f.platform.quits, 0);
}

void tst_frmStart::okClosesTheBrowserOpenedHere_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("opened");
    QTest::newRow("student's test") << 0 << "frmAutor";
    QTest::newRow("teacher's password") << 1 << "frmSek";
}

void tst_frmStart::okClosesTheBrowserOpenedHere() {
    QFETCH(int, item);
    QFETCH(QString, opened);
    Fixture f;
    f.forms.Show(QStringLiteral("frmStart"));
    f.ui().Command2->click();
    QVERIFY(f.forms.isLoaded(QStringLiteral("frmVeiv")));
    pickItem(f.ui().Combo1, item);

    f.ui().cmdAdd->click();

    QVERIFY(!f.forms.isLoaded(QStringLiteral("frmVeiv")));
    QVERIFY(f.forms.isLoaded(opened));
    QCOMPARE(f.platform.quits, 0);
}

void tst_frmStart::helpOpensTopicOfChosenMode_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("topic");
    QTest::newRow("none") << -1 << 1005;
    QTest::newRow("student") << 0 << 1005;
    QTest::newRow("teacher") << 1 << 1006;
}

void tst_frmStart::helpOpensTopicOfChosenMode() {
    QFETCH(int, item);
    QFETCH(int, topic);
    Fixture f;
    f.forms.Show(QStringLiteral("frmStart"));
    QApplication::setActiveWindow(f.start().widget());
    if (item >= 0)
        pickItem(f.ui().Combo1, item);
    QTest::mouseClick(f.ui().cmdHelp, Qt::LeftButton);
    QTRY_COMPARE(f.platform.helps.size(), 1);
    QCOMPARE(f.platform.helps[0].file, QStringLiteral("HELP_TEST.HLP"));
    QCOMPARE(f.platform.helps[0].context, topic);
    QVERIFY(f.forms.isLoaded(QStringLiteral("frmStart")));
}

void tst_frmStart::hiddenButtonsAreReachedWithTab() {
    Fixture f;
    f.forms.Show(QStringLiteral("frmStart"));
    QWidget* window = f.start().widget();
    QApplication::setActiveWindow(window);
    QTRY_COMPARE(QApplication::focusWidget(), f.ui().cmdAdd);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.ui().Combo1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.ui().Command1);
    QVERIFY(f.ui().Command1->y() >= window->height()); // below the client area
    QTest::keyClick(f.ui().Command1, Qt::Key_Space);
    QVERIFY(f.forms.isLoaded(QStringLiteral("frmOtchot")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.ui().Command2);
    QTest::keyClick(f.ui().Command2, Qt::Key_Return);
    QVERIFY(f.forms.isLoaded(QStringLiteral("frmVeiv")));
    QVERIFY(f.forms.isLoaded(QStringLiteral("frmStart")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.ui().cmdAdd); // the help button is skipped
}

void tst_frmStart::freshLoadEachTimeShown() {
    Fixture f;
    f.forms.Show(QStringLiteral("frmStart"));
    pickItem(f.ui().Combo1, 1);
    QVERIFY(f.start().Unload());
    f.writeTitle("\xCD\xEE\xE2\xFB\xE9\r\n");
    f.forms.Show(QStringLiteral("frmStart"));
    QCOMPARE(f.start().caption(), QStringLiteral("Новый V-1.01"));
    QCOMPARE(f.ui().Combo1->count(), 2);
    QCOMPARE(f.ui().Combo1->itemText(0), QStringLiteral("Тест для учащегося."));
    QCOMPARE(f.ui().Combo1->itemText(1), QStringLiteral("Режим Учителя"));
    QCOMPARE(f.ui().Combo1->currentText(), QStringLiteral("Тест для учащегося."));
    QTest::mouseClick(f.ui().cmdAdd, Qt::LeftButton);
    QVERIFY(f.forms.isLoaded(QStringLiteral("frmAutor"))); // nothing selected again
}

void tst_frmStart::controlsAtTheirPlaces() {
    Fixture f;
    f.forms.Show(QStringLiteral("frmStart"));
    QWidget* w = f.start().widget();
    QCOMPARE(w->size(), QSize(251, 103));
    QCOMPARE(f.ui().cmdAdd->geometry(), QRect(8, 64, 185, 33));
    QCOMPARE(f.ui().Label1->text(), QStringLiteral("Выбирите из списка команду и нажмите ОК"));
    QCOMPARE(f.ui().Combo1->toolTip(), QStringLiteral("Выбирите режим работы"));
    QCOMPARE(f.ui().cmdHelp->toolTip(), QStringLiteral("Справка о выбранном разделе"));
    QCOMPARE(f.ui().Command2->text(), QStringLiteral("Ф.Просмотр"));
    QCOMPARE(f.ui().cmdHelp->font().pointSizeF(), 13.5);
    QVERIFY(f.ui().cmdHelp->font().bold());
    // The whole window is centred: its fixed single border and caption with it.
    QCOMPARE(w->pos(), QPoint((1024 - 251 - 6) / 2, (768 - 103 - 25) / 2));
}

QTEST_MAIN(tst_frmStart)
#include "tst_frmStart.moc"
