#include "ReportRenderer.h"

#include "QuestionBars.h"
#include "ReportText.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace report {

namespace {

constexpr qreal kTwipsPerPoint = 20;
constexpr int kLineWidth = 15;   // one pixel on the screen
constexpr int kTextPadding = 15; // between a left or right aligned text and its box's edge
// The page of figures per question, in twips from the top of the printable area.
constexpr int kStatisticsLinesTop = 680;
constexpr int kStatisticsLineHeight = 260;
constexpr int kStatisticsBarsTop = kStatisticsLinesTop + 5 * kStatisticsLineHeight + 100;
constexpr int kStatisticsTextHeight = 380; // two lines of a question's text
constexpr int kStatisticsBarHeight = 360;
constexpr int kStatisticsSpreadHeight = 2000;

qreal paddingOf(const ReportControl& control) {
    return control.alignment & Qt::AlignHCenter ? 0 : kTextPadding;
}

qreal lineLeft(const ReportControl& control, const QRectF& box, qreal advance) {
    const qreal padding = paddingOf(control);
    if (control.alignment & Qt::AlignHCenter)
        return box.left() + (box.width() - advance) / 2;
    if (control.alignment & Qt::AlignRight)
        return box.right() - padding - advance;
    return box.left() + padding;
}

} // namespace

ReportRenderer::ReportRenderer(const ReportDefinition& definition, ReportRows rows,
                               std::optional<QuestionStatistics> statistics)
    : m_definition(definition), m_rows(std::move(rows)), m_statistics(std::move(statistics)),
      m_heights(bandHeightsOf(definition)) {}

QMarginsF ReportRenderer::margins() const {
    const qreal margin = m_definition.margin / kTwipsPerPoint;
    return QMarginsF(margin, margin, margin, margin);
}

QPageLayout ReportRenderer::defaultPageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, margins(),
                       QPageLayout::Point);
}

int ReportRenderer::bodyHeight(const QPageLayout& layout) {
    return qRound(layout.paintRect(QPageLayout::Point).height() * kTwipsPerPoint);
}

std::vector<ReportPage> ReportRenderer::pages(int bodyHeight) const {
    std::vector<ReportPage> all = paginate(m_heights, m_rows.rowCount(), bodyHeight);
    if (m_statistics)
        all.push_back({.questionStatistics = true});
    return all;
}

void ReportRenderer::drawPage(QPainter& painter, const ReportPage& page, int bodyHeight) const {
    painter.save();
    QPen pen(Qt::black, kLineWidth);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    if (page.questionStatistics)
        drawQuestionStatistics(painter);
    else
        for (const PlacedBand& band : bandsOn(page, m_heights, bodyHeight))
            drawSection(painter, m_definition.section(band.kind), band.top, band.row);
    painter.restore();
}

// The title as the report's own; when the figures were read and what they count; who finished;
// the average (named apart from the footer's, which counts every row) and the reliability; per
// question its full text above its bar; what the marks mean, the worst questions in words,
// changed wordings, and the spread of the scores.
void ReportRenderer::drawQuestionStatistics(QPainter& painter) const {
    const ReportFont title{QStringLiteral("Arial"), 14.25, true};
    const ReportFont lines{QStringLiteral("Arial"), 9.75, false};
    const ReportFont text{QStringLiteral("Arial"), 8.25, false};
    const QuestionStatistics& statistics = *m_statistics;
    const int width = m_definition.width;
    int top = 0;
    const auto label = [&](const QString& caption, int height, const ReportFont& font) {
        ReportControl control;
        control.place = QRect(0, 0, width, height);
        control.font = font;
        drawText(painter, control, top, caption);
        top += height;
    };
    label(QStringLiteral("Статистика по вопросам"), 567, title);
    top = kStatisticsLinesTop;
    for (const QString& line :
         {readLine(statistics), participantsLine(statistics), stateLine(statistics),
          averageLine(statistics) + QStringLiteral(" (в конце списка — среднее всех строк)"),
          reliabilityLine(statistics)})
        label(line, kStatisticsLineHeight, lines);
    top = kStatisticsBarsTop;
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k) {
        label(QStringLiteral("%1. %2").arg(k + 1).arg(statistics.texts[k].simplified()),
              kStatisticsTextHeight, text);
        drawQuestionBar(painter, QRectF(0, top, width, kStatisticsBarHeight), statistics, k,
                        fontFor(text).font, 0);
        top += kStatisticsBarHeight;
    }
    label(worstLegend() + QStringLiteral(" Различающая сила — после полосы; выбор вариантов — "
                                         "справа, верные отмечены ✓."),
          kStatisticsLineHeight * 2, text);
    label(worstLine(statistics), kStatisticsLineHeight * 2, text);
    label(wordingLine(statistics), kStatisticsLineHeight * 2, text);
    label(QStringLiteral("Разброс результатов закончивших тест:"), kStatisticsLineHeight, text);
    drawSpread(painter, QRectF(0, top, width, kStatisticsSpreadHeight), statistics,
               fontFor(text).font);
}

int ReportRenderer::pageCount(QPageLayout paper) const {
    paper.setUnits(QPageLayout::Point);
    paper.setMargins(margins());
    return int(pages(bodyHeight(paper)).size());
}

bool ReportRenderer::print(QPagedPaintDevice& device, const QPageRanges& chosen) const {
    device.setPageMargins(margins(), QPageLayout::Point);
    const int body = bodyHeight(device.pageLayout());
    const std::vector<ReportPage> all = pages(body);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.scale(device.logicalDpiX() / 1440.0, device.logicalDpiY() / 1440.0);
    bool first = true;
    for (int n = 1; n <= int(all.size()); ++n) {
        if (!chosen.isEmpty() && !chosen.contains(n))
            continue;
        if (!first)
            device.newPage();
        drawPage(painter, all[n - 1], body);
        first = false;
    }
    return painter.end();
}

void ReportRenderer::drawSection(QPainter& painter, const ReportSection& section, int top,
                                 int row) const {
    for (const ReportControl& control : section.controls)
        drawControl(painter, control, top, row);
}

void ReportRenderer::drawControl(QPainter& painter, const ReportControl& control, int top,
                                 int row) const {
    if (control.kind == ControlKind::Line) {
        const QRect& p = control.place;
        painter.drawLine(
            QLineF(p.left(), top + p.top(), p.left() + p.width(), top + p.top() + p.height()));
        return;
    }
    drawText(painter, control, top, textOf(control, row));
}

QString ReportRenderer::textOf(const ReportControl& control, int row) const {
    switch (control.kind) {
    case ControlKind::TextBox:
        return row >= 0 ? valueText(m_rows.value(row, control.field)) : QString();
    case ControlKind::Function: {
        const std::optional<double> average = m_rows.average(control.field);
        return average ? formatNumber(*average) : QString();
    }
    default:
        return control.text;
    }
}

void ReportRenderer::drawText(QPainter& painter, const ReportControl& control, int top,
                              const QString& text) const {
    if (text.isEmpty())
        return;
    const Font& font = fontFor(control.font);
    const QFontMetricsF& metrics = font.metrics;
    const QRectF box = control.place.translated(0, top);
    const qreal width = box.width() - 2 * paddingOf(control);
    const QStringList lines = wrapLines(text, metrics, width, linesFitting(metrics, box.height()));
    const qreal block = (lines.size() - 1) * metrics.lineSpacing() + metrics.height();
    qreal baseline = box.top() + (box.height() - block) / 2 + metrics.ascent();
    painter.setFont(font.font);
    for (const QString& line : lines) {
        painter.drawText(QPointF(lineLeft(control, box, metrics.horizontalAdvance(line)), baseline),
                         line);
        baseline += metrics.lineSpacing();
    }
}

const ReportRenderer::Font& ReportRenderer::fontFor(const ReportFont& spec) const {
    const auto key = std::make_tuple(spec.family, spec.pointSize, spec.bold);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        // Sized in twips, the painter's unit, and unhinted, so that widths measured here hold
        // on every device and at every zoom.
        QFont font(spec.family);
        font.setPixelSize(qRound(spec.pointSize * kTwipsPerPoint));
        font.setBold(spec.bold);
        font.setHintingPreference(QFont::PreferNoHinting);
        it = m_fonts.emplace(key, Font{font, QFontMetricsF(font)}).first;
    }
    return it->second;
}

} // namespace report
