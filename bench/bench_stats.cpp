// The figures per question over 10^5 results: the one query each refresh of frmStat runs, on
// the database file and, when a test cluster answers, on the server; without the tables of
// attempts and ticks (an older database), and with them: a finished attempt for every row and
// its ten answers (10^6 rows of ticks), one in thirty of them since the moment a selection
// picks. Prints times; asserts nothing.
#include "AttemptTables.h"
#include "BenchResults.h"
#include "Database.h"
#include "QuestionStatistics.h"

#include <QCoreApplication>
#include <QObject>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 21;

// Of this program: on the file the query's whole work, on the server only the waiting for it.
double processorMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Every row's attempt, finished (one in thirty this morning, the rest a month ago), and its ten
// answers: ticks that vary, the current wording.
void fillAttempts(const TestDatabase& db, const QuestionStatistics& texts) {
    for (const QString& statement : AttemptTables::createStatements().split(u';'))
        db.execStatement(statement);
    QStringList numbers;
    for (int k = 1; k <= QuestionStatistics::kQuestions; ++k)
        numbers << QStringLiteral("SELECT %1 AS n").arg(k);
    db.exec(QStringLiteral("BEGIN; INSERT INTO kvz_attempt SELECT 'a' || \"Код\", \"Код\", "
                           "\"Фамилия, Имя, Отчество\", CASE WHEN \"Код\" % 30 = 0 THEN "
                           "'2026-12-08T08:00:00.000Z' ELSE '2026-11-02T08:00:00.000Z' END, "
                           "'2026-12-08T08:20:00.000Z' FROM Rezultat;"
                           "INSERT INTO kvz_answer SELECT a.attempt, q.n, a.\"Код\" % 15 + 1, '' "
                           "FROM kvz_attempt a CROSS JOIN (%1) q; COMMIT;")
                .arg(numbers.join(QStringLiteral(" UNION ALL "))));
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k)
        db.exec(QStringLiteral("UPDATE kvz_answer SET wording = '%1' WHERE question = %2")
                    .arg(texts.digests[k])
                    .arg(k + 1));
    // What the server's autovacuum does within a minute of such a change: without it the
    // planner knows nothing of the new rows.
    if (TestDatabase::onServer())
        db.execStatement(QStringLiteral("VACUUM ANALYZE"));
}

void measure(const TestDatabase& db, const char* what, const ResultSelection& selection = {}) {
    Status status;
    const std::shared_ptr<Database> connection = Database::openSeparate(db.store(), status);
    QuestionStatistics statistics;
    if (!connection || !(status = statistics.readTexts(*connection)).ok() ||
        !(status = statistics.readFigures(*connection, selection)).ok()) // warms the cache
        return (void)std::printf("failed: %s\n", qPrintable(status.error));
    std::vector<double> times, processor;
    for (int run = 0; run < kRuns; ++run) {
        const double before = processorMilliseconds();
        times.push_back(millisecondsOf([&] { statistics.readFigures(*connection, selection); }));
        processor.push_back(processorMilliseconds() - before);
    }
    std::printf("%s, %s, %d rows (%d participants), median of %d: %.1f ms (processor time of "
                "the program %.1f ms)\n",
                TestDatabase::onServer() ? "server" : "file", what, kRows, statistics.participants,
                kRuns, median(times), median(processor));
}

} // namespace

class bench_stats : public QObject {
    Q_OBJECT
private slots:
    void figuresQuery();
};

void bench_stats::figuresQuery() {
    const ResultsDatabase db(kRows);
    measure(db, "no ticks kept");
    Status status;
    QuestionStatistics texts;
    const std::shared_ptr<Database> connection = Database::openSeparate(db.store(), status);
    if (!connection || !texts.readTexts(*connection).ok())
        return (void)std::printf("failed to read the questions\n");
    fillAttempts(db, texts);
    measure(db, "with ticks, all results");
    measure(db, "with ticks, since a moment (one row in 30)",
            {QDateTime::fromString(QStringLiteral("2026-12-08T07:00:00Z"), Qt::ISODate)});
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench_stats bench;
    return TestDatabase::runOnBothEngines(bench, argc, argv);
}

#include "bench_stats.moc"
