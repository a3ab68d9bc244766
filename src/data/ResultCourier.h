#pragma once

#include "FinishedTest.h"
#include "Outbox.h"
#include "Status.h"
#include "Store.h"

#include <QObject>
#include <QThread>
#include <QVector>

class CourierRound;

// Takes finished tests to the store on a thread of its own, so that no window ever waits for
// another program's lock or for the network. Each test is first kept in the PC's outbox; the
// courier tries again and again (soon at first, then every few seconds) until the store has
// it, and what an earlier run left in the outbox goes along. A test the store refuses for good
// is set aside in the outbox's record, for the teacher.
class ResultCourier : public QObject {
    Q_OBJECT
public:
    explicit ResultCourier(Store store);
    ~ResultCourier() override;

    // Keeps `test` in the outbox, synced, and hands it to the courier. A test that cannot be
    // kept (the disk is full, say) is still delivered from memory; the status says why it is
    // not kept.
    Status send(const FinishedTest& test);
    // What an earlier run of the program left in the outbox.
    void deliverLeftovers();
    // The outbox of `store` on this PC.
    static QString outboxOf(const Store& store);

signals:
    // `test` as stored, its outcomes set (the server scores it).
    void delivered(const FinishedTest& test, qint64 key);
    void notDelivered(const QString& attempt, const Status& why);

private:
    Outbox m_outbox;
    QThread m_thread;
    CourierRound* m_round; // lives on m_thread
};
