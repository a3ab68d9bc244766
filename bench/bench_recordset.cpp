// The record source on Rezultat with 10^2, 10^4 and 10^6 rows: time per MoveLast (with the
// row read), MoveNext, MoveFirst and one pending-edit write. Prints figures; asserts nothing.
#include "Database.h"
#include "Recordset.h"
#include "TestDatabase.h"
#include "sqlite/SqliteDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>
#include <functional>

namespace {

void fillResults(const TestDatabase& db, int rows) {
    QSqlDatabase sql = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    sql.setDatabaseName(db.path());
    sql.open();
    registerRussianCollation(sql);
    QSqlQuery q(sql);
    q.exec(QStringLiteral("BEGIN"));
    q.prepare(QStringLiteral("INSERT INTO Rezultat (\"Фамилия, Имя, Отчество\", \"Вопрос 1\", "
                             "\"Результат выполнения\") VALUES (?, ?, ?)"));
    for (int i = 1; i < rows; ++i) {
        q.addBindValue(QStringLiteral("Учащийся %1").arg(i));
        q.addBindValue(i % 2 ? -1 : 0);
        q.addBindValue(double(i % 11 * 10));
        q.exec();
    }
    q.exec(QStringLiteral("COMMIT"));
    q.finish();
    sql.close();
    sql = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

double microsecondsPer(int times, const std::function<void(int)>& op) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < times; ++i)
        op(i);
    return double(t.nsecsElapsed()) / 1000.0 / times;
}

// KVZ_BENCH_ROWS=N runs a single size (for profiling).
QList<int> kvzBenchRows() {
    const int only = qEnvironmentVariableIntValue("KVZ_BENCH_ROWS");
    return only > 0 ? QList<int>{only} : QList<int>{100, 10000, 1000000};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("%-10s %12s %12s %12s %14s\n", "rows", "MoveLast us", "MoveNext us", "MoveFirst us",
                "edit write us");
    for (int rows : kvzBenchRows()) {
        TestDatabase db;
        fillResults(db, rows);
        Status status;
        auto database = Database::open(db.store(), status);
        auto rs = Recordset::open(database, QStringLiteral("Rezultat"), status);
        if (!rs) {
            std::fprintf(stderr, "%s\n", qPrintable(status.error));
            return 1;
        }
        const int times = 2000;
        const double last = microsecondsPer(times, [&](int) { rs->MoveLast(); });
        rs->MoveFirst();
        const double next = microsecondsPer(times, [&](int) {
            if (!rs->MoveNext().ok() || rs->eof())
                rs->MoveFirst(); // a small table is walked more than once
        });
        const double first = microsecondsPer(times, [&](int) { rs->MoveFirst(); });
        const int name = rs->fieldIndex(QStringLiteral("Фамилия, Имя, Отчество"));
        rs->MoveLast();
        const double write = microsecondsPer(200, [&](int i) {
            rs->setValue(name, QStringLiteral("Правка %1").arg(i));
            rs->MoveLast(); // writes the pending edit, then reads the row again
        });
        std::printf("%-10d %12.1f %12.1f %12.1f %14.1f\n", rows, last, next, first, write);
    }
    return 0;
}
