#pragma once
// The system's 8-bit text (registry names, GL strings, the 8-bit clipboard)
// and UTF-8, which the report is made of.
#include <string>

std::string systemToUtf8(const std::string& text);
// A character the code page lacks becomes "?", never a look-alike.
std::string utf8ToSystem(const std::string& utf8);
