#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// The system asks the program to end: a shutdown or a logout (SIGTERM, SIGHUP), Ctrl+C in a
// terminal (SIGINT). The signal's handler only writes a byte into a pipe; the request is then
// handled on the windows' thread between two events, where `ask` ends the program as a normal
// close does. One object at a time; once it is gone the signals act as they did before.
class EndRequests : public QObject {
    Q_OBJECT
public:
    explicit EndRequests(std::function<void()> ask);
    ~EndRequests() override;

private:
    std::function<void()> m_ask;
    QSocketNotifier* m_notifier = nullptr;
};
