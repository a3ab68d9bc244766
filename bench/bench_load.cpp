// A lab at the server: N student PCs, each a process taking the whole road through the real
// windows on the offscreen platform (road_driver), all started at once against one server, on
// a results table holding only the blank row. Prints, for each N given (default 30 and 200),
// the time until every result is stored, the median and 99th percentile of a "Далее >>" (the
// answer scored and the next question read) and of a store (from the test's end until the
// result screen says it is stored), and whether every result is on its own row, whole and once.
// Run it beside a server that takes that many connections:
//   pg_virtualenv -t -o fsync=off -o max_connections=700 bench/bench_load 30 200
#include "BenchResults.h"
#include "KilledRoad.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

double percentile(std::vector<qint64> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(share * double(values.size())));
    return double(values[at]) / 1000.0; // milliseconds
}

void lab(int pcs) {
    TestDatabase db;
    std::vector<std::unique_ptr<QProcess>> students;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < pcs; ++i) {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(db.folder());
        process->setProcessChannelMode(QProcess::SeparateChannels);
        process->start(QString::fromUtf8(ROAD_DRIVER),
                       {QStringLiteral("once"), killedRoad::storeArgument(db), QString::number(i)});
        students.push_back(std::move(process));
    }
    std::vector<qint64> moves, stores;
    int failed = 0;
    for (const auto& process : students) {
        if (!process->waitForFinished(600000) || process->exitCode() != 0)
            ++failed;
        for (const QByteArray& line : process->readAllStandardOutput().split('\n')) {
            if (line.startsWith("move "))
                moves.push_back(line.mid(5).toLongLong());
            else if (line.startsWith("store "))
                stores.push_back(line.mid(6).toLongLong());
        }
    }
    const double seconds = double(clock.elapsed()) / 1000.0;
    QList<int> all;
    for (int i = 0; i < pcs; ++i)
        all << i;
    const QString fault = killedRoad::roadFault(db, pcs, all);
    std::printf("%-5d %10.1f %12.1f %12.1f %12.1f %12.1f  %s\n", pcs, seconds,
                percentile(moves, 0.5), percentile(moves, 0.99), percentile(stores, 0.5),
                percentile(stores, 0.99),
                failed == 0 && fault.isEmpty()
                    ? "every result on its own row, whole, once"
                    : qPrintable(QStringLiteral("%1 failed; %2").arg(failed).arg(fault)));
}

} // namespace

int main(int argc, char** argv) {
    offscreenUnlessAsked(); // for the student programs too
    QCoreApplication app(argc, argv);
    if (const QString why = TestDatabase::serverUnavailable(); !why.isEmpty()) {
        std::printf("no server: %s\n", qPrintable(why));
        return 1;
    }
    TestDatabase::setEngine(TestDatabase::Engine::Server);
    QList<int> sizes;
    for (const QString& arg : app.arguments().mid(1))
        sizes << arg.toInt();
    if (sizes.isEmpty())
        sizes = {30, 200};
    std::printf("%-5s %10s %12s %12s %12s %12s\n", "PCs", "all s", "move ms p50", "move ms p99",
                "store ms p50", "store ms p99");
    for (int pcs : sizes)
        lab(pcs);
    return 0;
}
