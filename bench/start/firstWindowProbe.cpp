// A plugin that bench_start loads into the program it starts (QT_QPA_GENERIC_PLUGINS), so that
// the program itself is measured unchanged: once the first window has been exposed and painted,
// it prints the monotonic clock and the processor time the program has used, in nanoseconds, and
// ends the program.
#include <QCoreApplication>
#include <QGenericPlugin>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long nanoseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

class FirstWindowShown : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Expose || !watched->isWindowType() ||
            !static_cast<QWindow*>(watched)->isExposed())
            return false;
        QCoreApplication::instance()->removeEventFilter(this);
        QCoreApplication::sendEvent(watched, event); // the window paints itself on its way
        std::printf("%lld %lld\n", nanoseconds(CLOCK_MONOTONIC),
                    nanoseconds(CLOCK_PROCESS_CPUTIME_ID));
        std::fflush(stdout);
        std::_Exit(0);
    }
};

} // namespace

class FirstWindowProbe : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "firstWindowProbe.json")

public:
    QObject* create(const QString&, const QString&) override {
        auto* probe = new FirstWindowShown(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(probe);
        return probe;
    }
};

#include "firstWindowProbe.moc"
