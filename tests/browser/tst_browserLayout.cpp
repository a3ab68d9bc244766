#include "BrowserFixture.h"
#include "LayoutCheck.h"
#include "ui_frmVeiv.h"

using namespace browser;

// The results browser drawn with the program's fonts, at its widest figures: a full score, a
// three-digit average, every verdict of either kind.
class tst_browserLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useProgramFonts(); }
    void textsFitAndControlsStayInside_data();
    void textsFitAndControlsStayInside();
};

void tst_browserLayout::textsFitAndControlsStayInside_data() {
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<bool>("overview");
    QTest::newRow("all right, 100") << 10 << "100" << false;
    QTest::newRow("none right, 0") << 0 << "0" << false;
    QTest::newRow("overview") << 10 << "100" << true;
}

void tst_browserLayout::textsFitAndControlsStayInside() {
    QFETCH(int, right);
    QFETCH(QString, percent);
    QFETCH(bool, overview);
    Browser b(QStringList(3, row(QStringLiteral("Щукин Щ. Щ."), percent, right)));
    b.open(true);
    b.finishWalk();
    QCOMPARE(b.ui().lblRes->text(), percent);
    if (overview)
        b.ui().cmdIzm->click();
    verifyTextsFitAndControlsStayInside(b.window().widget(), true);
}

QTEST_MAIN(tst_browserLayout)
#include "tst_browserLayout.moc"
