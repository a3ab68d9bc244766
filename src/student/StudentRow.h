#pragma once

#include "FinishedTest.h"
#include "Store.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class DataControl;
class ResultCourier;

// The student's own row of Rezultat and the fate of the finished test, shared by the student's
// windows. The sign-in stores the row before the test starts and keeps its key, so that the
// answers land on that row whatever other rows are added meanwhile; without a key (the result
// screen opened from the start window) the last row stands for it. The finished test is kept
// in the program and on this PC, and a courier of its own takes it to the store, so that no
// window ever waits for the store.
class StudentRow : public QObject {
    Q_OBJECT
public:
    // Where the finished test is.
    enum class Saving {
        None,     // no test finished
        Trying,   // the first moments: the courier is at work
        KeptHere, // the store does not answer; kept on this PC, sent as soon as it does
        NotKept,  // the store does not answer and this PC could not keep it: only in memory
        Stored,   // in the student's row (or a new one, when that row was deleted meanwhile)
    };

    explicit StudentRow(Store store);
    ~StudentRow() override;

    std::optional<qint64> key;
    QString name; // as signed in

    // Makes the student's row current on `data`, a record source on Rezultat.
    bool moveTo(DataControl& data) const;

    void signedIn(qint64 rowKey, const QString& studentName);
    // The test has ended: keep it and send it.
    void finish(const FinishedTest& test);
    const std::optional<FinishedTest>& finished() const { return m_finished; }
    Saving saving() const;
    // Nothing is lost should the program end now: no test finished, or it is stored or kept.
    bool safe() const { return !m_finished || m_stored || m_kept; }
    // Why the store does not have it yet, in the store's words.
    const QString& problem() const { return m_problem; }

    // While the courier is at work, waits a moment for it (events go on meanwhile).
    void waitWhileTrying();

    // Sends what an earlier run of the program left on this PC.
    void deliverLeftovers();

private:
    ResultCourier& courier();

    Store m_store;
    std::unique_ptr<ResultCourier> m_courier;
    std::optional<FinishedTest> m_finished;
    bool m_kept = false;
    bool m_stored = false;
    QString m_problem;
    QElapsedTimer m_since;
};
