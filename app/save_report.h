#pragma once
#include <windows.h>

// "Save report...": the system's Save dialog, then the report written as
// --report FILE writes it. A failure is shown in a box that names the path and
// the reason, and the dialog carries on.
void saveReport(HWND dialog);
