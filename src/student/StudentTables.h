#pragma once

#include "Status.h"
#include "Store.h"

#include <QString>

// Whether the test can be given and its result stored in the store: both tables, with
// every field the student's windows read or write.
namespace StudentTables {

Status check(const Store& store);

} // namespace StudentTables
