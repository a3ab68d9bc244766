#pragma once

class Forms;

// Adds the student's windows: frmAutor, frmTest, frmOtchot.
void registerStudentForms(Forms& forms);
