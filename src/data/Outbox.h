#pragma once

#include "FinishedTest.h"
#include "Status.h"

#include <QString>
#include <QVector>

// Finished tests kept on this PC until the store has them: a small SQLite file of its own,
// written and synced before anyone is told the result is kept, readable and writable by every
// account of the PC. Each call opens and closes its own connection, so any thread may use it.
class Outbox {
public:
    explicit Outbox(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    Status put(const FinishedTest& test) const;
    // Oldest first.
    Status waiting(QVector<FinishedTest>& tests) const;
    Status remove(const QString& attempt) const;

private:
    QString m_path;
};
