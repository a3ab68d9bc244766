#pragma once

#include "Status.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A file that a Russian spreadsheet opens as it stands: UTF-8 with a byte-order mark, fields
// separated by ";", lines ended by CR LF, texts quoted.
namespace csv {

// A text as one field; one a spreadsheet would read as a formula (a student may type "=..." as
// a name) is kept a text by a leading apostrophe.
QString quoted(QString text);
// Appends one line of fields.
void appendLine(QString& text, const QStringList& cells);
// The file's bytes for its text.
QByteArray bytes(const QString& text);
// Writes `bytes` to `fileName` whole or not at all: on any failure nothing is left behind, and a
// file that was there keeps what it held. `what` names the contents in the failure ("Результаты").
Status writeWhole(const QString& fileName, const QByteArray& bytes, const QString& what);

} // namespace csv
