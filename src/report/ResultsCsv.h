#pragma once

#include "ReportRows.h"
#include "Status.h"
#include "Store.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// All results as a file that a Russian spreadsheet opens as it stands: UTF-8 with a byte-order
// mark, fields separated by ";", lines ended by CR LF, the field names in the first line, then
// the rows as the report sorts them. Texts are quoted, numbers are written as the report
// writes them (answers -1 and 0, a decimal comma).
namespace report {

// The file's bytes for the rows under these column names.
QByteArray resultsCsv(const QStringList& header, const ReportRows& rows);

// Reads the results as the report does and writes them to `fileName` whole or not at all: on
// any failure nothing is left behind, and a file that was there keeps what it held.
Status saveResultsCsv(const Store& store, const QString& fileName);

} // namespace report
