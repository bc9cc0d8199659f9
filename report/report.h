#pragma once
// The plain-text report for bug reports, made of the facts (report/facts.h)
// by rules that need no Windows.
#include <string>

#include "report/facts.h"

// Labelled lines with CR LF ends.
std::string formatReport(const ReportFacts& facts);
// "met (OpenGL 3.3, GL_x)" or "not met: missing ...".
std::string requirementsText(const ReportFacts& facts);
