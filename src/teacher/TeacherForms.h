#pragma once

class Forms;

// Adds the teacher's windows: frmEdit, frmVeiv and the report DataReport1.
void registerTeacherForms(Forms& forms);
