#pragma once

#include "FinishedTest.h"

#include <QString>
#include <QVector>
#include <array>
#include <optional>

// One row of Zadanie as the student's test puts it. The key is there only where the PC may
// score (the database file); a student PC of a class's server never holds it.
struct Question {
    int number = 0; // as stored: a row outside 1..10 is shown but never counted
    QString numberText;
    QString text;
    std::array<QString, 4> options;
    std::optional<int> key; // bit 0 option 1 ... bit 3 option 4
    QString wording;        // the digest of text, options and key
};

// The scoring of one question, all or nothing: right only when exactly the options of the key
// are ticked, and the key has at least one. The server's kvz_score says the same in SQL.
namespace Scoring {
int outcome(int ticks, int key);
}

// The test's questions in the order the student meets them, read once at the sign-in.
struct QuestionSheet {
    QVector<Question> questions;

    // The row that counts for a question number: the last one with it.
    const Question* byNumber(int number) const;
    // The ten outcomes of `ticks`, where every question holds its key.
    std::optional<FinishedTest::Outcomes> score(const std::array<int, 10>& ticks) const;
    std::array<QString, 10> wordings() const;
};

// A test's ticks at a question as one number, and back.
int ticksOf(const std::array<bool, 4>& boxes);
