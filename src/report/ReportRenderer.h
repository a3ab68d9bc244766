#pragma once

#include "QuestionStatistics.h"
#include "ReportDefinition.h"
#include "ReportPaging.h"
#include "ReportRows.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageRanges>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace report {

// Draws a banded report of the given rows onto any paged device (a printer, a PDF file) or,
// one page at a time, onto any painter (the preview). It keeps nothing but the rows and, when
// given, the figures per question, which end the report on a page of their own.
class ReportRenderer {
public:
    ReportRenderer(const ReportDefinition& definition, ReportRows rows,
                   std::optional<QuestionStatistics> statistics = std::nullopt);

    const ReportDefinition& definition() const { return m_definition; }
    const ReportRows& rows() const { return m_rows; }

    // A4 portrait with the report's margins: the page of the preview and of the PDF file.
    QPageLayout defaultPageLayout() const;
    // The printable height of a page in twips.
    static int bodyHeight(const QPageLayout& layout);
    std::vector<ReportPage> pages(int bodyHeight) const;

    // Draws one page with the painter's unit one twip and its origin at the printable area's
    // top left corner.
    void drawPage(QPainter& painter, const ReportPage& page, int bodyHeight) const;

    // The number of pages on the paper of `paper` with the report's margins.
    int pageCount(QPageLayout paper) const;

    // Sets the report's margins on the device, keeping its paper and orientation, and draws the
    // pages of `chosen` (counted from 1; all when empty) that the report has. False when the
    // device cannot be painted on (a file that cannot be written, a printer that is not there).
    bool print(QPagedPaintDevice& device, const QPageRanges& chosen = {}) const;

private:
    struct Font {
        QFont font;
        QFontMetricsF metrics;
    };

    QMarginsF margins() const;
    void drawQuestionStatistics(QPainter& painter) const;
    void drawSection(QPainter& painter, const ReportSection& section, int top, int row) const;
    void drawControl(QPainter& painter, const ReportControl& control, int top, int row) const;
    void drawText(QPainter& painter, const ReportControl& control, int top,
                  const QString& text) const;
    QString textOf(const ReportControl& control, int row) const;
    const Font& fontFor(const ReportFont& font) const;

    const ReportDefinition& m_definition;
    ReportRows m_rows;
    std::optional<QuestionStatistics> m_statistics;
    BandHeights m_heights;
    mutable std::map<std::tuple<QString, double, bool>, Font> m_fonts;
};

} // namespace report
