// kvz_mkdb SCRIPT.sql OUT.mdb: builds a database file from an SQL script.
#include "Database.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kvz_mkdb SCRIPT.sql OUT.mdb\n");
        return 2;
    }
    QFile script(QString::fromLocal8Bit(argv[1]));
    if (!script.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kvz_mkdb: cannot read %s\n", argv[1]);
        return 1;
    }
    Status status;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mkdb"));
        db.setDatabaseName(QString::fromLocal8Bit(argv[2]));
        status = db.open() ? runSqlScript(db, QString::fromUtf8(script.readAll()))
                           : Status::failure(QStringLiteral("cannot create the file"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("mkdb"));
    if (!status.ok())
        std::fprintf(stderr, "kvz_mkdb: %s\n", qPrintable(status.error));
    return status.ok() ? 0 : 1;
}
