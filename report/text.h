#pragma once
// The report as plain text for bug reports: labelled lines, written from the
// report as it was made (report/report.h).
#include <string>

#include "report/report.h"

// Labelled lines with CR LF ends: the facts, then the long lists (the
// extensions, and every pixel format where asked for), so that no reader
// scrolls past some 300 names to the facts.
std::string formatReport(const Report& report);
// Its parts, which the HTML page lays out alike.
std::string formatReportFacts(const Report& report);
std::string extensionsText(const Report& report);     // "Extensions: N (...)" and a row a name
std::string pixelFormatListText(const Report& report);  // empty where not asked for

// What --app alone prints: the summary for the program and its block.
std::string applicationText(const Report& report);

// The one line that --require alone prints: "OpenGL requirements met:
// <version>", or what is missing and the summary.
std::string requirementsLine(const Report& report);
