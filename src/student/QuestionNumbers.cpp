#include "QuestionNumbers.h"

#include "Numbers.h"

#include <QStringList>

namespace QuestionNumbers {

std::optional<int> read(const QString& text) {
    return kvz::wholeNumberIn(text);
}

Check check(const QuestionSheet& sheet) {
    Check result;
    for (int number = 1; number <= kQuestions; ++number) {
        if (!sheet.byNumber(number))
            result.missing << number;
    }
    return result;
}

QString describeMissing(const QList<int>& missing) {
    QStringList numbers;
    for (int number : missing)
        numbers << QString::number(number);
    const QString text =
        QStringLiteral("В таблице вопросов «Zadanie» нет вопросов с номерами: %1. Тест не может "
                       "быть проведён полностью; сообщите об этом учителю.")
            .arg(numbers.join(QStringLiteral(", ")));
    // Without question 10 the test cannot end, so the window's close box is not refused.
    if (missing.contains(kQuestions))
        return text + QStringLiteral(" Окно теста можно закрыть в любой момент.");
    return text;
}

} // namespace QuestionNumbers
