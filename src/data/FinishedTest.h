#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// A student's finished test as the program keeps it until the store has it: whose row it
// belongs to, the options ticked at each question number, and, where the PC may score (the
// database file), the ten outcomes. The class's server scores the ticks itself and gives the
// outcomes back. Its attempt is its identity: the store takes each attempt once, however often
// it is delivered.
struct FinishedTest {
    static constexpr int kQuestions = 10;
    using Outcomes = std::array<int, kQuestions>; // 1 right, 0 wrong

    QString attempt;
    QString secret; // the server's proof that the attempt is this PC's own; empty on the file
    qint64 key = 0; // the row the sign-in stored
    QString name;   // as signed in: a row whose name differs is no longer the student's
    // Per question number: bit 0 option 1 ... bit 3 option 4.
    std::array<int, kQuestions> ticks{};
    // Per question number: the digest of the question as the student saw it.
    std::array<QString, kQuestions> wordings;
    std::optional<Outcomes> outcomes;
    QDateTime began, finished;

    // Ten points per right answer; unknown until scored.
    std::optional<int> percent() const;

    bool operator==(const FinishedTest&) const = default;
};
