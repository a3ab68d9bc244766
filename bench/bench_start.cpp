// The time from starting a program until its first window is shown (exposed and painted), and the
// processor time it has used by then: a bare Qt window, a window with one line of text and the
// program, started in turns, on the offscreen platform and, where Xvfb is installed, on a virtual
// X display of its own. Prints the medians and each one's ratio to the bare window; asserts
// nothing. Arguments: the number of starts of each (default 15), then other programs to start in
// the same turns (another build of the program, say).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

namespace {

struct Contestant {
    QString name;
    QString program;
    QStringList arguments;
};

std::vector<Contestant> contestants(int argc, char** argv) {
    std::vector<Contestant> all{
        {QStringLiteral("bare window"), QStringLiteral(KVZ_BARE_WINDOW), {}},
        {QStringLiteral("one line of text"),
         QStringLiteral(KVZ_BARE_WINDOW),
         {QStringLiteral("text")}},
        {QStringLiteral("the program"), QStringLiteral(KVZ_PROGRAM), {}},
    };
    for (int i = 2; i < argc; ++i)
        all.push_back({QString::fromLocal8Bit(argv[i]), QString::fromLocal8Bit(argv[i]), {}});
    return all;
}

qint64 monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// One start in milliseconds: until the first window was shown, and the processor time used by
// then, as the probe plugin loaded into the program says.
struct Start {
    double shown = 0;
    double processor = 0;
};

std::optional<Start> startOnce(const Contestant& contestant, const QProcessEnvironment& env,
                               const QString& folder) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder); // where the program keeps its title file
    process.setStandardErrorFile(QProcess::nullDevice());
    const qint64 started = monotonicNanoseconds();
    process.start(contestant.program, contestant.arguments);
    if (!process.waitForFinished(30000))
        return std::nullopt;
    const QList<QByteArray> said = process.readAllStandardOutput().simplified().split(' ');
    if (said.size() != 2)
        return std::nullopt;
    return Start{double(said[0].toLongLong() - started) / 1e6, double(said[1].toLongLong()) / 1e6};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The medians of one platform, in the contestants' order; empty when a window was not shown.
using Medians = std::vector<Start>;

// The contestants in turns, so that they share whatever else the machine is doing; the first
// round only fills the caches.
Medians compare(const std::vector<Contestant>& all, const QProcessEnvironment& env, int starts) {
    const QTemporaryDir folder;
    std::vector<std::vector<double>> shown(all.size()), processor(all.size());
    for (int round = 0; round <= starts; ++round) {
        for (size_t i = 0; i < all.size(); ++i) {
            const auto start = startOnce(all[i], env, folder.path());
            if (!start)
                return {};
            if (round > 0) {
                shown[i].push_back(start->shown);
                processor[i].push_back(start->processor);
            }
        }
    }
    Medians medians;
    for (size_t i = 0; i < all.size(); ++i)
        medians.push_back({median(shown[i]), median(processor[i])});
    return medians;
}

void print(const char* platform, const std::vector<Contestant>& all, const Medians& medians) {
    std::printf("%s\n", platform);
    if (medians.empty()) {
        std::printf("  a window was not shown within 30 s\n");
        return;
    }
    for (size_t i = 0; i < all.size(); ++i) {
        std::printf("  %-18s %7.1f ms (%5.1f)   %4.2f (%4.2f)\n", qPrintable(all[i].name),
                    medians[i].shown, medians[i].processor, medians[i].shown / medians[0].shown,
                    medians[i].processor / medians[0].processor);
    }
}

QProcessEnvironment probed(const QString& platform) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(KVZ_PROBE_PLUGIN_PATH));
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("kvzfirstwindow"));
    return env;
}

// An authority file whose one cookie serves any display number, so that it can be written
// before the server has chosen its display.
QString writeCookie(const QString& folder) {
    const QString path = QDir(folder).filePath(QStringLiteral("Xauthority"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray cookie(16, 0);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(cookie.data()), 4);
    const auto field = [&](const QByteArray& bytes) {
        file.write(QByteArray(1, char(bytes.size() >> 8)) + char(bytes.size() & 0xff) + bytes);
    };
    file.write(QByteArray("\xff\xff", 2)); // any host
    field({});                             // any address
    field({});                             // any display
    field("MIT-MAGIC-COOKIE-1");
    field(cookie);
    return path;
}

// A virtual X display that the server chooses itself among the free ones.
struct VirtualDisplay {
    QTemporaryDir folder;
    QProcess server;
    QString display, authority;

    bool start() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        authority = writeCookie(folder.path());
        if (xvfb.isEmpty() || authority.isEmpty())
            return false;
        server.setStandardErrorFile(QProcess::nullDevice());
        server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                            QStringLiteral("-auth"), authority, QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("1280x1024x24")});
        while (!server.canReadLine() && server.waitForReadyRead(10000)) {
        }
        const QByteArray number = server.readLine().trimmed();
        display = number.isEmpty() ? QString() : QStringLiteral(":") + QString::fromLatin1(number);
        return !display.isEmpty();
    }
    ~VirtualDisplay() {
        server.terminate();
        server.waitForFinished();
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int starts = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;
    const std::vector<Contestant> all = contestants(argc, argv);
    std::printf("median of %d starts each, in turns: until the first window is shown (processor "
                "time used by then), and the ratio to the bare window\n",
                starts);
    print("offscreen", all, compare(all, probed(QStringLiteral("offscreen")), starts));
    VirtualDisplay x;
    if (!x.start()) {
        std::printf("xcb: skipped, Xvfb is not installed or did not start\n");
        return 0;
    }
    QProcessEnvironment env = probed(QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), x.display);
    env.insert(QStringLiteral("XAUTHORITY"), x.authority);
    print("xcb (Xvfb)", all, compare(all, env, starts));
    return 0;
}
