#pragma once
// The report's facts as one JSON object, for scripts. Put together from plain
// values, like the text, so that it needs no Windows.
#include <string>

#include "report/report.h"

// Turns the system's 8-bit text (registry names, driver strings) into UTF-8.
// Whatever it gives back is checked again: a byte sequence that is not UTF-8
// becomes U+FFFD, so that nothing invalid is ever passed through.
using ToUtf8 = std::string (*)(const std::string& systemText);

// One JSON object (RFC 8259, UTF-8) with the keys program, windows, opengl and
// drivers. A value the implementation did not give is null.
std::string formatJson(const ReportFacts& facts, ToUtf8 toUtf8);

// `text` as a JSON string literal: quotes, backslashes and control characters
// escaped, and every byte sequence that is not UTF-8 replaced by U+FFFD.
std::string jsonString(const std::string& text);
