#include "ReportPaging.h"

#include <QTest>

using namespace report;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {
// The results report's bands: header 567, page header 1134, detail 570, footers 150 and 810.
const BandHeights kHeights{567, 1134, 570, 150, 810};
constexpr int kA4Body = 13958;
} // namespace

class tst_ReportPaging : public QObject {
    Q_OBJECT
private slots:
    void rowsPerPage_data();
    void rowsPerPage();
    void everyPageHasHeaderAndFooter();
    void bandsStackWithoutOverlap();
};

void tst_ReportPaging::rowsPerPage_data() {
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<int>("bodyHeight");
    QTest::addColumn<std::vector<int>>("rowsOnPages");
    QTest::addColumn<int>("footerPage"); // from 1
    QTest::newRow("no rows") << 0 << kA4Body << std::vector<int>{0} << 1;
    QTest::newRow("one row") << 1 << kA4Body << std::vector<int>{1} << 1;
    QTest::newRow("first page full, footer fits") << 19 << kA4Body << std::vector<int>{19} << 1;
    // 21 rows fill the first page (12107 of room); the footer needs 810 more.
    QTest::newRow("footer moves to a page of its own")
        << 21 << kA4Body << std::vector<int>{21, 0} << 2;
    QTest::newRow("60 rows") << 60 << kA4Body << std::vector<int>{21, 22, 17} << 3;
    QTest::newRow("exactly two full pages") << 43 << kA4Body << std::vector<int>{21, 22, 0} << 3;
    QTest::newRow("page too small for one row") << 3 << 1000 << std::vector<int>{1, 1, 1, 0} << 4;
}

void tst_ReportPaging::rowsPerPage() {
    QFETCH(int, rowCount);
    QFETCH(int, bodyHeight);
    QFETCH(std::vector<int>, rowsOnPages);
    QFETCH(int, footerPage);
    const std::vector<ReportPage> pages = paginate(kHeights, rowCount, bodyHeight);
    QCOMPARE(pages.size(), rowsOnPages.size());
    int next = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        QCOMPARE(pages[i].firstRow, next);
        QCOMPARE(pages[i].rowCount, rowsOnPages[i]);
        QCOMPARE(pages[i].reportHeader, i == 0);
        QCOMPARE(pages[i].reportFooter, int(i) + 1 == footerPage);
        next += pages[i].rowCount;
    }
    QCOMPARE(next, rowCount);
}

void tst_ReportPaging::everyPageHasHeaderAndFooter() {
    const std::vector<ReportPage> pages = paginate(kHeights, 100, kA4Body);
    for (const ReportPage& page : pages) {
        const std::vector<PlacedBand> bands = bandsOn(page, kHeights, kA4Body);
        const int headerAt = page.reportHeader ? 1 : 0;
        QCOMPARE(bands[headerAt].kind, SectionKind::PageHeader);
        QCOMPARE(bands[headerAt].top, page.reportHeader ? 567 : 0);
        QCOMPARE(bands.back().kind, SectionKind::PageFooter);
        QCOMPARE(bands.back().top, kA4Body - 150);
    }
}

void tst_ReportPaging::bandsStackWithoutOverlap() {
    const std::vector<ReportPage> pages = paginate(kHeights, 60, kA4Body);
    const std::vector<PlacedBand> last = bandsOn(pages.back(), kHeights, kA4Body);
    // Page header, 17 details, report footer, page footer.
    QCOMPARE(last.size(), size_t(20));
    for (int i = 0; i < 17; ++i) {
        QCOMPARE(last[1 + i].kind, SectionKind::Detail);
        QCOMPARE(last[1 + i].row, 43 + i);
        QCOMPARE(last[1 + i].top, 1134 + 570 * i);
    }
    QCOMPARE(last[18].kind, SectionKind::ReportFooter);
    QCOMPARE(last[18].top, 1134 + 570 * 17);
    QVERIFY(last[18].top + 810 <= last[19].top);
}

QTEST_MAIN(tst_ReportPaging)
#include "tst_reportpaging.moc"
