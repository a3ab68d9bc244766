#pragma once

#include "Status.h"
#include "Store.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

class Database;

// How the class did on each of the ten questions. Participants are the rows of Rezultat that
// carry a name: the row delete-all keeps blank and nameless rows are nobody's test. A question
// counts as answered right where its flag is set; an empty percentage counts as 0.
struct QuestionStatistics {
    static constexpr int kQuestions = 10;

    int participants = 0;
    double percentSum = 0;
    std::array<int, kQuestions> right{};
    std::array<QString, kQuestions> texts{}; // question k + 1's text; empty when none has it

    // Texts and figures, on the store's shared connection.
    Status read(const Store& store);
    // The figures: one query over Rezultat, whatever its size.
    Status readFigures(const Database& db);
    // The question texts, by the question's number.
    Status readTexts(const Database& db);

    // The class average as the results browser shows it: a whole number, a half going to the
    // even neighbour; none without participants.
    std::optional<std::int32_t> average() const;
    // The share of participants who answered question `k` (from 0) right, in whole per cent.
    std::optional<std::int32_t> share(int k) const;
    // The question answered worst: the fewest right, while some question did better.
    bool isWorst(int k) const;
};
