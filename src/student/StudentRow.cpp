#include "StudentRow.h"

#include "DataControl.h"
#include "ResultCourier.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

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

void StudentRow::signedIn(qint64 rowKey, const QString& studentName) {
    key = rowKey;
    name = studentName;
    m_finished.reset();
}

ResultCourier& StudentRow::courier() {
    if (!m_courier) {
        m_courier = std::make_unique<ResultCourier>(m_store);
        connect(m_courier.get(), &ResultCourier::delivered, this,
                [this](const QString& attempt, qint64 rowKey) {
                    if (!m_finished || m_finished->attempt != attempt)
                        return;
                    m_stored = true;
                    key = rowKey; // a new row, when the student's was deleted meanwhile
                });
        connect(m_courier.get(), &ResultCourier::notDelivered, this,
                [this](const QString& attempt, const QString& why) {
                    if (m_finished && m_finished->attempt == attempt)
                        m_problem = why;
                });
    }
    return *m_courier;
}

void StudentRow::finish(const FinishedTest& test) {
    m_finished = test;
    m_stored = false;
    m_problem.clear();
    m_since.start();
    const Status kept = courier().send(test);
    courier().deliverLeftovers(); // what an earlier run left goes along
    m_kept = kept.ok();
    if (!m_kept)
        m_problem = kept.error;
}

StudentRow::Saving StudentRow::saving() const {
    if (!m_finished)
        return Saving::None;
    if (m_stored)
        return Saving::Stored;
    if (m_since.elapsed() < kTryingMs)
        return Saving::Trying;
    return m_kept ? Saving::KeptHere : Saving::NotKept;
}

void StudentRow::waitWhileTrying() {
    QDeadlineTimer moment(kMomentMs);
    while (saving() == Saving::Trying && !moment.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void StudentRow::deliverLeftovers() {
    courier().deliverLeftovers();
}
