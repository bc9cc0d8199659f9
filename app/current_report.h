#pragma once
#include <string>

#include "report/collect.h"

// Where the report's facts come from in this process: the dialog's controls,
// the driver table and the surface, as start-up left them.
ReportSources dialogSources();

// The report of the running dialog, gathered now, as text (UTF-8): what Copy
// report copies and Save report saves.
std::string currentReport();
