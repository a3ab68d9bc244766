#pragma once

#include <QList>
#include <QString>

class QLabel;
class QWidget;

// What a screen reader and the keyboard reach of a window, without changing what is seen.
namespace Accessibility {

// The property that marks, in a window's .ui file, a control that serves only the window's
// code (a field accessor, scratch storage, a button with no action). Such a control is no part
// of the interface: it is kept out of reach for as long as the window is loaded.
inline constexpr char kAccessorProperty[] = "accessor";

// Once per load, by the window framework: every marked control goes out of reach, the keyboard
// focus is drawn from the start, not only after the first Tab, also around a label that takes
// it, a screen reader is told of the focused control again a moment after the window has come
// to the front, and a menu bar opens by F10 as well as by Alt alone.
void prepareWindow(QWidget& window);

// A control out of reach is in neither the accessibility tree nor the Tab chain, is not seen,
// and offers nothing to read or set through the accessibility interface. Brought back, it has
// its place, its visibility, its focus policy and its place in the Tab chain again.
void setWithinReach(QWidget* control, bool within);
bool isWithinReach(const QWidget* control);

// Names a control for a screen reader. Each change of a name is announced, so a name that
// stays the same is not set again.
void setName(QWidget* control, const QString& name);

// Describes a control for a screen reader, which reads the description after the control's name
// and reads a new one out while the control has the focus: how a window tells what changed
// behind the button that changed it.
void setDescription(QWidget* control, const QString& description);

// What the controls say to a screen reader together: their names, one sentence each.
QString summaryOf(const QList<QWidget*>& controls);

// A student's result as a screen reader reads it, each part as a sentence: "Участник теста:
// name", "Вопрос k: verdict" for each verdict in order, the percentage in its line's words.
// Gives the whole result as one text, for the control that tells it.
struct ResultLabels {
    QLabel* nameCaption;
    QLabel* name;
    QList<QLabel*> verdicts;
    QLabel* percentBefore;
    QLabel* percent;
    QLabel* percentAfter;
};
QString nameResult(const ResultLabels& result);

} // namespace Accessibility
