#pragma once

#include <QString>

class QFont;
class QPainter;
class QRectF;
struct QuestionStatistics;

// The lines above the chart and its legend, in the window and on the page alike.
QString participantsLine(const QuestionStatistics& statistics);
QString averageLine(const QuestionStatistics& statistics);
QString worstLegend();

// One question's line of the bar chart, drawn the same in the window and on the report's page,
// in whatever unit the painter uses (pixels, twips): the fonts come in that unit too.

// The question's number and as much of its text as fits the label part of a line this wide,
// in the font the line draws it with.
QString questionLabel(const QuestionStatistics& statistics, int k, const QFont& font,
                      qreal lineWidth);
// What the bar says: "7 из 12 (58%)".
QString barFigures(const QuestionStatistics& statistics, int k);

// Draws the line of question `k` (from 0) into `line`: the label on the left, and on the right
// a bar as long as the share answered right with the figures on it. The worst question is in
// bold with a red bar, so that it stands out on a grey printout too. The border takes the
// painter's pen width.
void drawQuestionBar(QPainter& painter, const QRectF& line, const QuestionStatistics& statistics,
                     int k, const QFont& font);
