#include "EditorForms.h"

#include "Forms.h"
#include "frmEdit.h"

void registerEditorForms(Forms& forms) {
    forms.add(std::make_unique<frmEdit>(forms));
}
