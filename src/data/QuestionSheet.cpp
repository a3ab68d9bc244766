#include "QuestionSheet.h"

#include <algorithm>

namespace Scoring {

int outcome(int ticks, int key) {
    return key != 0 && ticks == key ? 1 : 0;
}

} // namespace Scoring

const Question* QuestionSheet::byNumber(int number) const {
    const auto found = std::find_if(questions.rbegin(), questions.rend(),
                                    [&](const Question& q) { return q.number == number; });
    return found == questions.rend() ? nullptr : &*found;
}

std::optional<FinishedTest::Outcomes> QuestionSheet::score(const std::array<int, 10>& ticks) const {
    FinishedTest::Outcomes outcomes{};
    for (int n = 1; n <= 10; ++n) {
        const Question* question = byNumber(n);
        if (question && !question->key)
            return std::nullopt;
        outcomes[n - 1] = question ? Scoring::outcome(ticks[n - 1], *question->key) : 0;
    }
    return outcomes;
}

std::array<QString, 10> QuestionSheet::wordings() const {
    std::array<QString, 10> wordings;
    for (int n = 1; n <= 10; ++n) {
        if (const Question* question = byNumber(n))
            wordings[n - 1] = question->wording;
    }
    return wordings;
}

int ticksOf(const std::array<bool, 4>& boxes) {
    int ticks = 0;
    for (int i = 0; i < 4; ++i)
        ticks |= boxes[i] ? 1 << i : 0;
    return ticks;
}

std::optional<int> FinishedTest::percent() const {
    if (!outcomes)
        return std::nullopt;
    return int(std::count(outcomes->begin(), outcomes->end(), 1)) * 10;
}
