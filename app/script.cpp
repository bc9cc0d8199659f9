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
    DialogStart start;
    start.script = true;
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogInit, reinterpret_cast<LPARAM>(&start));
    ReportSources sources = dialogSources();
    const bool initialised = dialog != nullptr && !start.failed;
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

    // JSON and HTML are UTF-8 wherever they go.
    const bool json = options.output == Output::Json || options.output == Output::Html;
    const std::string required = options.requirements.any() ? requirementsLine(report) + "\r\n" : std::string();
    const std::string text = options.output == Output::Requirements  ? required
                             : options.output == Output::Application ? required + applicationText(report)
                             : formatAs(report, options.output == Output::Json   ? ReportFormat::Json
                                                : options.output == Output::Html ? ReportFormat::Html
                                                                                 : ReportFormat::Text);
    bool written = true;
    if ((options.output == Output::Requirements || options.output == Output::Application) &&
        (options.file.empty() || options.file == L"-")) {
        // The requirements' answer is the exit code; the line is a courtesy.
        (void)streams.writeOut(text, streamEncoding(false));
    } else {
        written = deliverReport(streams, options.file, text, json, "report");
    }
    if (!initialised) streams.writeErr(kInitializationFailed);
    if (!written) return exitValue(ExitCode::NotWritten);
    // Not the machine's answer: a script must not take the session for it.
    if (report.findings.requirements.cannotJudge) return exitValue(ExitCode::CannotJudgeHere);
    if (!initialised) return exitValue(ExitCode::OpenGlFailed);
    return exitValue(report.findings.requirements.met ? ExitCode::Done : ExitCode::RequirementNotMet);
}
