#include "QuestionBars.h"

#include "QuestionStatistics.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {

constexpr qreal kLabelShare = 0.45; // of a line's width; the bar takes the rest
const QColor kBar(0x9d, 0xc3, 0xe6);
const QColor kWorstBar(0xf4, 0xa6, 0xa6);
const QColor kBorder(0x80, 0x80, 0x80);

QFont fontFor(const QuestionStatistics& statistics, int k, QFont font) {
    font.setBold(statistics.isWorst(k));
    return font;
}

} // namespace

QString participantsLine(const QuestionStatistics& statistics) {
    return QStringLiteral("Участников: %1 (считаются записи с фамилией, пустой результат — 0%)")
        .arg(statistics.participants);
}

QString averageLine(const QuestionStatistics& statistics) {
    const std::optional<std::int32_t> average = statistics.average();
    if (!average)
        return QStringLiteral("Пока нет ни одного результата с фамилией.");
    return QStringLiteral("В среднем тест участниками выполнен на %1%").arg(*average);
}

QString worstLegend() {
    return QStringLiteral("Вопрос, на который ответили хуже всего, выделен жирным шрифтом и "
                          "красной полосой.");
}

QString questionLabel(const QuestionStatistics& statistics, int k, const QFont& font,
                      qreal lineWidth) {
    const QString label = QStringLiteral("%1. %2").arg(k + 1).arg(statistics.texts[k].simplified());
    return QFontMetricsF(fontFor(statistics, k, font))
        .elidedText(label, Qt::ElideRight, lineWidth * kLabelShare);
}

QString barFigures(const QuestionStatistics& statistics, int k) {
    const QString counts =
        QStringLiteral("%1 из %2").arg(statistics.right[k]).arg(statistics.participants);
    const std::optional<std::int32_t> share = statistics.share(k);
    return share ? QStringLiteral("%1 (%2%)").arg(counts).arg(*share) : counts;
}

void drawQuestionBar(QPainter& painter, const QRectF& line, const QuestionStatistics& statistics,
                     int k, const QFont& font) {
    painter.save();
    painter.setFont(fontFor(statistics, k, font));
    const QFontMetricsF metrics(painter.font());
    const QPen text(Qt::black, painter.pen().widthF());
    const QPen border(kBorder, painter.pen().widthF());
    const QRectF label(line.left(), line.top(), line.width() * kLabelShare, line.height());
    painter.setPen(text);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                     questionLabel(statistics, k, font, line.width()));

    const qreal gap = metrics.height() / 2;
    const qreal margin = std::max<qreal>(0, (line.height() - metrics.height() * 1.4) / 2);
    const QRectF track(label.right() + gap, line.top() + margin, line.right() - label.right() - gap,
                       line.height() - 2 * margin);
    const qreal share = statistics.share(k).value_or(0) / 100.0;
    painter.fillRect(track, Qt::white);
    painter.fillRect(QRectF(track.topLeft(), QSizeF(track.width() * share, track.height())),
                     statistics.isWorst(k) ? kWorstBar : kBar);
    painter.setPen(border);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(track);
    painter.setPen(text);
    painter.drawText(track.adjusted(gap / 2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     barFigures(statistics, k));
    painter.restore();
}
