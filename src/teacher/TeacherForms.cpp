#include "TeacherForms.h"

#include "BrowserForms.h"
#include "EditorForms.h"
#include "ReportForms.h"

void registerTeacherForms(Forms& forms) {
    registerEditorForms(forms);
    registerBrowserForms(forms);
    registerReportForms(forms);
}
