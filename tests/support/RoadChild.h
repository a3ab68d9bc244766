#pragma once

// The fault-injection tests' child program (road_driver), run and listened to.
#include "KilledRoad.h"
#include "TestDatabase.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <csignal>

// The child program and what it has said so far.
class Child {
public:
    Child(const TestDatabase& db, const QStringList& arguments) {
        m_process.setWorkingDirectory(db.folder());
        m_errors.open();
        m_process.setStandardErrorFile(m_errors.fileName());
        m_process.start(QString::fromUtf8(ROAD_DRIVER), arguments);
    }

    // What the child has written to its standard error: Qt's notes, or why it stopped.
    QString errors() const {
        QFile file(m_errors.fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    ~Child() {
        m_process.kill();
        m_process.waitForFinished();
    }

    // Waits until the child has begun `step`; false when it ended or hung first.
    bool waitForStep(int step) {
        QDeadlineTimer deadline(60000);
        while (readLines(), m_lastStep < step) {
            if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
                return false;
            m_process.waitForReadyRead(100);
        }
        return true;
    }

    // Waits until the child has stored a student's result; false when it ended or hung first.
    bool waitForStored() {
        QDeadlineTimer deadline(60000);
        while (readLines(), m_stored.isEmpty()) {
            if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
                return false;
            m_process.waitForReadyRead(100);
        }
        return true;
    }

    // The system asks it to end (SIGTERM, SIGHUP).
    void send(int signal) { ::kill(pid_t(m_process.processId()), signal); }

    void kill() {
        m_process.kill();
        m_process.waitForFinished();
        readLines(); // what it said before it died counts
    }

    bool finishedNormally() {
        const bool finished = m_process.waitForFinished(60000) &&
                              m_process.exitStatus() == QProcess::NormalExit &&
                              m_process.exitCode() == 0;
        readLines();
        return finished;
    }

    // Takes in what the child has said meanwhile.
    void poll() {
        m_process.waitForReadyRead(0);
        readLines();
    }

    const QList<int>& stored() const { return m_stored; }
    const QList<int>& finished() const { return m_finished; }
    int lastStep() const { return m_lastStep; }
    // One past the last student the child began.
    int started() const { return m_started; }

private:
    void readLines() {
        while (m_process.canReadLine()) {
            const QStringList words = QString::fromUtf8(m_process.readLine()).split(u' ');
            const int number = words.value(1).trimmed().toInt();
            if (words[0] == u"step")
                m_lastStep = number;
            else if (words[0] == u"student")
                m_started = number + 1;
            else if (words[0] == u"finished")
                m_finished << number;
            else if (words[0] == u"stored")
                m_stored << number;
        }
    }

    QTemporaryFile m_errors;
    QProcess m_process;
    QList<int> m_stored;
    QList<int> m_finished;
    int m_lastStep = -1;
    int m_started = 0;
};
