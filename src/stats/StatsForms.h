#pragma once

class Forms;

// Adds frmStat.
void registerStatsForms(Forms& forms);
