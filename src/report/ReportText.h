#pragma once

#include <QFontMetricsF>
#include <QString>
#include <QStringList>
#include <QVariant>

// How the report writes values and fits text into its boxes.
namespace report {

// At most two decimals, no trailing zeros, a decimal comma: 70, 72,5, 66,67.
QString formatNumber(double value);

// A column's value as a text box prints it: numbers as formatNumber, yes/no as the stored
// -1 or 0, an empty value as nothing.
QString valueText(const QVariant& value);

// Breaks `text` into lines no wider than `width`: at blanks where it can, inside a word that is
// wider than a whole line. Lines beyond `maxLines` are dropped and the last kept line ends
// with "…", so nothing is drawn outside the box.
QStringList wrapLines(const QString& text, const QFontMetricsF& metrics, qreal width, int maxLines);

// How many lines of this font a box of `height` holds (at least one).
int linesFitting(const QFontMetricsF& metrics, qreal height);

} // namespace report
