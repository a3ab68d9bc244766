#include "ReportForms.h"

#include "DataReport1.h"
#include "Forms.h"

void registerReportForms(Forms& forms) {
    forms.add(std::make_unique<DataReport1>(forms));
}
