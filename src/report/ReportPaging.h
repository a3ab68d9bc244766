#pragma once

#include "ReportDefinition.h"

#include <vector>

// Page-breaking of a banded report, without drawing: which bands go on which page and where.
namespace report {

struct BandHeights {
    int reportHeader = 0;
    int pageHeader = 0;
    int detail = 0;
    int pageFooter = 0;
    int reportFooter = 0;
};

BandHeights bandHeightsOf(const ReportDefinition& definition);

// One page: the report header on the first page only, the page header, a run of detail rows,
// the report footer after the last row, the page footer at the bottom.
struct ReportPage {
    bool reportHeader = false;
    int firstRow = 0;
    int rowCount = 0;
    bool reportFooter = false;
    // The page after the report's last: how the class did on each question.
    bool questionStatistics = false;
};

// The pages of a report of `rowCount` rows on pages whose printable height is `bodyHeight`
// twips. Every page but the last ends with as many rows as fit above the page footer; the
// report footer moves to a page of its own when it does not fit after the last row. A page
// too small for a single row still takes one, so the report always ends.
std::vector<ReportPage> paginate(const BandHeights& heights, int rowCount, int bodyHeight);

struct PlacedBand {
    SectionKind kind = SectionKind::Detail;
    int top = 0;  // twips from the top of the printable area
    int row = -1; // the detail band's row
};

// The bands of one page from top to bottom, the page footer last, at the bottom of the page.
std::vector<PlacedBand> bandsOn(const ReportPage& page, const BandHeights& heights, int bodyHeight);

} // namespace report
