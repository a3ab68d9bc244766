#include "StudentForms.h"

#include "Forms.h"
#include "StudentRow.h"
#include "frmAutor.h"
#include "frmOtchot.h"
#include "frmTest.h"

void registerStudentForms(Forms& forms) {
    const auto row = std::make_shared<StudentRow>();
    forms.add(std::make_unique<frmAutor>(forms, row));
    forms.add(std::make_unique<frmTest>(forms, row));
    forms.add(std::make_unique<frmOtchot>(forms, row));
}
