#include "StudentForms.h"

#include "Forms.h"
#include "frmAutor.h"
#include "frmOtchot.h"
#include "frmTest.h"

void registerStudentForms(Forms& forms) {
    forms.add(std::make_unique<frmAutor>(forms));
    forms.add(std::make_unique<frmTest>(forms));
    forms.add(std::make_unique<frmOtchot>(forms));
}
