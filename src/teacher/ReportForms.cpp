#include "ReportForms.h"

#include "Forms.h"

void registerReportForms(Forms& forms) { (void)forms; }
