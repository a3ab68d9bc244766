#pragma once

#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSizeF>
#include <QStringList>

// How a text is laid out in a fixed space.
struct TextFit {
    QFont font;
    QStringList lines;
    bool cut = false; // too long even at the smallest size: the last line ends in "…"
};

// Lays `text` out in `room`, wrapped at word boundaries (a word longer than a line is broken
// anywhere), at `font`'s size or, where it does not fit, the largest smaller size down to
// `minimumPointSize`, in steps of a quarter point. What cannot show even then is never measured,
// so the cost is the same for a text of a thousand characters or of a million.
TextFit fitText(const QString& text, const QFont& font, const QSizeF& room, qreal minimumPointSize);

// A label in a window of fixed size that shows its whole text as stored (plain text, never
// markup): wrapped, in a smaller font only where needed, and cut with "…" only when even the
// minimum size is too big, the whole text then being its tooltip. Drawn from the top, on the left
// or centred.
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

// A read-only box that keeps its whole text in view: where it does not fit at the box's own font,
// a smaller one down to `minimumPointSize`.
class FittingTextBox : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(qreal minimumPointSize READ minimumPointSize WRITE setMinimumPointSize)
public:
    explicit FittingTextBox(QWidget* parent = nullptr);

    qreal minimumPointSize() const { return m_minimumPointSize; }
    void setMinimumPointSize(qreal size) { m_minimumPointSize = size; }

    // Shows `text` as stored; of a text longer than the box can show even at the minimum size,
    // only the start it can show, ending in "…" (laid out whole, a megabyte of text would hold
    // the window up for minutes).
    void setWholeText(const QString& text);

    // The font the text is laid out in now.
    QFont shownFont() const { return document()->defaultFont(); }

private:
    QSizeF room() const;
    void fitFont();

    qreal m_minimumPointSize = 0;
};
