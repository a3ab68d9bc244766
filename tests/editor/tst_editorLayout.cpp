#include "LayoutCheck.h"
#include "Program.h"

// The question editor drawn with the program's fonts.
class tst_editorLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useProgramFonts(); }
    void textsFitAndControlsStayInside();
};

void tst_editorLayout::textsFitAndControlsStayInside() {
    Program program;
    program.forms.Show(QStringLiteral("frmEdit"));
    verifyTextsFitAndControlsStayInside(program.forms.find(QStringLiteral("frmEdit"))->widget());
}

QTEST_MAIN(tst_editorLayout)
#include "tst_editorLayout.moc"
