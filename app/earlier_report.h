#pragma once
#include <string>

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
