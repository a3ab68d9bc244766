#pragma once

#include <QString>
#include <QTextStream>

// What `kvz-server` does, each command writing its report in Russian to `out`; the exit code
// is 0 on success. A mistake in what the administrator gives is told with its fix before
// anything is written.
namespace ServerTool {

struct InitOptions {
    QString file;      // an existing database file to fill the tables from; the delivered one
    QString lab;       // the lab's network, "192.168.1.0/24"; empty: as before
    QString teacher;   // the teacher's account on this PC; empty: as before, else sudo's caller
    QString teacherPc; // the teacher's PC when it is not the server; empty: as before
};

// The set-up on the server (the teacher's PC or a school's server): the database "kvz" with
// its tables, the program's roles, who may connect from where, the entries of this PC, and the
// commands for the other PCs. Run again, it keeps the data, mends the roles and the rules, and
// says what it mended.
int init(const InitOptions& options, QTextStream& out);
// A student PC: the students' entry for the server at `host`, once the server lets it in.
int join(const QString& host, const QString& port, QTextStream& out);
// The teacher's PC when it is not the server: the teacher's entry and password in the files of
// the teacher's account (`account`, else sudo's caller), once the server takes the password.
int teacher(const QString& host, const QString& port, const QString& account,
            const QString& password, QTextStream& out);
// Back to the database file of this PC: every entry and password kvz-server wrote here goes.
int leave(QTextStream& out);

// The database file delivered with the program.
QString deliveredFile();

} // namespace ServerTool
