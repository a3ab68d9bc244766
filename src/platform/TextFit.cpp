#include "TextFit.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

namespace {

constexpr qreal kStep = 0.25;

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

} // namespace

TextFit fitText(const QString& text, const QFont& font, const QSizeF& room,
                qreal minimumPointSize) {
    TextFit fit{font, {}, false};
    const qreal largest = font.pointSizeF();
    const qreal smallest = minimumPointSize > 0 ? std::min(minimumPointSize, largest) : largest;
    for (qreal size = largest; size >= smallest - kStep / 2; size -= kStep) {
        fit.font.setPointSizeF(size);
        fit.lines = wrap(text, fit.font, room.width());
        if (fit.lines.size() * QFontMetricsF(fit.font).lineSpacing() <= room.height())
            return fit;
    }
    // The lines that fit at the smallest size, the last one holding the start of the rest.
    fit.font.setPointSizeF(smallest);
    const QFontMetricsF metrics(fit.font);
    const QStringList lines = wrap(text, fit.font, room.width());
    const int kept = std::max(1, int(room.height() / metrics.lineSpacing()));
    fit.lines = lines.mid(0, kept - 1);
    fit.lines << metrics.elidedText(lines.mid(kept - 1).join(QString()), Qt::ElideRight,
                                    room.width());
    fit.cut = true;
    return fit;
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
    QPointF baseline(contentsRect().left(), contentsRect().top() + metrics.ascent());
    for (const QString& line : fit.lines) {
        painter.drawText(baseline, line);
        baseline.ry() += metrics.lineSpacing();
    }
}

bool FittingLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && shown().cut) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void keepTextWhole(QPlainTextEdit* box, qreal minimumPointSize) {
    const QFont designed = box->font();
    QObject::connect(box, &QPlainTextEdit::textChanged, box, [box, designed, minimumPointSize] {
        // The text's room: inside the frame and the document's margins, less the cursor's pixel.
        const qreal margin = box->document()->documentMargin();
        const QSizeF room = QSizeF(box->contentsRect().size()) - QSizeF(2 * margin + 1, 2 * margin);
        box->setFont(fitText(box->toPlainText(), designed, room, minimumPointSize).font);
    });
}
