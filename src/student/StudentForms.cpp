#include "StudentForms.h"

#include "Forms.h"

void registerStudentForms(Forms& forms) { (void)forms; }
