#include "FormTimer.h"

FormTimer::FormTimer(const QString& name, int intervalMs, std::function<void()> tick,
                     QObject* parent)
    : QObject(parent), m_tick(std::move(tick)) {
    setObjectName(name);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &FormTimer::fire);
}

void FormTimer::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

void FormTimer::fire() {
    if (m_ticking || !m_enabled)
        return;
    m_ticking = true;
    m_tick();
    m_ticking = false;
}
