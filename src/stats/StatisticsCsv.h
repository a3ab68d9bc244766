#pragma once

#include "Status.h"

#include <QByteArray>
#include <QString>

struct QuestionStatistics;

// The per-question table of the statistics as a spreadsheet's file (as the results' CSV): one
// line per question with its text, how many answered it right and the share, its
// discrimination, how many ticked each option, the key and the wrong option that drew most.
QByteArray statisticsCsv(const QuestionStatistics& statistics);
Status saveStatisticsCsv(const QuestionStatistics& statistics, const QString& fileName);
