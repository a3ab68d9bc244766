#include "Roles.h"

#include "AdminConnection.h"
#include "postgres/ServerSetup.h"

#include <QStringList>

namespace {

// Connections the students can never take: the teacher's program (its windows and its probe), a
// back-up and the administrator's psql.
constexpr int kTeacherRoom = 10;

enum class Password { None, Keep, Set };

struct Role {
    QString name;
    bool login = true;
    int limit = -1; // -1: none
    Password password = Password::None;
    QString newPassword;
    QString purpose;
};

QString literal(QString text) {
    return u'\'' + text.replace(u'\'', QLatin1String("''")) + u'\'';
}

// What differs from `role`, in Russian, and the statements that mend it.
struct Mending {
    QStringList said;
    QStringList statements;
};

void mendSettings(const AdminConnection& admin, const Role& role, Mending& m) {
    const auto settings = admin.rows(
        QStringLiteral("SELECT quote_ident(d.datname), array_to_string(s.setconfig, ', ') FROM "
                       "pg_db_role_setting s LEFT JOIN pg_database d ON d.oid = s.setdatabase "
                       "WHERE s.setrole = (SELECT oid FROM pg_roles WHERE rolname = ?)"),
        {role.name});
    QStringList found;
    for (const QVariantList& row : settings) {
        const QString database = row[0].toString();
        m.statements << QStringLiteral("ALTER ROLE %1 %2 RESET ALL")
                            .arg(role.name, database.isEmpty()
                                                ? QString()
                                                : QStringLiteral("IN DATABASE ") + database);
        found << row[1].toString();
    }
    if (!found.isEmpty())
        m.said << QStringLiteral("сброшены её параметры %1").arg(found.join(QStringLiteral(", ")));
}

Mending mending(const AdminConnection& admin, const Role& role) {
    Mending m;
    const auto found = admin.rows(
        QStringLiteral("SELECT rolcanlogin, rolsuper OR rolcreaterole OR rolcreatedb OR "
                       "rolreplication OR rolbypassrls, rolconnlimit, rolpassword IS NOT NULL "
                       "FROM pg_authid WHERE rolname = ?"),
        {role.name});
    if (found.isEmpty())
        return m;
    const QVariantList& now = found[0];
    const auto mend = [&](const QString& statement, const QString& said) {
        m.statements << QStringLiteral("ALTER ROLE %1 %2").arg(role.name, statement);
        m.said << said;
    };
    if (now[0].toBool() != role.login)
        mend(role.login ? QStringLiteral("LOGIN") : QStringLiteral("NOLOGIN"),
             role.login ? QStringLiteral("вход снова разрешён") : QStringLiteral("вход запрещён"));
    if (now[1].toBool())
        mend(QStringLiteral("NOSUPERUSER NOCREATEROLE NOCREATEDB NOREPLICATION NOBYPASSRLS"),
             QStringLiteral("сняты права администратора"));
    if (now[2].toInt() != role.limit)
        mend(QStringLiteral("CONNECTION LIMIT %1").arg(role.limit),
             QStringLiteral("предел подключений %1 (был %2)")
                 .arg(role.limit < 0 ? QStringLiteral("снят") : QString::number(role.limit))
                 .arg(now[2].toInt()));
    if (role.password == Password::None && now[3].toBool())
        mend(QStringLiteral("PASSWORD NULL"), QStringLiteral("пароль снят"));
    if (role.password == Password::Set)
        m.statements << QStringLiteral("ALTER ROLE %1 PASSWORD %2")
                            .arg(role.name, literal(role.newPassword));
    mendSettings(admin, role, m);
    return m;
}

bool settleRole(const AdminConnection& admin, const Role& role, QTextStream& out) {
    const bool made =
        admin.value(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {role.name})
            .isEmpty();
    if (made && !admin.run(QStringLiteral("CREATE ROLE ") + role.name, out))
        return false;
    const Mending m = mending(admin, role);
    for (const QString& statement : m.statements) {
        if (!admin.run(statement, out))
            return false;
    }
    if (made)
        out << QStringLiteral("Роль «%1» создана: %2.\n").arg(role.name, role.purpose);
    else if (m.said.isEmpty())
        out << QStringLiteral("Роль «%1» в порядке.\n").arg(role.name);
    else
        out << QStringLiteral("Роль «%1» восстановлена: %2.\n").arg(role.name, m.said.join(u"; "));
    if (role.password == Password::Set)
        out << QStringLiteral("Роли «%1» задан новый пароль.\n").arg(role.name);
    return true;
}

} // namespace

namespace Roles {

int studentConnectionLimit(const AdminConnection& admin) {
    const int open = admin
                         .value(QStringLiteral(
                             "SELECT current_setting('max_connections')::int - "
                             "current_setting('superuser_reserved_connections')::int - "
                             "coalesce(current_setting('reserved_connections', true), '0')::int"))
                         .toInt();
    return std::max(1, open - kTeacherRoom);
}

bool settle(const AdminConnection& admin, const Wanted& wanted, QTextStream& out) {
    const int students = studentConnectionLimit(admin);
    const Password teachers = wanted.teacherPassword      ? Password::Set
                              : wanted.teacherHasPassword ? Password::Keep
                                                          : Password::None;
    const Role roles[] = {
        {kOwnerRole,
         false,
         -1,
         Password::None,
         {},
         QStringLiteral("владелец таблиц и функций, "
                        "войти под ней нельзя")},
        {ServerSetup::kTeacherRole, true, -1, teachers, wanted.teacherPassword.value_or(QString()),
         QStringLiteral("программа учителя")},
        {ServerSetup::kStudentRole,
         true,
         students,
         Password::None,
         {},
         QStringLiteral("программа учеников, не больше %1 подключений").arg(students)},
    };
    for (const Role& role : roles) {
        if (!settleRole(admin, role, out))
            return false;
    }
    return true;
}

} // namespace Roles
