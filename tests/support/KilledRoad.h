#pragma once

// What the fault-injection test and its child program agree on: each student's name, how he
// answers, and how many steps one program run of the road has.
#include "TestDatabase.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace killedRoad {

// The start window, its OK, the sign-in, ten questions, the result screen and its OK.
constexpr int kStepsPerStudent = 15;

inline QString studentName(int student) {
    return QStringLiteral("Ученик %1").arg(student, 4, 10, QChar(u'0'));
}

// The ten outcomes of a student, "1" for a right answer; a different pattern for each of the
// first 1024 students, so a result written on another student's row shows.
inline QString plan(int student) {
    const int bits = (student * 0x3B5 + 0x155) & 0x3FF; // odd factor: one to one
    QString outcomes;
    for (int q = 0; q < 10; ++q)
        outcomes += (bits >> q) & 1 ? u'1' : u'0';
    return outcomes;
}

// Every row of Rezultat in natural order as "name|flags|percentage".
inline QStringList resultRows(const TestDatabase& db) {
    QStringList flags;
    for (int q = 1; q <= 10; ++q)
        flags << QStringLiteral("CASE WHEN \"Вопрос %1\" <> 0 THEN '1' ELSE '0' END").arg(q);
    QStringList rows;
    for (const QVariant& row : db.column(
             QStringLiteral("SELECT coalesce(\"Фамилия, Имя, Отчество\", '') || '|' || %1 || '|' "
                            "|| coalesce(CAST(CAST(\"Результат выполнения\" AS INTEGER) AS TEXT), "
                            "'') FROM Rezultat ORDER BY \"Код\"")
                 .arg(flags.join(QStringLiteral(" || ")))))
        rows << row.toString();
    return rows;
}

// The row of a student's whole result, as resultRows gives it.
inline QString wholeResult(int student) {
    const QString plan = killedRoad::plan(student);
    return killedRoad::studentName(student) + u'|' + plan + u'|' +
           QString::number(10 * plan.count(u'1'));
}

// A row of the road is the delivered blank row, a student's unfinished row (no percentage
// yet), or a student's whole result; a finished student has exactly one row, his whole one.
inline QString roadFault(const TestDatabase& db, int started, const QList<int>& finished) {
    const QString integrity = db.onServer()
                                  ? QStringLiteral("ok")
                                  : db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (integrity != u"ok")
        return QStringLiteral("integrity: ") + integrity;
    QMap<QString, QString> byName;
    for (const QString& row : resultRows(db)) {
        const QString name = row.section(u'|', 0, 0);
        if (name.isEmpty())
            continue;
        if (byName.contains(name))
            return QStringLiteral("two rows for ") + name;
        byName[name] = row;
    }
    for (int student = 0; student < started; ++student) {
        const QString row = byName.take(killedRoad::studentName(student));
        const bool hasPercentage = !row.isEmpty() && !row.endsWith(u'|');
        if ((hasPercentage || finished.contains(student)) && row != wholeResult(student))
            return QStringLiteral("student %1: \"%2\", not \"%3\"")
                .arg(student)
                .arg(row, wholeResult(student));
    }
    if (!byName.isEmpty())
        return QStringLiteral("rows of no student: ") + byName.keys().join(u',');
    return {};
}

// The store as the child program takes it on its command line.
inline QString storeArgument(const TestDatabase& db) {
    return db.onServer() ? QStringLiteral("server:") + db.store().location() : db.path();
}

} // namespace killedRoad
