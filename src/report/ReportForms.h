#pragma once

class Forms;

// Adds DataReport1.
void registerReportForms(Forms& forms);
