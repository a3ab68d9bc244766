#include "ReportText.h"

#include "ShownText.h"

#include <QLocale>

namespace report {

QString formatNumber(double value) {
    QLocale russian(QLocale::Russian);
    russian.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = russian.toString(value, 'f', 2);
    const QString comma = russian.decimalPoint();
    while (text.contains(comma) && text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(comma))
        text.chop(comma.size());
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString valueText(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return formatNumber(value.toDouble());
    return value.toString();
}

namespace {

const QChar kEllipsis(0x2026);

// The longest start of `word` that fits, ending after a hyphen when one is there, at least
// one character so that wrapping advances, and never half of a surrogate pair. Found by halving,
// so that a long word costs a few measurements, not one per character.
qsizetype fittingPrefix(const QString& word, const QFontMetricsF& metrics, qreal width) {
    qsizetype n = 1;
    qsizetype tooLong = word.size() + 1;
    while (tooLong - n > 1) {
        const qsizetype middle = (n + tooLong) / 2;
        if (metrics.horizontalAdvance(word.left(middle)) <= width)
            n = middle;
        else
            tooLong = middle;
    }
    if (n > 1 && word[n - 1].isHighSurrogate())
        --n;
    const qsizetype hyphen = word.lastIndexOf(u'-', n - 1);
    return hyphen > 0 ? hyphen + 1 : n;
}

QStringList breakIntoLines(const QString& text, const QFontMetricsF& metrics, qreal width) {
    QStringList lines;
    QString line;
    for (QString word : text.split(u' ', Qt::SkipEmptyParts)) {
        while (!word.isEmpty()) {
            const QString candidate = line.isEmpty() ? word : line + u' ' + word;
            if (metrics.horizontalAdvance(candidate) <= width) {
                line = candidate;
                word.clear();
            } else if (!line.isEmpty()) {
                lines << line;
                line.clear();
            } else {
                const qsizetype n = fittingPrefix(word, metrics, width);
                lines << word.left(n);
                word.remove(0, n);
            }
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

QString withEllipsis(QString line, const QFontMetricsF& metrics, qreal width) {
    while (!line.isEmpty() && metrics.horizontalAdvance(line + kEllipsis) > width)
        line.chop(1);
    return line + kEllipsis;
}

// The lines of `text`, those beyond `maxLines` dropped and the last kept one ending in "…".
QStringList cutToLines(const QString& text, const QFontMetricsF& metrics, qreal width,
                       int maxLines) {
    QStringList lines = breakIntoLines(text, metrics, width);
    if (lines.size() > maxLines) {
        lines = lines.mid(0, maxLines);
        lines.last() = withEllipsis(lines.last(), metrics, width);
    }
    return lines;
}

} // namespace

QStringList wrapLines(const QString& text, const QFontMetricsF& metrics, qreal width,
                      int maxLines) {
    // What cannot show is never measured; a text cut so ends in "…" whatever else fits.
    const QString shown =
        ShownText::startOf(text, ShownText::mostThatCanShow(metrics, width, maxLines));
    if (shown.size() < text.size())
        return cutToLines(shown + kEllipsis, metrics, width, maxLines);
    if (metrics.horizontalAdvance(text) <= width)
        return {text}; // the usual case, without the cost of breaking
    return cutToLines(text, metrics, width, maxLines);
}

int linesFitting(const QFontMetricsF& metrics, qreal height) {
    const qreal spacing = metrics.lineSpacing();
    return std::max(1, int((height - metrics.height()) / spacing) + 1);
}

} // namespace report
