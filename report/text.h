#pragma once
// The report as plain text for bug reports: labelled lines, written from the
// report as it was made (report/report.h).
#include <string>

#include "report/report.h"

// Labelled lines with CR LF ends.
std::string formatReport(const Report& report);

// What --app alone prints: the summary for the program and its block.
std::string applicationText(const Report& report);

// The one line that --require alone prints: "OpenGL requirements met:
// <version>", or what is missing and the summary.
std::string requirementsLine(const Report& report);
