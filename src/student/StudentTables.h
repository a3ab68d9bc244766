#pragma once

#include "Status.h"

#include <QString>

// Whether the test can be given and its result stored on the database file: both tables, with
// every field the student's windows read or write.
namespace StudentTables {

Status check(const QString& databasePath);

} // namespace StudentTables
