#include "BrowserForms.h"

#include "Forms.h"

void registerBrowserForms(Forms& forms) { (void)forms; }
