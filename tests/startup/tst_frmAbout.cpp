#include "FormTimer.h"
#include "Program.h"
#include "frmAbout.h"
#include "ui_frmAbout.h"

#include <QLabel>
#include <QPushButton>

namespace {

// The items in their order of appearance, as a string of the visible ones' names.
QString visibleItems(const frmAbout& about) {
    const Ui::frmAbout& ui = *about.ui();
    const std::pair<QWidget*, const char*> items[] = {{ui.Image1, "Image1"},
                                                      {ui.Label1, "Label1"},
                                                      {ui.Label2, "Label2"},
                                                      {ui.Label3, "Label3"},
                                                      {ui.Command1, "Command1"}};
    QStringList names;
    for (const auto& [widget, name] : items) {
        if (!widget->isHidden())
            names << QString::fromLatin1(name);
    }
    return names.join(u' ');
}

FormTimer* timer1(const frmAbout& about) {
    return about.widget()->findChild<FormTimer*>(QStringLiteral("Timer1"));
}

void tick(const frmAbout& about, int times) {
    for (int i = 0; i < times; ++i)
        timer1(about)->fire();
}

} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT
private slots:
    void itemsAppearTickByTick_data();
    void itemsAppearTickByTick();
    void timerRunsEvery30msFromTheLoad();
    void closingReplaysTheBuildUp_data();
    void closingReplaysTheBuildUp();
    void showingWhileOpenRestartsNothing();
};

void tst_frmAbout::itemsAppearTickByTick_data() {
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("visible");
    QTest::newRow("opened") << 0 << "";
    QTest::newRow("9") << 9 << "";
    QTest::newRow("10") << 10 << "Image1";
    QTest::newRow("19") << 19 << "Image1";
    QTest::newRow("20") << 20 << "Image1 Label1";
    QTest::newRow("29") << 29 << "Image1 Label1";
    QTest::newRow("30") << 30 << "Image1 Label1 Label2";
    QTest::newRow("39") << 39 << "Image1 Label1 Label2";
    QTest::newRow("40") << 40 << "Image1 Label1 Label2 Label3";
    QTest::newRow("49") << 49 << "Image1 Label1 Label2 Label3";
    QTest::newRow("50") << 50 << "Image1 Label1 Label2 Label3 Command1";
    QTest::newRow("500") << 500 << "Image1 Label1 Label2 Label3 Command1";
}

void tst_frmAbout::itemsAppearTickByTick() {
    QFETCH(int, ticks);
    QFETCH(QString, visible);
    Program program;
    program.forms.Show(QStringLiteral("frmAbout"));
    auto& about = program.forms.get<frmAbout>(QStringLiteral("frmAbout"));

    tick(about, ticks);

    QCOMPARE(visibleItems(about), visible);
    QCOMPARE(about.ticks(), ticks);
}

void tst_frmAbout::timerRunsEvery30msFromTheLoad() {
    Program program;
    program.forms.Show(QStringLiteral("frmAbout"));
    const auto& about = program.forms.get<frmAbout>(QStringLiteral("frmAbout"));

    QVERIFY(timer1(about)->Enabled());
    QCOMPARE(timer1(about)->Interval(), 30);
    QVERIFY(!about.widget()->windowIcon().isNull());
}

void tst_frmAbout::closingReplaysTheBuildUp_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("close box before the button") << false;
    QTest::newRow("OK button") << true;
}

void tst_frmAbout::closingReplaysTheBuildUp() {
    QFETCH(bool, byButton);
    Program program;
    program.forms.Show(QStringLiteral("frmAbout"));
    auto& about = program.forms.get<frmAbout>(QStringLiteral("frmAbout"));
    tick(about, byButton ? 50 : 35);

    if (byButton)
        about.ui()->Command1->click();
    else
        about.widget()->close();

    QVERIFY(!about.isLoaded());
    QCOMPARE(about.ticks(), 0);
    program.forms.Show(QStringLiteral("frmAbout"));
    QCOMPARE(visibleItems(about), QString());
    QVERIFY(timer1(about)->Enabled());
    tick(about, 10);
    QCOMPARE(visibleItems(about), QStringLiteral("Image1"));
}

void tst_frmAbout::showingWhileOpenRestartsNothing() {
    Program program;
    program.forms.Show(QStringLiteral("frmAbout"));
    auto& about = program.forms.get<frmAbout>(QStringLiteral("frmAbout"));
    tick(about, 25);

    program.forms.Show(QStringLiteral("frmAbout"));

    QCOMPARE(about.ticks(), 25);
    QCOMPARE(visibleItems(about), QStringLiteral("Image1 Label1"));
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
