#include "ResultCourier.h"

#include "Database.h"

#include <QTimer>
#include <algorithm>

// The courier's work on its own thread: a round delivers every test it holds; one that fails
// stays for the next round, which starts after a pause that grows to a few seconds.
class CourierRound : public QObject {
    Q_OBJECT
public:
    CourierRound(Store store, Outbox outbox)
        : m_store(std::move(store)), m_outbox(std::move(outbox)) {
        m_retry.setSingleShot(true);
        connect(&m_retry, &QTimer::timeout, this, &CourierRound::run);
    }

    void take(const FinishedTest& test, bool kept) {
        m_tests.removeIf([&](const Held& held) { return held.test.attempt == test.attempt; });
        m_tests.prepend({test, kept}); // the student waiting for it goes before any backlog
        run();
    }

    void takeLeftovers() {
        QVector<FinishedTest> left;
        if (m_outbox.waiting(left).ok()) {
            for (const FinishedTest& test : left) {
                if (std::none_of(m_tests.begin(), m_tests.end(), [&](const Held& held) {
                        return held.test.attempt == test.attempt;
                    }))
                    m_tests.append({test, true});
            }
        }
        run();
    }

signals:
    void delivered(const FinishedTest& test, qint64 key);
    void notDelivered(const QString& attempt, const Status& why);

private:
    struct Held {
        FinishedTest test;
        bool kept = false; // in the outbox
    };

    // The connection lasts one round: between rounds the courier holds nothing open.
    void run() {
        m_retry.stop();
        if (m_tests.isEmpty())
            return;
        Status status;
        std::shared_ptr<Database> db = Database::openSeparate(m_store, status);
        QVector<Held> failed;
        for (Held& held : m_tests) {
            qint64 key = 0;
            const Status delivery = db ? db->deliver(held.test, key) : status;
            if (delivery.cause == Status::Cause::RefusedForGood) {
                m_outbox.setAside(held.test, delivery.error);
                emit notDelivered(held.test.attempt, delivery);
                continue;
            }
            if (!delivery.ok()) {
                failed.append(held);
                emit notDelivered(held.test.attempt, delivery);
                continue;
            }
            if (held.kept)
                m_outbox.remove(held.test.attempt); // if not, the next delivery finds it done
            emit delivered(held.test, key);
        }
        db.reset();
        m_tests = failed;
        if (!m_tests.isEmpty())
            scheduleRetry();
        else
            m_failedRounds = 0;
    }

    void scheduleRetry() {
        ++m_failedRounds;
        m_retry.start(std::min(m_failedRounds, kLongestPauseSeconds) * 1000);
    }

    static constexpr int kLongestPauseSeconds = 5;

    Store m_store;
    Outbox m_outbox;
    QVector<Held> m_tests;
    QTimer m_retry{this}; // a child, so that it moves to the courier's thread too
    int m_failedRounds = 0;
};

QString ResultCourier::outboxOf(const Store& store) {
    return store.notePath(QStringLiteral("outbox"));
}

ResultCourier::ResultCourier(Store store)
    : m_outbox(outboxOf(store)), m_round(new CourierRound(store, m_outbox)) {
    m_round->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_round, &QObject::deleteLater);
    connect(m_round, &CourierRound::delivered, this, &ResultCourier::delivered);
    connect(m_round, &CourierRound::notDelivered, this, &ResultCourier::notDelivered);
    m_thread.setObjectName(QStringLiteral("kvz-courier"));
    m_thread.start();
}

ResultCourier::~ResultCourier() {
    m_thread.quit();
    m_thread.wait();
}

Status ResultCourier::send(const FinishedTest& test) {
    const Status kept = m_outbox.put(test);
    QMetaObject::invokeMethod(m_round,
                              [round = m_round, test, ok = kept.ok()] { round->take(test, ok); });
    return kept;
}

void ResultCourier::deliverLeftovers() {
    QMetaObject::invokeMethod(m_round, &CourierRound::takeLeftovers);
}

#include "ResultCourier.moc"
