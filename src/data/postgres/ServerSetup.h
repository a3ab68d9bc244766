#pragma once

#include "Status.h"

#include <QSqlDatabase>
#include <QString>

// What the program's set-up tool does to a server: the test's tables and the rights of the
// teacher's and the students' roles in a new database, and the rows of an existing database file
// copied over, keys kept.
namespace ServerSetup {

inline const QString kTeacherRole = QStringLiteral("kvz_teacher");
inline const QString kStudentRole = QStringLiteral("kvz_student");

// Whether `db` already holds the test's tables.
bool hasTables(QSqlDatabase& db);
// The two tables, the record of delivered results, and the notice sent on every change of the
// results, in the database `db` is connected to.
Status createTables(QSqlDatabase& db);
// The student's road as the server's functions (made again, the same, on an older database),
// and the tables of the program's own beside Rezultat.
Status installRoad(QSqlDatabase& db);
// The teacher's role may do everything the program does; the students' role may only call the
// road's functions.
Status grantRights(QSqlDatabase& db);
// Copies the questions, the answer key and every result row of the database file `file` into
// the empty tables of `db`; new keys go on from the largest the file ever gave.
Status copyFromFile(const QString& file, QSqlDatabase& db);

} // namespace ServerSetup
