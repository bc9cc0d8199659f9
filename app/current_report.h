#pragma once
#include <string>

#include "gather/collect.h"

// Where the report's facts come from in this process: the dialog's controls,
// the driver table and the surface, as start-up left them.
ReportSources dialogSources();

// The report of the running dialog, gathered now, as text (UTF-8) or JSON:
// what Copy report copies and Save report saves, with what changed since a
// report the user compared with.
std::string currentReport(bool json = false);
