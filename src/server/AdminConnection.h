#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTextStream>
#include <QVariantList>

// The class's database on the server.
inline const QString kClassDatabase = QStringLiteral("kvz");

// A connection of the server's administrator to one database, the way libpq finds one: its
// environment, or, run as root with none, the postgres account over the local socket, as the
// socket's peer check wants.
class AdminConnection {
public:
    explicit AdminConnection(const QString& database);
    ~AdminConnection();
    AdminConnection(const AdminConnection&) = delete;
    AdminConnection& operator=(const AdminConnection&) = delete;

    bool isOpen() const { return m_open; }
    const QString& error() const { return m_error; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // The rows of a statement; none when it fails.
    QList<QVariantList> rows(const QString& sql, const QVariantList& values = {}) const;
    // The first column of the first row; empty when the statement fails or returns none.
    QString value(const QString& sql, const QVariantList& values = {}) const;
    QString setting(const QString& name) const;
    // Runs a statement; on failure says the server's words to `out`.
    bool run(const QString& sql, QTextStream& out) const;

private:
    QString m_name;
    bool m_open = false;
    QString m_error;
};
