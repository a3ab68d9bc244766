// The figures per question over 10^5 results: the one query each refresh of frmStat runs, on
// the database file and, when a test cluster answers, on the server. Prints times; asserts
// nothing.
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

} // namespace

class bench_stats : public QObject {
    Q_OBJECT
private slots:
    void figuresQuery();
};

void bench_stats::figuresQuery() {
    const ResultsDatabase db(kRows);
    Status status;
    const std::shared_ptr<Database> connection = Database::openSeparate(db.store(), status);
    QuestionStatistics statistics;
    if (!connection || !(status = statistics.readFigures(*connection)).ok()) // warms the cache
        return (void)std::printf("failed: %s\n", qPrintable(status.error));
    std::vector<double> times, processor;
    for (int run = 0; run < kRuns; ++run) {
        const double before = processorMilliseconds();
        times.push_back(millisecondsOf([&] { statistics.readFigures(*connection); }));
        processor.push_back(processorMilliseconds() - before);
    }
    std::printf("%s, %d rows (%d participants), median of %d: %.1f ms (processor time of the "
                "program %.1f ms)\n",
                TestDatabase::onServer() ? "server" : "file", kRows, statistics.participants, kRuns,
                median(times), median(processor));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench_stats bench;
    return TestDatabase::runOnBothEngines(bench, argc, argv);
}

#include "bench_stats.moc"
