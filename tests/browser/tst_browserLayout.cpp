#include "BrowserFixture.h"
#include "LayoutCheck.h"
#include "TextFit.h"
#include "ui_frmVeiv.h"

#include <QHelpEvent>
#include <QToolTip>

using namespace browser;

// The results browser drawn with the program's fonts, at its widest figures: a full score, a
// three-digit average, every verdict of either kind.
class tst_browserLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useProgramFonts(); }
    void textsFitAndControlsStayInside_data();
    void textsFitAndControlsStayInside();
    void longestNameIsCutWithTooltip();
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

// As on the result screen: a name of 255 capitals ends in "…", the whole name in its tooltip.
void tst_browserLayout::longestNameIsCutWithTooltip() {
    const QString name(255, QChar(0x0428));
    Browser b({row(name, QStringLiteral("100"), 10)});
    b.open(true);
    FittingLabel* label = b.ui().Label2;
    QVERIFY(label->shown().lines.last().endsWith(QChar(0x2026)));
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(label, &help);
    QCOMPARE(QToolTip::text(), name);
}

QTEST_MAIN(tst_browserLayout)
#include "tst_browserLayout.moc"
