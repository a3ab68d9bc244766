#pragma once

#include <QString>
#include <QTextStream>
#include <optional>

class AdminConnection;

// The program's three roles, made or mended to what the class needs: whatever a student did to
// the students' role (its password, its settings) is undone, and each change is said.
//
//   kvz_owner    owns the tables and the functions; cannot log in;
//   kvz_teacher  the teacher's program; a password only where the teacher's PC is not the server;
//   kvz_student  the student PCs' program; no password, and fewer connections than the server
//                has, so that the teacher always gets in.
namespace Roles {

inline const QString kOwnerRole = QStringLiteral("kvz_owner");

struct Wanted {
    bool teacherHasPassword = false;        // the teacher's PC is not the server
    std::optional<QString> teacherPassword; // a new one, given now
};

bool settle(const AdminConnection& admin, const Wanted& wanted, QTextStream& out);

// As many connections as the server takes from roles that are not superusers, less the room
// kept for the teacher.
int studentConnectionLimit(const AdminConnection& admin);

} // namespace Roles
