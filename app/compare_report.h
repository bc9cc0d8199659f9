#pragma once
#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/earlier_report.h"
#include "platform/output.h"

// --compare OLD NEW: the two read and compared, with no OpenGL and no window;
// the changes written as text, or as JSON. 0 done, 2 a report that cannot be
// compared, 3 nowhere to write.
int runComparison(const Options& options, ScriptStreams& streams);

// "Compare with a saved report...": the Open dialog for a .json report, then
// a box with what changed. Copy and Save include the changes from then on,
// until the dialog closes.
void compareWithSavedReport(HWND dialog);
