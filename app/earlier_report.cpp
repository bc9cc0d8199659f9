#include "app/earlier_report.h"

#include "platform/output.h"
#include "platform/utf.h"
#include "report/json.h"

EarlierReport readEarlierReport(const std::wstring& file) {
    EarlierReport earlier;
    earlier.file = file;
    const ReadResult bytes = readSmallFile(file, kMostJsonBytes);
    if (!bytes.read) {
        earlier.problem = bytes.problem;
        return earlier;
    }
    // A page of this program carries its JSON report.
    bool page = false;
    const std::string embedded = embeddedReport(bytes.bytes, &page);
    if (page && embedded.empty()) {
        earlier.problem = "it is an HTML page without this program's report in it, or one cut short";
        return earlier;
    }
    JsonReading reading = readJson(page ? embedded : bytes.bytes);
    if (!reading.read) {
        const std::string text = textReportProblem(bytes.bytes);
        earlier.problem = text.empty() ? reading.problem : text;
        return earlier;
    }
    earlier.problem = reportProblem(reading.value);
    if (!earlier.problem.empty()) return earlier;
    earlier.document = std::move(reading.value);
    earlier.read = true;
    return earlier;
}

void compareWith(const EarlierReport& earlier, Report* now) {
    // This report as its JSON says it, so that both sides are read alike.
    const JsonReading mine = readJson(formatJson(*now));
    now->changes = compareReports(earlier.document, mine.value);
    now->changes.file = wideToUtf8(earlier.file);
    now->compared = true;
}
