#pragma once

#include "ReportRows.h"
#include "Status.h"
#include "Store.h"

#include <QString>
#include <QStringList>

// The report's data: one connection of its own to the database file (Connection1) and one
// command on it (Command1) that selects the results sorted by the student's name.
class DataEnvironment1 {
public:
    // The command's SQL text, run as it stands.
    static const QString Command1Text;
    // The twelve columns Command1 returns, in order.
    static const QStringList Command1Fields;

    // Opens Connection1 on the database file, runs Command1 and returns its rows in `rows`;
    // the connection is closed again before returning. A missing file, table or field is a
    // failure with a Russian message, and `rows` is then left empty.
    static Status Command1(const Store& store, report::ReportRows& rows);
};
