#include "StudentRow.h"

#include "DataControl.h"
#include "ResultCourier.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QUuid>

namespace {
// How long the result screen says the result is being saved before it says where it is.
constexpr qint64 kTryingMs = 3000;
// How long the result screen's OK waits for a courier at work: a store that answers at all
// answers within it.
constexpr int kMomentMs = 1500;
} // namespace

StudentRow::StudentRow(Store store) : m_store(std::move(store)) {}

StudentRow::~StudentRow() = default;

bool StudentRow::moveTo(DataControl& data) const {
    return key ? data.setBookmark(*key) : data.MoveLast();
}

std::shared_ptr<Database> StudentRow::database(Status& status) const {
    return Database::open(m_store, status);
}

Status StudentRow::readTest() {
    Status status;
    const auto db = database(status);
    return db ? db->readTest(m_sheet) : status;
}

Status StudentRow::signIn(const QString& studentName) {
    Status status = readTest();
    if (!status.ok())
        return status;
    const auto db = database(status);
    if (!db)
        return status;
    SignIn signIn;
    status = db->signIn(studentName, signIn);
    if (!status.ok())
        return status;
    m_signIn = signIn;
    key = signIn.key;
    name = studentName;
    m_finished.reset();
    return status;
}

ResultCourier& StudentRow::courier() {
    if (!m_courier) {
        m_courier = std::make_unique<ResultCourier>(m_store);
        connect(m_courier.get(), &ResultCourier::delivered, this,
                [this](const FinishedTest& test, qint64 rowKey) {
                    if (!m_finished || m_finished->attempt != test.attempt)
                        return;
                    m_stored = true;
                    m_finished->outcomes = test.outcomes; // the server's scoring
                    key = rowKey; // a new row, when the student's was deleted meanwhile
                });
        connect(m_courier.get(), &ResultCourier::notDelivered, this,
                [this](const QString& attempt, const Status& why) {
                    if (!m_finished || m_finished->attempt != attempt)
                        return;
                    m_problem = why.error;
                    m_refused = why.cause != Status::Cause::Unanswered;
                });
    }
    return *m_courier;
}

void StudentRow::finish(const std::array<int, FinishedTest::kQuestions>& ticks) {
    FinishedTest test;
    // A test begun without a sign-in (the test window opened on its own) is an attempt all the
    // same, known to this PC alone.
    test.attempt = m_signIn.attempt.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces)
                                              : m_signIn.attempt;
    test.secret = m_signIn.secret;
    test.key = key.value_or(0);
    test.name = name;
    test.ticks = ticks;
    test.wordings = m_sheet.wordings();
    test.outcomes = m_sheet.score(ticks); // where the PC holds the key
    test.began = m_signIn.began;
    test.finished = QDateTime::currentDateTimeUtc();
    m_finished = test;
    m_stored = m_refused = false;
    m_problem.clear();
    m_since.start();
    const Status kept = courier().send(test);
    courier().deliverLeftovers(); // what an earlier run left goes along
    m_kept = kept.ok();
    m_keepProblem = kept.error;
}

StudentRow::Saving StudentRow::saving() const {
    if (!m_finished)
        return Saving::None;
    if (m_stored)
        return Saving::Stored;
    if (m_since.elapsed() < kTryingMs)
        return Saving::Trying;
    if (!m_kept)
        return Saving::NotKept;
    return m_refused ? Saving::Refused : Saving::KeptHere;
}

void StudentRow::waitWhileTrying() {
    QDeadlineTimer moment(kMomentMs);
    while (saving() == Saving::Trying && !moment.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void StudentRow::deliverLeftovers() {
    courier().deliverLeftovers();
}
