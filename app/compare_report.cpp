#include "app/compare_report.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/current_report.h"
#include "app/earlier_report.h"
#include "app/open_file.h"
#include "platform/exit_code.h"
#include "platform/utf.h"
#include "report/json.h"

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
    return exitValue(deliverReport(streams, options.file, text, options.comparisonJson, "comparison") ? ExitCode::Done
                                                                                                        : ExitCode::NotWritten);
}

void compareWithSavedReport(HWND dialog) {
    std::wstring file;
    if (!askFileToOpen(dialog, L"Compare with a saved report", L"Reports (*.json, *.html)\0*.json;*.html;*.htm\0All files\0*.*\0", 0, &file)) return;
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
