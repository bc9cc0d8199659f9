#include "app/compare_report.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/current_report.h"
#include "app/open_file.h"
#include "platform/exit_code.h"
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
    JsonReading reading = readJson(bytes.bytes);
    if (!reading.read) {
        earlier.problem = reading.problem;
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

int runComparison(const Options& options, ScriptStreams& streams) {
    EarlierReport reports[2] = {readEarlierReport(options.compare), readEarlierReport(options.compareNewer)};
    for (const EarlierReport& r : reports) {
        if (!r.read) {
            streams.writeErr("--compare " + wideToUtf8(r.file) + ": " + r.problem);
            return exitValue(ExitCode::BadCommandLine);
        }
    }
    Changes changes = compareReports(reports[0].document, reports[1].document);
    changes.file = wideToUtf8(options.compare);
    changes.newerFile = wideToUtf8(options.compareNewer);
    const std::string text = options.comparisonJson ? formatChangesJson(changes) : changesText(changes);
    const Encoding encoding = options.comparisonJson ? Encoding::Utf8 : Encoding::Utf8WithBom;
    if (options.file.empty() || options.file == L"-") {
        if (streams.writeOut(text, options.comparisonJson ? Encoding::Utf8 : Encoding::SystemCodePage)) return exitValue(ExitCode::Done);
        streams.writeErr("There is no standard output to write the comparison to.");
        return exitValue(ExitCode::NotWritten);
    }
    const WriteResult result = writeTextFile(options.file, text, encoding);
    if (result.written) return exitValue(ExitCode::Done);
    streams.writeErr("The comparison could not be written: " + result.problem);
    return exitValue(ExitCode::NotWritten);
}

void compareWithSavedReport(HWND dialog) {
    std::wstring file;
    if (!askFileToOpen(dialog, L"Compare with a saved report", L"JSON reports (*.json)\0*.json\0All files\0*.*\0", 0, &file)) return;
    EarlierReport earlier = readEarlierReport(file);
    if (!earlier.read) {
        const std::wstring text = L"The report cannot be compared:\n" + file + L"\n\n" +
                                  utf8ToWide(earlier.problem) + L".";
        MessageBoxW(dialog, text.c_str(), L"Compare with a saved report", MB_OK | MB_ICONERROR);
        return;
    }
    g_mainDialog.earlierReport = std::move(earlier);
    g_mainDialog.comparing = true;
    Report now = gatherReport(dialogSources(), Request());
    compareWith(g_mainDialog.earlierReport, &now);
    std::wstring text = utf8ToWide(changesText(now.changes));
    // A box shows line feeds, not the report's CR LF pairs, as its own.
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    MessageBoxW(dialog, text.c_str(), L"Compare with a saved report", MB_OK | MB_ICONINFORMATION);
}
