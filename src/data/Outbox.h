#pragma once

#include "FinishedTest.h"
#include "Status.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Finished tests kept on this PC until the store has them: a small SQLite file of its own,
// written and synced before anyone is told the result is kept, readable and writable by every
// account of the PC. Each call opens and closes its own connection, so any thread may use it.
//
// Nothing the program did not write is ever delivered: a row that fails a check, and a file
// that cannot be read, are set aside (what can still be read of the file is kept), noted in a
// record beside the outbox, and told to the teacher once.
class Outbox {
public:
    explicit Outbox(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    Status put(const FinishedTest& test) const;
    // Oldest first.
    Status waiting(QVector<FinishedTest>& tests) const;
    Status remove(const QString& attempt) const;
    // A test the store refuses for good leaves the outbox for the record.
    void setAside(const FinishedTest& test, const QString& why) const;

    // The record of everything set aside, kept for the teacher to look at.
    QString record() const { return m_path + QStringLiteral("-set-aside.txt"); }
    // What was set aside since the teacher was last told, once.
    QStringList takeUntold() const;

private:
    Status setAsideDamaged() const;
    void note(const QString& line) const;

    QString m_path;
};
