#include "StudentTables.h"

#include "Database.h"
#include "Recordset.h"

#include <QDir>
#include <QStringList>

namespace {

QStringList questionFields() {
    QStringList fields{QStringLiteral("Numer"), QStringLiteral("Text_Zadan")};
    for (int i = 1; i <= 4; ++i)
        fields << QStringLiteral("Otvet_%1").arg(i) << QStringLiteral("Rezult_%1").arg(i);
    return fields;
}

QStringList resultFields() {
    QStringList fields{QStringLiteral("Фамилия, Имя, Отчество"),
                       QStringLiteral("Результат выполнения")};
    for (int i = 1; i <= 10; ++i)
        fields << QStringLiteral("Вопрос %1").arg(i);
    return fields;
}

Status checkTable(const std::shared_ptr<Database>& db, const QString& table,
                  const QStringList& fields) {
    Status status;
    const std::unique_ptr<Recordset> rs = Recordset::open(db, table, status);
    if (!rs)
        return status;
    for (const QString& field : fields) {
        if (rs->fieldIndex(field) < 0)
            return Status::failure(QStringLiteral("В таблице «%1» базы данных «%2» нет поля «%3».")
                                       .arg(table, db->label(), field));
    }
    return Status::success();
}

} // namespace

namespace StudentTables {

Status check(const Store& store) {
    Status status;
    const std::shared_ptr<Database> db = Database::open(store, status);
    if (!db)
        return status;
    if (status = checkTable(db, QStringLiteral("Zadanie"), questionFields()); !status.ok())
        return status;
    return checkTable(db, QStringLiteral("Rezultat"), resultFields());
}

} // namespace StudentTables
