#pragma once

#include "ReportDefinition.h"

// The results report: the title, two heading rows, one line per result, the class average
// and the legend. Its text boxes are bound to the columns of DataEnvironment1's Command1.
const report::ReportDefinition& DataReport1Definition();
