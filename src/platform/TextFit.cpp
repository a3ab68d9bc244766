#include "TextFit.h"

#include "ShownText.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

namespace {

constexpr qreal kStep = 0.25;
const QChar kEllipsis(0x2026);
// A tooltip shows at most this much of a text, in code units; only a database changed by another
// program holds a longer one.
constexpr qsizetype kMostInTooltip = 1024;

QStringList wrap(const QString& text, const QFont& font, qreal width) {
    QString prepared = text;
    prepared.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    prepared.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(prepared, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString part = prepared.mid(line.textStart(), line.textLength());
        if (part.endsWith(QChar::LineSeparator))
            part.chop(1);
        lines << part;
    }
    layout.endLayout();
    return lines;
}

int linesIn(const QSizeF& room, const QFont& font) {
    return std::max(1, int(room.height() / QFontMetricsF(font).lineSpacing()));
}

// The most of a text, in code units, that `room` can show at the smallest size.
qsizetype mostIn(const QSizeF& room, const QFont& smallest) {
    return ShownText::mostThatCanShow(QFontMetricsF(smallest), room.width(),
                                      linesIn(room, smallest));
}

QFont smallestOf(const QFont& font, qreal minimumPointSize) {
    QFont smallest = font;
    if (minimumPointSize > 0)
        smallest.setPointSizeF(std::min(minimumPointSize, font.pointSizeF()));
    return smallest;
}

// The lines of `lines` that fit at `font`, the last one holding the start of the rest and
// ending in "…".
TextFit cutToFit(const QStringList& lines, const QFont& font, const QSizeF& room) {
    const QFontMetricsF metrics(font);
    const int kept = std::max(1, std::min(linesIn(room, font), int(lines.size())));
    TextFit fit{font, lines.mid(0, kept - 1), true};
    fit.lines << metrics.elidedText(lines.mid(kept - 1).join(QString()) + kEllipsis, Qt::ElideRight,
                                    room.width());
    return fit;
}

bool fits(const QStringList& lines, const QFont& font, const QSizeF& room) {
    return lines.size() * QFontMetricsF(font).lineSpacing() <= room.height();
}

} // namespace

TextFit fitText(const QString& text, const QFont& font, const QSizeF& room,
                qreal minimumPointSize) {
    const QFont smallest = smallestOf(font, minimumPointSize);
    const qsizetype most = mostIn(room, smallest);
    if (text.size() > most) // what can show is cut from it before anything is measured
        return cutToFit(wrap(ShownText::startOf(text, most), smallest, room.width()), smallest,
                        room);
    const QStringList atSmallest = wrap(text, smallest, room.width());
    if (!fits(atSmallest, smallest, room))
        return cutToFit(atSmallest, smallest, room);
    TextFit fit{font, {}, false};
    for (qreal size = font.pointSizeF(); size > smallest.pointSizeF(); size -= kStep) {
        fit.font.setPointSizeF(size);
        fit.lines = wrap(text, fit.font, room.width());
        if (fits(fit.lines, fit.font, room))
            return fit;
    }
    return {smallest, atSmallest, false};
}

FittingLabel::FittingLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
}

TextFit FittingLabel::shown() const {
    return fitText(text(), font(), contentsRect().size(), m_minimumPointSize);
}

void FittingLabel::paintEvent(QPaintEvent*) {
    const TextFit fit = shown();
    const QFontMetricsF metrics(fit.font);
    QPainter painter(this);
    painter.setFont(fit.font);
    painter.setPen(palette().color(foregroundRole()));
    const QRectF room = contentsRect();
    qreal top = room.top() + metrics.ascent();
    for (const QString& line : fit.lines) {
        const qreal spare = room.width() - metrics.horizontalAdvance(line);
        const qreal left = alignment() & Qt::AlignHCenter ? room.left() + spare / 2 : room.left();
        painter.drawText(QPointF(left, top), line);
        top += metrics.lineSpacing();
    }
}

bool FittingLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && shown().cut) {
        const QString whole = text();
        const QString start = ShownText::startOf(whole, kMostInTooltip);
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                           start.size() < whole.size() ? start + kEllipsis : whole, this);
        return true;
    }
    return QLabel::event(event);
}

FittingTextBox::FittingTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, &FittingTextBox::fitFont);
}

// Inside the frame and the document's margins, less the cursor's pixel.
QSizeF FittingTextBox::room() const {
    const qreal margin = document()->documentMargin();
    return QSizeF(contentsRect().size()) - QSizeF(2 * margin + 1, 2 * margin);
}

// The box's own font stays as designed; the document takes the size that fits.
void FittingTextBox::fitFont() {
    document()->setDefaultFont(fitText(toPlainText(), font(), room(), m_minimumPointSize).font);
}

void FittingTextBox::setWholeText(const QString& text) {
    const QString start =
        ShownText::startOf(text, mostIn(room(), smallestOf(font(), m_minimumPointSize)));
    setPlainText(start.size() < text.size() ? start + kEllipsis : text);
}
