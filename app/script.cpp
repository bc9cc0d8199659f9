#include "app/script.h"

#include "app/app_state.h"
#include "app/current_report.h"
#include "report/json.h"
#include "report/text.h"
#include "res/resource.h"

int runScript(HINSTANCE instance, const Options& options, const std::string& libraryPath, const std::string& libraryProblem,
              ScriptStreams& streams) {
    // The same initialisation as the dialog's, so the same facts; the
    // template has no WS_VISIBLE and a modeless dialog is not shown.
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogInit, 0);
    ReportSources sources = dialogSources();
    const bool initialised = dialog != nullptr && !g_startupFailed;
    sources.initialised = initialised;
    sources.libraryPath = libraryPath;
    sources.libraryProblem = libraryProblem;
    const Report report = gatherReport(sources, Request{options.requirements});
    if (dialog != nullptr) DestroyWindow(dialog);

    const bool json = options.output == Output::Json;
    const std::string text = options.output == Output::Requirements ? requirementsLine(report) + "\r\n"
                             : json                                  ? formatJson(report)
                                                                     : formatReport(report);
    bool written = false;
    if (options.file.empty() || options.file == L"-") {
        // Standard output is read by other programs in the code page they share.
        written = streams.writeOut(text, json ? Encoding::Utf8 : Encoding::SystemCodePage);
        // The requirements' answer is the exit code; the line is a courtesy.
        if (options.output == Output::Requirements) written = true;
        if (!written) streams.writeErr("There is no standard output to write the report to.");
    } else {
        // A file is a document: it keeps every character.
        const WriteResult result = writeTextFile(options.file, text, json ? Encoding::Utf8 : Encoding::Utf8WithBom);
        written = result.written;
        if (!written) streams.writeErr("The report could not be written: " + result.problem);
    }
    if (!initialised) streams.writeErr(kInitializationFailed);
    if (!written) return 3;
    if (!initialised) return 1;
    return report.findings.requirements.met ? 0 : 4;
}
