#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// A window's timer. A tick never starts while an earlier tick of the same timer still runs,
// also when that tick waits in a message box; such a tick is skipped, not queued.
class FormTimer : public QObject {
    Q_OBJECT
public:
    FormTimer(const QString& name, int intervalMs, std::function<void()> tick, QObject* parent);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int Interval() const { return m_timer.interval(); }
    void setInterval(int ms) { m_timer.setInterval(ms); }
    bool isTicking() const { return m_ticking; }

    // Runs one tick now, as the timer would (tests drive timers this way).
    void fire();

private:
    QTimer m_timer;
    std::function<void()> m_tick;
    bool m_enabled = false;
    bool m_ticking = false;
};
