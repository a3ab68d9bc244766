#pragma once

class Forms;

// Adds frmVeiv.
void registerBrowserForms(Forms& forms);
