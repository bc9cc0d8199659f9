#include "app/script.h"

#include "app/app_state.h"
#include "app/compare_report.h"
#include "app/current_report.h"
#include "platform/exit_code.h"
#include "platform/utf.h"
#include "program/application_reader.h"
#include "report/json.h"
#include "report/text.h"
#include "res/resource.h"

int runScript(HINSTANCE instance, const Options& options, const std::string& libraryPath, const std::string& libraryProblem,
              ScriptStreams& streams) {
    // The report to compare with and the program asked about are read first:
    // a file that is no report, or no program, is a bad command line, and
    // nothing is written.
    EarlierReport earlier;
    if (!options.compare.empty()) {
        earlier = readEarlierReport(options.compare);
        if (!earlier.read) {
            streams.writeErr("--compare " + wideToUtf8(options.compare) + ": " + earlier.problem);
            return exitValue(ExitCode::BadCommandLine);
        }
    }
    ApplicationReading application;
    if (!options.app.empty()) {
        application = readApplication(options.app);
        if (!application.read) {
            streams.writeErr("--app " + wideToUtf8(options.app) + ": " + application.problem);
            return exitValue(ExitCode::BadCommandLine);
        }
    }
    // The same initialisation as the dialog's, so the same facts; the
    // template has no WS_VISIBLE and a modeless dialog is not shown.
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogInit, 0);
    ReportSources sources = dialogSources();
    const bool initialised = dialog != nullptr && !g_startupFailed;
    sources.initialised = initialised;
    sources.libraryPath = libraryPath;
    sources.libraryProblem = libraryProblem;
    if (application.read) sources.application = &application.facts;
    Request request;
    request.requirements = options.requirements;
    // --app alone shows what that program gets, without the report.
    request.reportShown = options.output != Output::Application;
    request.listPixelFormats = options.listPixelFormats;
    Report report = gatherReport(sources, request);
    if (earlier.read) compareWith(earlier, &report);
    if (dialog != nullptr) DestroyWindow(dialog);

    const bool json = options.output == Output::Json;
    const std::string required = options.requirements.any() ? requirementsLine(report) + "\r\n" : std::string();
    const std::string text = options.output == Output::Requirements  ? required
                             : options.output == Output::Application ? required + applicationText(report)
                             : json                                  ? formatJson(report)
                                                                     : formatReport(report);
    bool written = false;
    if (options.file.empty() || options.file == L"-") {
        // Standard output is read by other programs in the code page they share.
        written = streams.writeOut(text, json ? Encoding::Utf8 : Encoding::SystemCodePage);
        // The requirements' answer is the exit code; the line is a courtesy.
        if (options.output == Output::Requirements || options.output == Output::Application) written = true;
        if (!written) streams.writeErr("There is no standard output to write the report to.");
    } else {
        // A file is a document: it keeps every character.
        const WriteResult result = writeTextFile(options.file, text, json ? Encoding::Utf8 : Encoding::Utf8WithBom);
        written = result.written;
        if (!written) streams.writeErr("The report could not be written: " + result.problem);
    }
    if (!initialised) streams.writeErr(kInitializationFailed);
    if (!written) return exitValue(ExitCode::NotWritten);
    if (!initialised) return exitValue(ExitCode::OpenGlFailed);
    return exitValue(report.findings.requirements.met ? ExitCode::Done : ExitCode::RequirementNotMet);
}
