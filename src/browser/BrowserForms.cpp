#include "BrowserForms.h"

#include "Forms.h"
#include "frmVeiv.h"

void registerBrowserForms(Forms& forms) {
    forms.add(std::make_unique<frmVeiv>(forms));
}
