#pragma once
#include <string>

// The report of the running dialog, collected now (UTF-8): what Copy report
// copies and Save report saves.
std::string currentReport();
