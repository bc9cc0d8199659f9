#include "app/script.h"

#include "app/app_state.h"
#include "render/gl_library.h"
#include "report/collect.h"
#include "report/json.h"
#include "report/report.h"
#include "report/requirements.h"
#include "res/resource.h"

int runScript(HINSTANCE instance, const Options& options, const std::string& libraryProblem, ScriptStreams& streams) {
    // The same initialisation as the dialog's, so the same facts; the
    // template has no WS_VISIBLE and a modeless dialog is not shown.
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogInit, 0);
    const ReportSources sources{g_mainDialog.extensionList, g_mainDialog.driverList, &g_driverTable, &g_surface};
    ReportFacts facts = collectFacts(sources);
    const bool initialised = dialog != nullptr && !g_startupFailed;
    facts.openGlInitialised = initialised;
    if (!libraryProblem.empty()) facts.openGlLibrary = libraryProblem;
    if (dialog != nullptr) DestroyWindow(dialog);
    if (options.requirements.any()) {
        facts.requirementsAsked = true;
        facts.requirements = options.requirements;
        facts.requirementCheck = checkRequirements(options.requirements, facts);
    }

    const bool json = options.output == Output::Json;
    const std::string text = options.output == Output::Requirements ? requirementsLine(facts) + "\r\n"
                             : json                                  ? formatJson(facts)
                                                                     : formatReport(facts);
    const Encoding encoding = json ? Encoding::Utf8 : Encoding::SystemCodePage;
    bool written = false;
    if (options.file.empty() || options.file == L"-") {
        written = streams.writeOut(text, encoding);
        // The requirements' answer is the exit code; the line is a courtesy.
        if (options.output == Output::Requirements) written = true;
        if (!written) streams.writeErr("There is no standard output to write the report to.");
    } else {
        const WriteResult result = writeReportFile(options.file, text, encoding);
        written = result.written;
        if (!written) streams.writeErr("The report could not be written: " + result.problem);
    }
    if (!initialised) streams.writeErr(kInitializationFailed);
    if (!written) return 3;
    if (!initialised) return 1;
    return facts.requirementCheck.met ? 0 : 4;
}
