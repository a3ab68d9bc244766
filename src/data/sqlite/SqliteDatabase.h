#pragma once

#include "Database.h"

#include <QSqlDatabase>
#include <optional>

// The test database as one SQLite file at a fixed path: the store of one PC. Every committed
// write reaches the file itself at once and leaves its log empty, so that the one file a
// teacher copies carries every result, and a file copied or moved over it finds no log of
// another file's to apply. A file replaced under the running program is noticed and opened
// afresh.
class SqliteDatabase : public Database {
public:
    static std::shared_ptr<Database> connect(const Store& store, Status& status);

    QString describe(const QSqlError& error) const override;
    QString label() const override;
    QVector<Field> fields(const QString& table, Status& status) const override;
    QString keyColumn(const QString&) const override { return QStringLiteral("rowid"); }
    QString dialect(const QString& sql) const override { return sql; }
    Status sortNamesInRussian() const override;
    Status teacherRights() const override { return Status::success(); }
    void afterWrite() const override;
    void afterLightWrite() const override { noteFileState(); }
    void watchResults(QObject& owner, std::function<void()> changed) const override;
    Status readTest(QuestionSheet& sheet) const override;
    Status signIn(const QString& name, SignIn& signIn) const override;
    Status deliver(FinishedTest& test, qint64& key) const override;

protected:
    Status::Cause causeOf(const QSqlError& error) const override;
    bool renew() const override;
    QString beginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QString tableQuery() const override {
        return QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    }
    void finish() const override;

private:
    // What tells one file from another at the path: its identity and what was last written.
    struct FileState {
        quint64 device = 0, inode = 0;
        qint64 size = 0, modified = 0;
        bool operator==(const FileState&) const = default;
    };

    SqliteDatabase(Store store, QString connection);
    const QString& path() const { return store().location(); }
    bool prepareSession() const override;
    int systemError() const;
    // The table whose counter of keys is used up, if one is.
    QString tableOutOfKeys() const;
    std::optional<FileState> fileState() const;
    qint64 dataVersion() const;
    void noteFileState() const;
    void forgetOldLog() const;

    mutable std::optional<FileState> m_fileState;
    mutable qint64 m_dataVersion = 0;
};

// Registers the RUSSIAN collation on a connection to a file (used also by the build tool).
bool registerRussianCollation(QSqlDatabase& db);
