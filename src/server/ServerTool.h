#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// What `kvz-server` does, each command writing its report in Russian to `out`; the exit code
// is 0 on success.
namespace ServerTool {

// The set-up on the teacher's PC (or a school's server): the database "kvz" with its tables,
// filled from `file` (an existing database file, results and keys kept; the delivered one when
// empty), the teacher's and the students' roles, the teacher's service entry on this PC, and
// the command for every student PC. `lab` (a network such as 192.168.1.0/24, or empty) is let
// in. Run again, it changes nothing that exists and says so.
int init(const QString& file, const QString& lab, QTextStream& out);
// A student PC: the students' service entry for the server at `host`.
int join(const QString& host, const QString& password, const QString& port, QTextStream& out);
// Back to the database file of this PC: the service entry goes.
int leave(QTextStream& out);

// The database file delivered with the program.
QString deliveredFile();

} // namespace ServerTool
