// The results browser's two loops on a table of 10^5 rows: the work of one tick (the tick itself
// and the events it leaves for the window: painting, the grid's layout), in processor time, at
// rows 1 000, 50 000 and 99 000 for the statistics walk in either layout, and with 99 000, 50 000
// and 1 000 rows left for delete-all in the overview; and the memory over a whole walk. Prints
// figures; asserts nothing.
#include "BenchResults.h"
#include "BrowserForms.h"
#include "FormTimer.h"
#include "Forms.h"
#include "ScriptedPlatform.h"
#include "TestDatabase.h"
#include "frmVeiv.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <unistd.h>
#include <vector>

namespace {

// KVZ_BENCH_ROWS=N runs another size (for profiling); the rows timed stay at 1 %, 50 % and 99 %.
const int kRows = qEnvironmentVariableIntValue("KVZ_BENCH_ROWS") > 0
                      ? qEnvironmentVariableIntValue("KVZ_BENCH_ROWS")
                      : 100000;
const int kPositions[] = {kRows / 100, kRows / 2, kRows - kRows / 100};
constexpr int kSpread = 250; // ticks timed on either side of each position

double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0;
}

double processorMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// Tick times gathered near each position.
class TickTimes {
public:
    void add(int position, double microseconds) {
        for (std::size_t i = 0; i < std::size(kPositions); ++i) {
            if (std::abs(position - kPositions[i]) <= kSpread)
                m_samples[i].push_back(microseconds);
        }
    }
    // The median, and the mean (it counts the steps that do more, such as removing a batch of
    // deleted lines from the grid).
    void print(const char* loop) {
        std::printf("%-30s", loop);
        for (std::vector<double>& samples : m_samples) {
            std::sort(samples.begin(), samples.end());
            const double mean = std::accumulate(samples.begin(), samples.end(), 0.0) /
                                double(std::max<std::size_t>(samples.size(), 1));
            std::printf(" %7.0f (%5.0f)", samples.empty() ? 0.0 : samples[samples.size() / 2],
                        mean);
        }
        std::printf("  us per tick\n");
    }

private:
    std::vector<double> m_samples[std::size(kPositions)];
};

struct Browser {
    ScriptedPlatform platform;
    Forms forms;
    frmVeiv* window = nullptr;

    explicit Browser(const TestDatabase& db) : forms(platform, db.path()) {
        registerBrowserForms(forms);
    }
    FormTimer& timer(const char* name) const {
        return *window->widget()->findChild<FormTimer*>(QLatin1String(name));
    }
    // Opens it for the teacher; the bench drives the timers itself, one tick at a time.
    void open(bool overview) {
        frmVeiv::ShowForTeacher(forms);
        window = &forms.get<frmVeiv>(QStringLiteral("frmVeiv"));
        for (const char* name : {"Timer1", "Timer2", "Timer3"})
            timer(name).setInterval(24 * 3600 * 1000);
        timer("Timer1").fire();
        if (overview)
            window->widget()->findChild<QPushButton*>(QStringLiteral("cmdIzm"))->click();
        QApplication::processEvents();
    }
    // One tick and what it leaves for the event loop, in processor time of the whole program
    // (its painting threads included): the figure does not depend on what else the machine runs.
    double tickMicroseconds(FormTimer& loop) const {
        const double start = processorMicroseconds();
        loop.fire();
        QApplication::processEvents();
        return processorMicroseconds() - start;
    }
};

void walk(const TestDatabase& db, bool overview) {
    Browser b(db);
    b.open(overview);
    FormTimer& walk = b.timer("Timer2");
    TickTimes times;
    const double before = residentMegabytes();
    double peak = before;
    for (int row = 1; walk.Enabled(); ++row) {
        times.add(row, b.tickMicroseconds(walk));
        if (row % 1000 == 0)
            peak = std::max(peak, residentMegabytes());
    }
    const double after = residentMegabytes();
    times.print(overview ? "statistics walk, overview" : "statistics walk, student view");
    std::printf("  memory over the walk: %.1f MB before, %.1f MB peak, %.1f MB after (%+.1f MB)\n",
                before, peak, after, peak - before);
    b.window->Unload();
}

void deleteAll(const TestDatabase& db) {
    Browser b(db);
    b.open(true);
    b.window->widget()->findChild<QPushButton*>(QStringLiteral("cmdDelete"))->click();
    FormTimer& deletion = b.timer("Timer3");
    TickTimes times;
    for (int rows = kRows; deletion.Enabled() && b.window->isLoaded(); --rows)
        times.add(rows, b.tickMicroseconds(deletion));
    times.print("delete-all, overview");
}

} // namespace

int main(int argc, char** argv) {
    offscreenUnlessAsked();
    QApplication app(argc, argv);
    const ResultsDatabase db(kRows);
    std::printf("rows %d; median (mean) of the %d ticks around each row\n", kRows, 2 * kSpread + 1);
    std::printf("%-30s %15d %15d %15d\n", "", kPositions[0], kPositions[1], kPositions[2]);
    walk(db, false);
    walk(db, true);
    deleteAll(db);
    return 0;
}
