#include "StatisticsCsv.h"

#include "CsvFile.h"
#include "QuestionBars.h"
#include "QuestionStatistics.h"

namespace {

QString number(std::optional<std::int32_t> value) {
    return value ? QString::number(*value) : QString();
}

// The key's options as "1, 3".
QString keyOptions(const QuestionStatistics& statistics, int k) {
    QStringList chosen;
    for (int option = 0; option < QuestionStatistics::kOptions; ++option)
        if (statistics.key[k][option])
            chosen << QString::number(option + 1);
    return csv::quoted(chosen.join(QStringLiteral(", ")));
}

QStringList questionCells(const QuestionStatistics& statistics, int k) {
    const std::optional<double> index = statistics.discrimination(k);
    const std::optional<int> wrong = statistics.mostChosenWrong(k);
    QStringList cells{QString::number(k + 1),
                      csv::quoted(statistics.texts[k]),
                      QString::number(statistics.right[k]),
                      QString::number(statistics.participants),
                      number(statistics.share(k)),
                      index ? decimal(index) : QString()};
    for (int option = 0; option < QuestionStatistics::kOptions; ++option)
        cells << (statistics.answered[k] > 0 ? QString::number(statistics.ticked[k][option])
                                             : QString());
    cells << keyOptions(statistics, k) << (wrong ? QString::number(*wrong + 1) : QString())
          << QString::number(statistics.earlierWording[k]);
    return cells;
}

} // namespace

QByteArray statisticsCsv(const QuestionStatistics& statistics) {
    QString text;
    QStringList header;
    for (const char* name :
         {"Вопрос", "Текст вопроса", "Ответили верно", "Закончили тест", "Доля верных, %",
          "Различающая сила", "Выбрали вариант 1", "Выбрали вариант 2", "Выбрали вариант 3",
          "Выбрали вариант 4", "Верные варианты", "Чаще всего из неверных",
          "Ответов к прежнему тексту"})
        header << csv::quoted(QString::fromUtf8(name));
    csv::appendLine(text, header);
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k)
        csv::appendLine(text, questionCells(statistics, k));
    return csv::bytes(text);
}

Status saveStatisticsCsv(const QuestionStatistics& statistics, const QString& fileName) {
    return csv::writeWhole(fileName, statisticsCsv(statistics), QStringLiteral("Статистика"));
}
