#include "QuestionNumbers.h"

#include "Database.h"
#include "Numbers.h"
#include "Recordset.h"

#include <QSet>
#include <QStringList>

namespace QuestionNumbers {

std::optional<int> read(const QString& text) {
    return kvz::wholeNumberIn(text);
}

Check check(const Store& store) {
    Check result;
    Status status;
    const std::shared_ptr<Database> db = Database::open(store, status);
    const std::unique_ptr<Recordset> rs =
        db ? Recordset::open(db, QStringLiteral("Zadanie"), status) : nullptr;
    const int numer = rs ? rs->fieldIndex(QStringLiteral("Numer")) : -1;
    if (numer < 0)
        return result;
    QSet<int> present;
    while (!rs->eof()) {
        if (const auto number = read(Recordset::displayText(rs->value(numer))))
            present.insert(*number);
        if (!rs->MoveNext().ok())
            return result;
    }
    result.readable = true;
    for (int number = 1; number <= kQuestions; ++number) {
        if (!present.contains(number))
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
