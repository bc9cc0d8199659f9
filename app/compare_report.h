#pragma once
#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "platform/output.h"
#include "report/report.h"

// An earlier report read to compare with: a JSON report this program wrote,
// of a schema it reads. What it holds came from anyone; `problem` says why it
// cannot be compared.
struct EarlierReport {
    bool read = false;
    std::string problem;
    std::wstring file;
    JsonValue document;
};
EarlierReport readEarlierReport(const std::wstring& file);

// The report made now, with what changed since the earlier one.
void compareWith(const EarlierReport& earlier, Report* now);

// --compare OLD NEW: the two read and compared, with no OpenGL and no window;
// the changes written as text, or as JSON. 0 done, 2 a report that cannot be
// compared, 3 nowhere to write.
int runComparison(const Options& options, ScriptStreams& streams);

// "Compare with a saved report...": the Open dialog for a .json report, then
// a box with what changed. Copy and Save include the changes from then on,
// until the dialog closes.
void compareWithSavedReport(HWND dialog);
