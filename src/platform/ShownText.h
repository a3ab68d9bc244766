#pragma once

#include <QFontMetricsF>
#include <QString>

// The part of a stored text that a fixed space can show, found without measuring the rest: a
// database changed by another program may hold a megabyte where a line is expected, and laying
// all of it out would hold a window up for minutes.
namespace ShownText {

// No more code units than this can show in `lines` lines of `width` at this font: a character
// that shows is at least a tenth of the font's height wide and seldom longer than four code
// units (an emoji with its skin tone).
qsizetype mostThatCanShow(const QFontMetricsF& metrics, qreal width, int lines);

// The start of `text` of at most `count` code units, cut between two characters.
QString startOf(const QString& text, qsizetype count);

} // namespace ShownText
