#include "AdminConnection.h"

#include "Accounts.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <unistd.h>

namespace {

bool connectsAsPostgresAccount() {
    return geteuid() == 0 && qEnvironmentVariableIsEmpty("PGUSER") &&
           qEnvironmentVariableIsEmpty("PGHOST");
}

} // namespace

AdminConnection::AdminConnection(const QString& database)
    : m_name(QStringLiteral("kvz-admin-") + QUuid::createUuid().toString()) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    db.setDatabaseName(database);
    QString options = QStringLiteral("connect_timeout=5");
    std::optional<Account> postgres;
    if (connectsAsPostgresAccount()) {
        postgres = Account::named(QStringLiteral("postgres"));
        options += QStringLiteral(";user=postgres");
    }
    db.setConnectOptions(options);
    {
        const AsAccount administrator(postgres);
        m_open = administrator.ok() && db.open();
    }
    if (!m_open)
        m_error = db.lastError().databaseText();
}

AdminConnection::~AdminConnection() {
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QList<QVariantList> AdminConnection::rows(const QString& sql, const QVariantList& values) const {
    QSqlQuery query(db());
    query.prepare(sql);
    for (const QVariant& v : values)
        query.addBindValue(v);
    QList<QVariantList> rows;
    if (!query.exec())
        return rows;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        rows << row;
    }
    return rows;
}

QString AdminConnection::value(const QString& sql, const QVariantList& values) const {
    const QList<QVariantList> found = rows(sql, values);
    return found.isEmpty() ? QString() : found[0].value(0).toString();
}

QString AdminConnection::setting(const QString& name) const {
    return value(QStringLiteral("SELECT current_setting(?)"), {name});
}

bool AdminConnection::run(const QString& sql, QTextStream& out) const {
    QSqlQuery query(db());
    if (query.exec(sql))
        return true;
    out << QStringLiteral("Ошибка сервера: %1\n").arg(query.lastError().databaseText());
    return false;
}
