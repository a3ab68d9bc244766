#pragma once

#include "QuestionSheet.h"

#include <QList>
#include <QString>
#include <optional>

// The test needs a row for every question number 1 to 10: it ends only on the row numbered 10
// and files each outcome under its number.
namespace QuestionNumbers {

inline constexpr int kQuestions = 10;

// The whole number a question number's text holds; empty when it is no 32-bit number.
std::optional<int> read(const QString& text);

struct Check {
    QList<int> missing; // numbers 1 to 10 that no row carries
};

// Walks the questions as the test puts them.
Check check(const QuestionSheet& sheet);

// What to tell the student about the missing numbers.
QString describeMissing(const QList<int>& missing);

} // namespace QuestionNumbers
