#pragma once

#include <QFont>
#include <QLabel>
#include <QSizeF>
#include <QStringList>

class QPlainTextEdit;

// How a text is laid out in a fixed space.
struct TextFit {
    QFont font;
    QStringList lines;
    bool cut = false; // too long even at the smallest size: the last line ends in "…"
};

// Lays `text` out in `room`, wrapped at word boundaries (a word longer than a line is broken
// anywhere), at `font`'s size or, where it does not fit, the largest smaller size down to
// `minimumPointSize`, in steps of a quarter point.
TextFit fitText(const QString& text, const QFont& font, const QSizeF& room, qreal minimumPointSize);

// A label in a window of fixed size that shows its whole text as stored (plain text, never
// markup): wrapped, in a smaller font only where needed, and cut with "…" only when even the
// minimum size is too big, the whole text then being its tooltip. Drawn from the top left.
class FittingLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(qreal minimumPointSize READ minimumPointSize WRITE setMinimumPointSize)
public:
    explicit FittingLabel(QWidget* parent = nullptr);

    // 0, the default: never smaller than the label's own font.
    qreal minimumPointSize() const { return m_minimumPointSize; }
    void setMinimumPointSize(qreal size) { m_minimumPointSize = size; }

    // What the label shows now.
    TextFit shown() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    qreal m_minimumPointSize = 0;
};

// Keeps the whole text of a read-only box in view: where it does not fit at the box's own font,
// a smaller one down to `minimumPointSize`.
void keepTextWhole(QPlainTextEdit* box, qreal minimumPointSize);
