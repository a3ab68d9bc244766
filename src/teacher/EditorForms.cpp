#include "EditorForms.h"

#include "Forms.h"

void registerEditorForms(Forms& forms) { (void)forms; }
