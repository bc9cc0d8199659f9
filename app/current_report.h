#pragma once
#include <string>

#include "gather/collect.h"

// Where the report's facts come from in this process: the dialog's controls,
// the driver table and the surface, as start-up left them.
ReportSources dialogSources();

enum class ReportFormat { Text, Json, Html };

// A report written in a format: text (UTF-8), JSON or an HTML page.
std::string formatAs(const Report& report, ReportFormat format);

// The report of the running dialog, gathered now: what Copy report copies
// and Save report saves, with what changed since a report the user compared with.
std::string currentReport(ReportFormat format = ReportFormat::Text);
