#include "ResultsCsv.h"

#include "CsvFile.h"
#include "DataEnvironment1.h"
#include "ReportText.h"

namespace report {

namespace {

QString cell(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QString)
        return csv::quoted(value.toString());
    return valueText(value);
}

} // namespace

QByteArray resultsCsv(const QStringList& header, const ReportRows& rows) {
    QString text;
    QStringList cells;
    for (const QString& name : header)
        cells << csv::quoted(name);
    csv::appendLine(text, cells);
    for (int row = 0; row < rows.rowCount(); ++row) {
        cells.clear();
        for (int column = 0; column < rows.columnCount(); ++column)
            cells << cell(rows.value(row, column));
        csv::appendLine(text, cells);
    }
    return csv::bytes(text);
}

Status saveResultsCsv(const Store& store, const QString& fileName) {
    ReportRows rows;
    const Status status = DataEnvironment1::Command1(store, rows);
    if (!status.ok())
        return Status::failure(status.error + QStringLiteral(" Результаты не сохранены."));
    return csv::writeWhole(fileName, resultsCsv(DataEnvironment1::Command1Fields, rows),
                           QStringLiteral("Результаты"));
}

} // namespace report
