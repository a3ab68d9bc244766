#pragma once

#include "Database.h"
#include "FinishedTest.h"
#include "Status.h"

// The two writes of the student's road, each one step that other PCs see whole: taking the
// student's row at sign-in, and storing the finished test in it.
namespace StudentResults {

// The single blank row of an emptied table is reused, otherwise a row is added; either way the
// name is written and the row's key given back. Two PCs signing in at the same instant never
// share a row. A table of a million rows costs no more than one of two.
Status claimRow(const Database& db, const QString& name, qint64& key);

// Stores the outcomes and the percentage in the student's row, once: a second delivery of the
// same attempt changes nothing. A row deleted meanwhile (or blanked, or taken by another
// name) is not the student's any more: the result goes into a new row with the name. `key`
// is the row that holds the result.
Status deliver(const Database& db, const FinishedTest& test, qint64& key);

} // namespace StudentResults
