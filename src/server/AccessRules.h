#pragma once

#include <QString>
#include <QTextStream>

class AdminConnection;

// Who the server lets into the class's database, from where and how: a block of lines of its
// own in pg_hba.conf, which init replaces whole, and the map from the teacher's account to the
// teacher's role in pg_ident.conf.
//
//   the teacher's role: over the local socket from the teacher's account alone (peer, mapped),
//                       and with its password from the teacher's PC when that is not the server;
//   the students' role: from this PC and the lab's network, with no password (it may do nothing
//                       but what the program does, and its password is on every student PC).
namespace AccessRules {

struct Wanted {
    QString lab;       // "192.168.1.0/24", or empty
    QString teacherPc; // "192.168.1.10/32", or empty
    QString teacherAccount;
};

// What the rules there are already let in: an earlier init's block, or the one line of the
// older set-up tool, which let both roles in from the lab's network with passwords.
Wanted current(const AdminConnection& admin);

// Writes both files, has the server read them back for errors, and makes it load them; on any
// error puts both back as they were and says what to fix.
bool apply(const AdminConnection& admin, const Wanted& wanted, QTextStream& out);

// Why the files cannot be changed by this command, in Russian; empty when they can.
QString cannotChange(const AdminConnection& admin);

} // namespace AccessRules
