#pragma once

#include "TestDatabase.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>

// Rezultat with `rows` rows: names "Учащийся i", the first answer right on odd rows, a
// percentage of (i mod 11) * 10.
inline void fillResults(const TestDatabase& db, int rows) {
    db.exec(QStringLiteral(
                "BEGIN; DELETE FROM Rezultat;"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO Rezultat (\"Фамилия, Имя, Отчество\", \"Вопрос 1\", "
                "\"Результат выполнения\") SELECT 'Учащийся ' || i, -(i % 2), i % 11 * 10 FROM n;"
                "COMMIT;")
                .arg(rows));
}

// A temporary database holding that many rows of Rezultat.
struct ResultsDatabase : TestDatabase {
    explicit ResultsDatabase(int rows) { fillResults(*this, rows); }
};

// The window benchmarks draw offscreen unless another platform is asked for.
inline void offscreenUnlessAsked() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}
