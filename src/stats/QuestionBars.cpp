#include "QuestionBars.h"

#include "QuestionStatistics.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <algorithm>

namespace {

// Of a line's width: the label, the bar, the discrimination; the options take the rest.
constexpr qreal kLabelShare = 0.38;  // in the window
constexpr qreal kNumberShare = 0.04; // on paper
constexpr qreal kBarShare = 0.30;
constexpr qreal kDiscriminationShare = 0.07;
const QColor kBar(0x9d, 0xc3, 0xe6);
const QColor kKey(0xc8, 0xe6, 0xc9);
const QColor kWorstBar(0xf4, 0xa6, 0xa6);
const QColor kBorder(0x80, 0x80, 0x80);

QFont fontFor(const QuestionStatistics& statistics, int k, QFont font) {
    font.setBold(statistics.isWorst(k));
    return font;
}

} // namespace

QString participantsLine(const QuestionStatistics& statistics) {
    return QStringLiteral("Участников: %1 (закончившие тест, с фамилией; пустой результат — 0%)")
        .arg(statistics.participants);
}

// Not the words of the results' footer, which averages every row of the table.
QString averageLine(const QuestionStatistics& statistics) {
    const std::optional<std::int32_t> average = statistics.average();
    if (!average)
        return QStringLiteral("Пока нет ни одного законченного теста с фамилией.");
    return QStringLiteral("Средний результат закончивших тест: %1%").arg(*average);
}

QString stateLine(const QuestionStatistics& statistics) {
    return QStringLiteral("Закончили тест: %1; пишут сейчас: %2; не закончено: %3")
        .arg(statistics.participants)
        .arg(statistics.writing)
        .arg(statistics.cutOff);
}

QString decimal(std::optional<double> value) {
    return value ? QString::number(*value, 'f', 2).replace(u'.', u',') : QStringLiteral("—");
}

QString reliabilityLine(const QuestionStatistics& statistics) {
    const std::optional<double> kr20 = statistics.reliability();
    const QString head = QStringLiteral("Надёжность теста (KR-20): ");
    if (!kr20)
        return head + QStringLiteral("не оценить — нужны хотя бы два закончивших тест с разными "
                                     "результатами.");
    const QString reading =
        *kr20 >= 0.8   ? QStringLiteral("высокая: вопросы согласованно проверяют одно и то же")
        : *kr20 >= 0.7 ? QStringLiteral("приемлемая")
        : *kr20 >= 0.5 ? QStringLiteral("сомнительная: судить по тесту осторожно")
                       : QStringLiteral("низкая: вопросы мало согласованы между собой");
    return head + decimal(kr20) + QStringLiteral(" — ") + reading + u'.';
}

QString wordingLine(const QuestionStatistics& statistics) {
    QStringList changed;
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k)
        if (statistics.earlierWording[k] > 0)
            changed << QStringLiteral("вопрос %1 (ответов к прежнему: %2)")
                           .arg(k + 1)
                           .arg(statistics.earlierWording[k]);
    if (changed.isEmpty())
        return {};
    return QStringLiteral("Изменены после ответов: %1. Выборы, сделанные к прежнему тексту, "
                          "не смешаны с нынешними и в счёт вариантов не входят.")
        .arg(changed.join(QStringLiteral(", ")));
}

QString worstLine(const QuestionStatistics& statistics) {
    QStringList worst;
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k)
        if (statistics.isWorst(k))
            worst << QStringLiteral("вопрос %1 «%2» (%3)")
                         .arg(k + 1)
                         .arg(statistics.texts[k].simplified(), barFigures(statistics, k));
    if (worst.isEmpty())
        return QStringLiteral("Ни один вопрос не решён хуже других.");
    return QStringLiteral("Хуже всего ответили: ") + worst.join(QStringLiteral("; ")) + u'.';
}

QString readLine(const QuestionStatistics& statistics) {
    return QStringLiteral("Прочитано %1; считаются %2.")
        .arg(statistics.readAt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
             statistics.selection.describe());
}

QString spreadText(const QuestionStatistics& statistics) {
    QStringList bars;
    for (int b = 0; b < QuestionStatistics::kSpreadBars; ++b)
        bars << QStringLiteral("%1%: %2").arg(10 * b).arg(statistics.spread[b]);
    return bars.join(QStringLiteral(", "));
}

QString optionsFigures(const QuestionStatistics& statistics, int k) {
    if (statistics.answered[k] == 0)
        return QStringLiteral("выборы не сохранены");
    QStringList options;
    for (int option = 0; option < QuestionStatistics::kOptions; ++option) {
        QString figure = QStringLiteral("%1) %2").arg(option + 1).arg(statistics.ticked[k][option]);
        if (statistics.key[k][option])
            figure += QStringLiteral(" — верный");
        else if (statistics.mostChosenWrong(k) == option)
            figure += QStringLiteral(" — чаще всего из неверных");
        options << figure;
    }
    return options.join(QStringLiteral(", "));
}

QString questionLine(const QuestionStatistics& statistics, int k) {
    QString line = QStringLiteral("Вопрос %1. %2: верно ответили %3")
                       .arg(k + 1)
                       .arg(statistics.texts[k].simplified(), barFigures(statistics, k));
    if (statistics.isWorst(k))
        line += QStringLiteral(", хуже всего");
    return line + QStringLiteral("; различающая сила %1; выбрали: %2")
                      .arg(decimal(statistics.discrimination(k)), optionsFigures(statistics, k));
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

namespace {

// The count of each option in four cells: the key's on green with a tick, the wrong one that
// drew most on red.
void drawOptions(QPainter& painter, const QRectF& area, const QuestionStatistics& statistics, int k,
                 const QPen& text, const QPen& border) {
    const qreal width = area.width() / QuestionStatistics::kOptions;
    for (int option = 0; option < QuestionStatistics::kOptions; ++option) {
        const QRectF cell(area.left() + option * width, area.top(), width, area.height());
        const bool inKey = statistics.key[k][option];
        if (inKey)
            painter.fillRect(cell, kKey);
        else if (statistics.mostChosenWrong(k) == option)
            painter.fillRect(cell, kWorstBar);
        painter.setPen(border);
        painter.drawRect(cell);
        painter.setPen(text);
        const QString count = statistics.answered[k] > 0
                                  ? QString::number(statistics.ticked[k][option])
                                  : QStringLiteral("—");
        painter.drawText(cell, Qt::AlignCenter,
                         QStringLiteral("%1:%2%3")
                             .arg(option + 1)
                             .arg(count, inKey ? QStringLiteral("✓") : QString()));
    }
}

} // namespace

void drawQuestionBar(QPainter& painter, const QRectF& line, const QuestionStatistics& statistics,
                     int k, const QFont& font, qreal labelShare) {
    painter.save();
    painter.setFont(fontFor(statistics, k, font));
    const QFontMetricsF metrics(painter.font());
    const QPen text(Qt::black, painter.pen().widthF());
    const QPen border(kBorder, painter.pen().widthF());
    const qreal barShare = kBarShare + kLabelShare - std::max(labelShare, kNumberShare);
    const QRectF label(line.left(), line.top(), line.width() * std::max(labelShare, kNumberShare),
                       line.height());
    painter.setPen(text);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                     labelShare > 0 ? questionLabel(statistics, k, font, line.width())
                                    : QStringLiteral("%1.").arg(k + 1));

    const qreal gap = metrics.height() / 2;
    const qreal margin = std::max<qreal>(0, (line.height() - metrics.height() * 1.4) / 2);
    const QRectF track(label.right() + gap, line.top() + margin, line.width() * barShare - gap,
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
    const QRectF index(track.right(), track.top(), line.width() * kDiscriminationShare,
                       track.height());
    painter.drawText(index, Qt::AlignCenter, decimal(statistics.discrimination(k)));
    drawOptions(painter,
                QRectF(index.right(), track.top(), line.right() - index.right(), track.height()),
                statistics, k, text, border);
    painter.restore();
}

void drawSpread(QPainter& painter, const QRectF& area, const QuestionStatistics& statistics,
                const QFont& font) {
    painter.save();
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const qreal textHeight = metrics.height() * 1.2;
    const qreal slot = area.width() / QuestionStatistics::kSpreadBars;
    const qreal room = area.height() - 2 * textHeight;
    const int most =
        std::max(1, *std::max_element(statistics.spread.begin(), statistics.spread.end()));
    const QPen text(Qt::black, painter.pen().widthF());
    const QPen border(kBorder, painter.pen().widthF());
    for (int b = 0; b < QuestionStatistics::kSpreadBars; ++b) {
        const qreal height = room * statistics.spread[b] / most;
        const qreal left = area.left() + b * slot;
        const QRectF bar(left + slot * 0.15, area.top() + textHeight + room - height, slot * 0.7,
                         height);
        painter.fillRect(bar, kBar);
        painter.setPen(border);
        painter.drawRect(bar);
        painter.setPen(text);
        painter.drawText(QRectF(left, bar.top() - textHeight, slot, textHeight), Qt::AlignCenter,
                         QString::number(statistics.spread[b]));
        painter.drawText(QRectF(left, area.bottom() - textHeight, slot, textHeight),
                         Qt::AlignCenter, QStringLiteral("%1%").arg(10 * b));
    }
    painter.setPen(border);
    const qreal base = area.top() + textHeight + room;
    painter.drawLine(QPointF(area.left(), base), QPointF(area.right(), base));
    painter.restore();
}
