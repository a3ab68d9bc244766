#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

// A student's finished test as the program keeps it until the store has it: whose row it
// belongs to, the ten outcomes and the percentage. Its attempt is its identity: the store
// takes each attempt once, however often it is delivered.
struct FinishedTest {
    static constexpr int kQuestions = 10;

    QString attempt;
    qint64 key = 0; // the row the sign-in stored
    QString name;   // as signed in: a row whose name differs is no longer the student's
    std::array<int, kQuestions> outcomes{}; // 1 right, 0 wrong
    int percent = 0;

    bool operator==(const FinishedTest&) const = default;
};
