#pragma once

#include "Status.h"
#include "Store.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <cstdint>
#include <optional>

class Database;

// Which results count: all, or those begun since a moment (today's, a lesson's). A result kept
// by an older program has no time and counts only under "all".
struct ResultSelection {
    std::optional<QDateTime> since;

    static ResultSelection today();
    // How the selection is named on screen and paper.
    QString describe() const;
};

// How the class did on each of the ten questions. Participants are the rows of Rezultat that
// carry a name and whose test is finished: the row delete-all keeps blank and nameless rows are
// nobody's test, and a test still being written (or cut off) is counted apart, never as 0 %.
// A question counts as answered right where its flag is set; an empty percentage counts as 0.
struct QuestionStatistics {
    static constexpr int kQuestions = 10;
    static constexpr int kOptions = 4;
    static constexpr int kSpreadBars = 11; // 0 %, 10 % ... 100 %
    // A sign-in without a finished test older than this was cut off (a crash, a closed PC).
    static constexpr int kWritingHours = 2;

    int participants = 0; // finished tests
    int writing = 0;      // signed in within kWritingHours, not finished
    int cutOff = 0;       // not finished and no longer being written
    double percentSum = 0;
    std::array<int, kQuestions> right{};
    std::array<QString, kQuestions> texts{}; // question k + 1's text; empty when none has it
    // Each question's wording and key as the test puts it now.
    std::array<QString, kQuestions> digests{};
    std::array<std::array<bool, kOptions>, kQuestions> key{};
    // Per question and option, how many finished tests ticked it, to the wording of now.
    std::array<std::array<int, kOptions>, kQuestions> ticked{};
    // Per question, how many kept ticks were given to the current wording and to an earlier one.
    std::array<int, kQuestions> answered{};
    std::array<int, kQuestions> earlierWording{};
    // Finished tests by their percentage: bar b counts 10·b % up to below 10·(b+1) %.
    std::array<int, kSpreadBars> spread{};
    // Sums over finished tests of the number of questions right, of its square, and per
    // question of that number where the question was right: the correlations need no more.
    double scoreSum = 0;
    double scoreSquares = 0;
    std::array<double, kQuestions> rightScoreSum{};
    QDateTime readAt;
    ResultSelection selection;

    // Texts and figures, on the store's shared connection.
    Status read(const Store& store, const ResultSelection& selection = {});
    // The figures: one query over Rezultat and the kept ticks, whatever their size.
    Status readFigures(const Database& db, const ResultSelection& selection = {});
    // The question texts, options and keys, by the question's number.
    Status readTexts(const Database& db);
    // The names of those whose finished test, in this selection, has question `k` wrong.
    static Status wrongNames(const Database& db, const ResultSelection& selection, int k,
                             QStringList& names);

    // The class average as the results browser shows it: a whole number, a half going to the
    // even neighbour; none without participants.
    std::optional<std::int32_t> average() const;
    // The same average unrounded, as the report's footer counts it over its rows.
    std::optional<double> exactAverage() const;
    // The share of participants who answered question `k` (from 0) right, in whole per cent.
    std::optional<std::int32_t> share(int k) const;
    // The question answered worst: the fewest right, while some question did better.
    bool isWorst(int k) const;
    // The option not in the key that most ticked (from 0); none when no wrong option was.
    std::optional<int> mostChosenWrong(int k) const;
    // How well question `k` separates strong from weak: the correlation between answering it
    // right and the number right of the other nine (item-rest point-biserial), -1 to 1; none
    // where all answered alike or the rest does not vary.
    std::optional<double> discrimination(int k) const;
    // The test's reliability, Kuder-Richardson 20, over the ten flags; none with fewer than two
    // finished tests or no spread of scores.
    std::optional<double> reliability() const;

private:
    // One line of the figures' query: `count` rows of this state, percentage and flags.
    void countRows(int state, const QVariant& percent, int bits, int count);
    // `count` answers to question `k` (from 0) with these ticks, given to this wording.
    void countTicks(const QString& wording, int k, int ticks, int count);
};
