#pragma once

#include "Accounts.h"

#include <QMap>
#include <QString>
#include <QTextStream>

// What kvz-server writes on a PC: the service entry "kvz" (the students' in the system's
// service file, which every account reads; the teacher's in the teacher's own, which no other
// account reads), the teacher's password in the teacher's own .pgpass when the teacher's PC is
// not the server, and a record of every file it wrote into, beside the system's service file,
// by which `leave` and the package's purge take it all out again.
namespace PcEntries {

inline const QString kService = QStringLiteral("kvz");

// The teacher's own files, as libpq finds them for that account: PGSERVICEFILE and PGPASSFILE
// when they are set (as the tests set them), else in the account's home.
QString teacherServiceFile(const Account& teacher);
QString teacherPassFile(const Account& teacher);
QString recordFile();

// The file that holds the teacher's entry on this PC, or empty: the system's file (where the
// older set-up tool put it), the teacher's files written here, and the own file of `teacher`.
QString teacherEntryFile(const std::optional<Account>& teacher);

// Why an entry cannot be written into `file` (as `owner`, when given) and recorded, in Russian;
// empty when it can.
QString cannotWrite(const QString& file, const std::optional<Account>& owner = std::nullopt);

// Writes the entry "kvz" into `file`, as `owner` and readable by it alone when given, and
// records the file. Empty on success, else why not.
QString writeService(const QString& file, const QMap<QString, QString>& options,
                     const std::optional<Account>& owner = std::nullopt);
// The teacher's password for the server at `host`, in the teacher's .pgpass, as above.
QString writePassword(const QString& file, const QString& host, const QString& port,
                      const QString& password, const Account& owner);
// Takes out every entry and password that kvz-server wrote on this PC, and the record; says
// what it took out.
bool removeAll(QTextStream& out);

} // namespace PcEntries
