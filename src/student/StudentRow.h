#pragma once

#include "Database.h"
#include "FinishedTest.h"
#include "QuestionSheet.h"
#include "Store.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class DataControl;
class ResultCourier;

// The student's own row of Rezultat and the fate of the finished test, shared by the student's
// windows. The sign-in reads the questions and takes the row in one go, so that nothing of the
// test waits on the store until it ends: the answers land on that row whatever other rows are
// added meanwhile. Without a sign-in (the result screen opened from the start window) the last
// row stands for it. The finished test is kept in the program and on this PC, and a courier of
// its own takes it to the store, so that no window ever waits for the store.
class StudentRow : public QObject {
    Q_OBJECT
public:
    // Where the finished test is.
    enum class Saving {
        None,     // no test finished
        Trying,   // the first moments: the courier is at work
        KeptHere, // the store does not answer; kept on this PC, sent as soon as it does
        Refused,  // the store answers but refuses it; kept on this PC
        NotKept,  // the store has not got it and this PC could not keep it: only in memory
        Stored,   // in the student's row (or a new one, when that row was deleted meanwhile)
    };

    explicit StudentRow(Store store);
    ~StudentRow() override;

    std::optional<qint64> key;
    QString name; // as signed in

    // Makes the student's row current on `data`, a record source on Rezultat.
    bool moveTo(DataControl& data) const;

    // Reads the questions and takes the student's row.
    Status signIn(const QString& studentName);
    // Reads the questions alone: whether the test can be given at all.
    Status readTest();
    const QuestionSheet& sheet() const { return m_sheet; }

    // The test has ended with these ticks per question number: keep it and send it.
    void finish(const std::array<int, FinishedTest::kQuestions>& ticks);
    const std::optional<FinishedTest>& finished() const { return m_finished; }
    Saving saving() const;
    // Nothing is lost should the program end now: no test finished, or it is stored or kept.
    bool safe() const { return !m_finished || m_stored || m_kept; }
    // Why the store does not have it yet, in the store's words.
    const QString& problem() const { return m_problem; }
    // Why this PC could not keep it, in our words; empty when it is kept.
    const QString& keepProblem() const { return m_keepProblem; }

    // While the courier is at work, waits a moment for it (events go on meanwhile).
    void waitWhileTrying();

    // Sends what an earlier run of the program left on this PC.
    void deliverLeftovers();

private:
    ResultCourier& courier();
    std::shared_ptr<Database> database(Status& status) const;

    Store m_store;
    QuestionSheet m_sheet;
    SignIn m_signIn;
    std::unique_ptr<ResultCourier> m_courier;
    std::optional<FinishedTest> m_finished;
    bool m_kept = false;
    bool m_stored = false;
    bool m_refused = false;
    QString m_problem;
    QString m_keepProblem;
    QElapsedTimer m_since;
};
