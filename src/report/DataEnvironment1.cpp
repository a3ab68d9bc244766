#include "DataEnvironment1.h"

#include "Database.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kTable = QStringLiteral("Rezultat");

QStringList resultFields() {
    QStringList fields{QStringLiteral("Фамилия, Имя, Отчество")};
    for (int k = 1; k <= 10; ++k)
        fields << QStringLiteral("Вопрос %1").arg(k);
    fields << QStringLiteral("Результат выполнения");
    return fields;
}

// Names the table or the fields the command needs but the file lacks.
Status checkShape(const Database& db) {
    const QString file = db.label();
    if (!db.hasTable(kTable))
        return Status::failure(
            QStringLiteral("В базе данных «%1» нет таблицы результатов «%2».").arg(file, kTable));
    const QSqlRecord record = db.sql().record(kTable);
    QStringList missing;
    for (const QString& field : DataEnvironment1::Command1Fields) {
        if (record.indexOf(field) < 0)
            missing << QStringLiteral("«%1»").arg(field);
    }
    if (!missing.isEmpty())
        return Status::failure(
            QStringLiteral("В таблице «%1» базы данных «%2» нет %3 %4.")
                .arg(kTable, file,
                     missing.size() == 1 ? QStringLiteral("поля") : QStringLiteral("полей"),
                     missing.join(QStringLiteral(", "))));
    return Status::success();
}

Status readRows(const Database& db, report::ReportRows& rows) {
    QSqlQuery query(db.sql());
    query.setForwardOnly(true);
    if (!db.exec(query, db.dialect(DataEnvironment1::Command1Text)))
        return Status::failure(db.describe(query.lastError()));
    std::vector<QVariant> values(rows.columnCount());
    while (query.next()) {
        for (int column = 0; column < rows.columnCount(); ++column)
            values[column] = query.value(column);
        rows.append(values);
    }
    if (query.lastError().isValid())
        return Status::failure(db.describe(query.lastError()));
    return Status::success();
}

} // namespace

const QString DataEnvironment1::Command1Text = QStringLiteral(
    "SELECT `Фамилия, Имя, Отчество`, `Вопрос 1`, `Вопрос 2`, `Вопрос 3`, `Вопрос 4`, "
    "`Вопрос 5`, `Вопрос 6`, `Вопрос 7`, `Вопрос 8`, `Вопрос 9`, `Вопрос 10`, "
    "`Результат выполнения` FROM Rezultat ORDER BY `Фамилия, Имя, Отчество`");

const QStringList DataEnvironment1::Command1Fields = resultFields();

Status DataEnvironment1::Command1(const Store& store, report::ReportRows& rows) {
    rows = report::ReportRows(int(Command1Fields.size()));
    Status status;
    const auto Connection1 = Database::openSeparate(store, status);
    if (!Connection1)
        return status;
    status = Connection1->sortNamesInRussian();
    if (status.ok())
        status = checkShape(*Connection1);
    if (status.ok())
        status = readRows(*Connection1, rows);
    if (!status.ok())
        rows.clear();
    return status;
}
