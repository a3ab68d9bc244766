#pragma once

class Forms;

// Adds the start-up windows: frmStart, frmSek, frmAbout.
void registerStartupForms(Forms& forms);
