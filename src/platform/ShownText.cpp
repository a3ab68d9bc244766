#include "ShownText.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace ShownText {

qsizetype mostThatCanShow(const QFontMetricsF& metrics, qreal width, int lines) {
    const qreal narrowest = metrics.height() / 10;
    return 4 * qsizetype(std::max(lines, 1)) * (qsizetype(width / narrowest) + 1);
}

QString startOf(const QString& text, qsizetype count) {
    if (text.size() <= count)
        return text;
    const QString start = text.left(count + 1); // the character after the cut decides it
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, start);
    finder.setPosition(count);
    return start.left(finder.isAtBoundary() ? count : finder.toPreviousBoundary());
}

} // namespace ShownText
