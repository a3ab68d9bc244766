#include "LayoutCheck.h"
#include "Program.h"

// The password and about windows drawn with the program's fonts.
class tst_startupLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useProgramFonts(); }
    void textsFitAndControlsStayInside_data();
    void textsFitAndControlsStayInside();
};

void tst_startupLayout::textsFitAndControlsStayInside_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("password") << "frmSek";
    QTest::newRow("about") << "frmAbout";
}

void tst_startupLayout::textsFitAndControlsStayInside() {
    QFETCH(QString, window);
    Program program;
    program.forms.Show(window);
    verifyTextsFitAndControlsStayInside(program.forms.find(window)->widget());
}

QTEST_MAIN(tst_startupLayout)
#include "tst_startupLayout.moc"
