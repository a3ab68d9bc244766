#pragma once

#include <QString>
#include <optional>

class QFont;
class QPainter;
class QRectF;
struct QuestionStatistics;

// The lines above the chart and its legend, in the window and on the page alike.
QString participantsLine(const QuestionStatistics& statistics);
QString averageLine(const QuestionStatistics& statistics);
QString worstLegend();
// Finished, still writing and not finished, counted apart.
QString stateLine(const QuestionStatistics& statistics);
// KR-20 with what it means in a line.
QString reliabilityLine(const QuestionStatistics& statistics);
// Where results were given to an earlier wording of a question; empty when nowhere.
QString wordingLine(const QuestionStatistics& statistics);
// The worst questions named in words, for paper.
QString worstLine(const QuestionStatistics& statistics);
// When the figures were read and which results they count.
QString readLine(const QuestionStatistics& statistics);
// The spread in words: "0%: 1, 10%: 0, ...".
QString spreadText(const QuestionStatistics& statistics);
// A correlation as the window writes it ("0,58"); a dash where there is none.
QString decimal(std::optional<double> value);
// What a question's line tells a screen reader: the full question, the figures, the ticks.
QString questionLine(const QuestionStatistics& statistics, int k);
// The options' counts: "1) 3, 2) 5 — верный, ..." with the key and the most-chosen wrong one.
QString optionsFigures(const QuestionStatistics& statistics, int k);

// One question's line of the bar chart, drawn the same in the window and on the report's page,
// in whatever unit the painter uses (pixels, twips): the fonts come in that unit too.

// The question's number and as much of its text as fits the label part of a line this wide,
// in the font the line draws it with.
QString questionLabel(const QuestionStatistics& statistics, int k, const QFont& font,
                      qreal lineWidth);
// What the bar says: "7 из 12 (58%)".
QString barFigures(const QuestionStatistics& statistics, int k);

// Draws the line of question `k` (from 0) into `line`: the label on the left, a bar as long as
// the share answered right with the figures on it, the discrimination, and the count of each
// option, the key's underlined with a tick, the wrong one that drew most on red. The worst question
// is in bold with a red bar, so that it stands out on a grey printout too. The border takes the
// painter's pen width.
// Without a label (`labelShare` 0, on paper, where the full text stands above) only the number
// is drawn before the bar.
void drawQuestionBar(QPainter& painter, const QRectF& line, const QuestionStatistics& statistics,
                     int k, const QFont& font, qreal labelShare = 0.38);

// The spread of the finished tests' percentages, 0 % to 100 % in steps of ten, as bars with their
// counts above and their percentages below, into `area`.
void drawSpread(QPainter& painter, const QRectF& area, const QuestionStatistics& statistics,
                const QFont& font);
