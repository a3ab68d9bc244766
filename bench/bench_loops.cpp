// The results browser's two loops on a table of 10^5 rows: the work of one tick (the tick itself
// and the events it leaves for the window: painting, the grid's layout), in processor time, at
// rows 1 000, 50 000 and 99 000 for the statistics walk in either layout, and with 1 000, 50 000
// and 99 000 rows left for delete-all in the overview; and the memory over a whole walk. The
// three places are timed in turns, a block of ticks each, so that all three share whatever else
// the machine runs. Prints figures; asserts nothing.
#include "BenchResults.h"
#include "BrowserForms.h"
#include "FormTimer.h"
#include "Forms.h"
#include "ScriptedPlatform.h"
#include "TestDatabase.h"
#include "frmVeiv.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <numeric>
#include <unistd.h>
#include <vector>

namespace {

// KVZ_BENCH_ROWS=N runs another size (for profiling); the rows timed stay at 1 %, 50 % and 99 %.
const int kRows = qEnvironmentVariableIntValue("KVZ_BENCH_ROWS") > 0
                      ? qEnvironmentVariableIntValue("KVZ_BENCH_ROWS")
                      : 100000;
const int kPlaces[] = {kRows / 100, kRows / 2, kRows - kRows / 100};
constexpr int kSpread = 250; // ticks timed on either side of each place
constexpr int kBlock = 25;   // ticks timed at one place before the next place's turn

double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0;
}

// Of the whole program, its painting threads included.
double processorMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// Runs the event loop for a while: what a step left for later (the lines of deleted rows
// leave the grid a moment after) is done.
void settle() {
    QEventLoop loop;
    QTimer::singleShot(150, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Browser {
    ScriptedPlatform platform;
    Forms forms;
    frmVeiv* window = nullptr;

    explicit Browser(const TestDatabase& db) : forms(platform, db.store()) {
        registerBrowserForms(forms);
    }
    FormTimer& timer(const char* name) const {
        return *window->widget()->findChild<FormTimer*>(QLatin1String(name));
    }
    void click(const char* button) const {
        window->widget()->findChild<QPushButton*>(QLatin1String(button))->click();
    }
    // Opens it for the teacher; the bench drives the timers itself, one tick at a time.
    void open(bool overview) {
        frmVeiv::ShowForTeacher(forms);
        window = &forms.get<frmVeiv>(QStringLiteral("frmVeiv"));
        for (const char* name : {"Timer1", "Timer2", "Timer3"})
            timer(name).setInterval(24 * 3600 * 1000);
        timer("Timer1").fire();
        if (overview)
            click("cmdIzm");
        QApplication::processEvents();
    }
    // One tick and what it leaves for the event loop.
    static double tickMicroseconds(FormTimer& loop) {
        const double start = processorMicroseconds();
        loop.fire();
        QApplication::processEvents();
        return processorMicroseconds() - start;
    }
};

// One place of a loop: its window, and the times of its ticks.
struct Place {
    std::unique_ptr<TestDatabase> ownDatabase; // delete-all's, each with its rows
    std::unique_ptr<Browser> browser;
    FormTimer* loop = nullptr;
    std::vector<double> ticks;
    double total = 0; // ticks and what they left for later
};

// `leavesWork`: a step leaves work for later, done between the blocks and counted with them.
void timeInTurns(std::vector<Place>& places, bool leavesWork) {
    for (int done = 0; done <= 2 * kSpread; done += kBlock) {
        for (Place& place : places) {
            const double start = processorMicroseconds();
            for (int i = 0; i < kBlock && done + i <= 2 * kSpread && place.loop->Enabled(); ++i)
                place.ticks.push_back(Browser::tickMicroseconds(*place.loop));
            if (leavesWork)
                settle();
            place.total += processorMicroseconds() - start;
        }
    }
}

// The median tick, and in brackets the mean with the work the ticks left for later (and, for
// delete-all, the event loop running meanwhile).
void print(const char* loop, std::vector<Place>& places) {
    std::printf("%-30s", loop);
    for (Place& place : places) {
        std::sort(place.ticks.begin(), place.ticks.end());
        const double median = place.ticks.empty() ? 0.0 : place.ticks[place.ticks.size() / 2];
        std::printf(" %7.0f (%5.0f)", median,
                    place.total / double(std::max<std::size_t>(place.ticks.size(), 1)));
    }
    std::printf("  us per tick\n");
}

void walkTicks(const TestDatabase& db, bool overview) {
    std::vector<Place> places(std::size(kPlaces));
    for (std::size_t i = 0; i < places.size(); ++i) {
        places[i].browser = std::make_unique<Browser>(db);
        places[i].browser->open(overview);
        places[i].loop = &places[i].browser->timer("Timer2");
        for (int row = 1; row < kPlaces[i] - kSpread; ++row) // there without painting each step
            places[i].loop->fire();
    }
    QApplication::processEvents();
    timeInTurns(places, false);
    print(overview ? "statistics walk, overview" : "statistics walk, student view", places);
}

void walkMemory(const TestDatabase& db, bool overview) {
    Browser b(db);
    b.open(overview);
    FormTimer& walk = b.timer("Timer2");
    const double before = residentMegabytes();
    double peak = before;
    for (int row = 1; walk.Enabled(); ++row) {
        Browser::tickMicroseconds(walk);
        if (row % 1000 == 0)
            peak = std::max(peak, residentMegabytes());
    }
    std::printf("memory over a whole walk, %-13s %.1f MB before, %.1f MB peak, %.1f MB after\n",
                overview ? "overview:" : "student view:", before, peak, residentMegabytes());
}

// A table of that many rows is what delete-all of a larger one leaves after its first steps.
void deleteTicks() {
    std::vector<Place> places(std::size(kPlaces));
    for (std::size_t i = 0; i < places.size(); ++i) {
        places[i].ownDatabase = std::make_unique<ResultsDatabase>(kPlaces[i] + kSpread);
        places[i].browser = std::make_unique<Browser>(*places[i].ownDatabase);
        places[i].browser->open(true);
        places[i].browser->click("cmdDelete");
        places[i].loop = &places[i].browser->timer("Timer3");
    }
    timeInTurns(places, true);
    print("delete-all, overview", places);
}

void measure() {
    const ResultsDatabase db(kRows);
    std::printf("rows %d; median (mean) of %d ticks around each place\n", kRows, 2 * kSpread + 1);
    std::printf("%-30s %15d %15d %15d\n", "", kPlaces[0], kPlaces[1], kPlaces[2]);
    walkTicks(db, false);
    walkTicks(db, true);
    deleteTicks();
    walkMemory(db, false);
    walkMemory(db, true);
}

} // namespace

// On the file, and again on the server when a test cluster answers (pg_virtualenv).
int main(int argc, char** argv) {
    offscreenUnlessAsked();
    QApplication app(argc, argv);
    std::printf("== the database file\n");
    measure();
    if (const QString why = TestDatabase::serverUnavailable(); !why.isEmpty()) {
        std::printf("== no server: %s\n", qPrintable(why));
        return 0;
    }
    std::printf("== the server\n");
    TestDatabase::setEngine(TestDatabase::Engine::Server);
    measure();
    return 0;
}
