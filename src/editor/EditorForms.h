#pragma once

class Forms;

// Adds frmEdit.
void registerEditorForms(Forms& forms);
