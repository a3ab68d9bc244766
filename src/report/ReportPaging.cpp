#include "ReportPaging.h"

#include <algorithm>
#include <climits>

namespace report {

BandHeights bandHeightsOf(const ReportDefinition& definition) {
    return {definition.section(SectionKind::ReportHeader).height,
            definition.section(SectionKind::PageHeader).height,
            definition.section(SectionKind::Detail).height,
            definition.section(SectionKind::PageFooter).height,
            definition.section(SectionKind::ReportFooter).height};
}

namespace {

// Room for details and the report footer on a page, below the headers and above the footer.
int roomOn(const BandHeights& heights, bool firstPage, int bodyHeight) {
    return bodyHeight - heights.pageHeader - heights.pageFooter -
           (firstPage ? heights.reportHeader : 0);
}

int rowsFitting(const BandHeights& heights, int room) {
    if (heights.detail <= 0)
        return room >= 0 ? INT_MAX : 0;
    return std::max(room, 0) / heights.detail;
}

} // namespace

std::vector<ReportPage> paginate(const BandHeights& heights, int rowCount, int bodyHeight) {
    std::vector<ReportPage> pages;
    int next = 0;
    while (true) {
        ReportPage page;
        page.reportHeader = pages.empty();
        page.firstRow = next;
        const int room = roomOn(heights, page.reportHeader, bodyHeight);
        const int left = rowCount - next;
        page.rowCount = std::min(left, std::max(rowsFitting(heights, room), left > 0 ? 1 : 0));
        next += page.rowCount;
        page.reportFooter =
            next == rowCount && room - page.rowCount * heights.detail >= heights.reportFooter;
        // With no row left and no room for the footer, the footer goes alone on a page anyway.
        if (!page.reportFooter && page.rowCount == 0 && !page.reportHeader)
            page.reportFooter = true;
        pages.push_back(page);
        if (page.reportFooter)
            return pages;
    }
}

std::vector<PlacedBand> bandsOn(const ReportPage& page, const BandHeights& heights,
                                int bodyHeight) {
    std::vector<PlacedBand> bands;
    int top = 0;
    const auto place = [&](SectionKind kind, int height, int row = -1) {
        bands.push_back({kind, top, row});
        top += height;
    };
    if (page.reportHeader)
        place(SectionKind::ReportHeader, heights.reportHeader);
    place(SectionKind::PageHeader, heights.pageHeader);
    for (int row = page.firstRow; row < page.firstRow + page.rowCount; ++row)
        place(SectionKind::Detail, heights.detail, row);
    if (page.reportFooter)
        place(SectionKind::ReportFooter, heights.reportFooter);
    top = bodyHeight - heights.pageFooter;
    place(SectionKind::PageFooter, heights.pageFooter);
    return bands;
}

} // namespace report
