#pragma once

#include "Database.h"
#include "Status.h"

#include <QString>
#include <optional>

// The note, in a file beside the database, that delete-all of a table's rows has begun: the key
// of the last row it has to delete. A delete-all cut short (the program ended, its window was
// closed) leaves the note behind, so that a later opening can say that rows remain to delete.
// A file and not the database: the tables stay as they are, and the note survives whatever the
// deletion itself leaves.
class PendingDeletion {
public:
    PendingDeletion(const Database& db, QString table);

    // The file that holds the note.
    const QString& path() const { return m_path; }

    Status begin(qint64 lastKey) const;
    // Done: a note that cannot be removed does no harm, the next look finds nothing left of it.
    void end() const;

    // Whether a note is there and the table still holds a row the deletion had to delete with a
    // key above `firstKey` (the row a delete-all keeps).
    Status rowsRemain(qint64 firstKey, bool& remain) const;

private:
    std::optional<qint64> lastKey() const;

    const Database& m_db;
    QString m_table;
    QString m_path;
};
