#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/compare_report.h"
#include "app/script.h"
#include "drivers/driver_registry.h"
#include "render/gl_library.h"
#include "platform/exit_code.h"
#include "platform/fatal.h"
#include "platform/output.h"
#include "platform/startup_times.h"
#include "platform/system_library.h"
#include "platform/utf.h"
#include "res/resource.h"

MainDialog g_mainDialog;
HINSTANCE g_instance = nullptr;
HCURSOR g_sizeAllCursor = nullptr;
// Its destructor releases the context once more at process exit.
GlSurface g_surface;
DriverTable g_driverTable;

namespace {

// From here on a DLL loaded by bare name, by the program or by a system DLL on
// its behalf, comes from the system folder only, never from the folder the
// program was downloaded to. Looked up: Windows 7 without KB2533623 and older
// systems lack it.
void searchSystemFolderOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto set = procAddress<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (set != nullptr) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The library the user named, or the system's. Returns why a named one cannot
// be used (UTF-8), empty when all is well; without one, a missing system
// library shows as the usual failure to make a context.
std::string loadOpenGl(const Options& options, std::wstring* path) {
    if (options.opengl32.empty()) {
        loadSystemOpenGl();
        return std::string();
    }
    *path = fullPathOf(options.opengl32);
    if (path->empty()) *path = options.opengl32;
    const GlLoadResult result = loadOpenGlFrom(*path);
    if (result.loaded) return std::string();
    return result.missing != nullptr ? std::string("It does not export ") + result.missing + ", which this program needs."
                                     : systemMessage(result.error, *path);
}

// Whoever started the program chose its standard handles, even closed ones:
// a script, a service or a CI job, where no box may wait for a person. A
// shortcut or Explorer chooses none.
bool handlesWereChosen() {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESTDHANDLES) != 0;
}

// Where no box may appear: a script's option, or handles chosen by a script.
bool noBoxes(const Options& options) { return options.script || handlesWereChosen(); }

// The line is bad: standard error, or a box when there is nowhere to write
// and no script asked (a script never gets a box).
int refuse(const Options& options, ScriptStreams& streams) {
    if (noBoxes(options) || streams.canWriteErr()) {
        std::string said = options.error;
        if (options.usage) {
            std::string synopsis = usageSynopsis();
            synopsis.pop_back();  // its last line feed: writeErr ends the line
            said += "\nUsage: " + synopsis;
        }
        // Lines as a console shows them.
        for (std::size_t at = said.find('\n'); at != std::string::npos; at = said.find('\n', at + 2)) said.replace(at, 1, "\r\n");
        streams.writeErr(said);
    } else {
        const std::wstring text = utf8ToWide(options.error + "\n\n" + usageText());
        MessageBoxW(nullptr, text.c_str(), L"Usage", MB_OK | MB_ICONERROR);
    }
    return exitValue(ExitCode::BadCommandLine);
}

// Where the message goes when the program cannot go on (platform/fatal.h):
// a script's standard error, or else a box.
ScriptStreams* s_streams = nullptr;
bool s_script = false;

void reportFatal(const char* what) {
    if (s_script || s_streams->canWriteErr()) {
        s_streams->writeErr(what);
    } else {
        MessageBoxA(nullptr, what, "OpenGL Renderer infos", MB_OK | MB_ICONERROR);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    startStartupTimes();
    // Test-only: the tests switch this layer off to show that the loader's own
    // flags protect the program by themselves. Nothing else reads it.
    if (GetEnvironmentVariableW(L"GRI_TEST_SKIP_DEFAULT_DLL_DIRECTORIES", nullptr, 0) == 0) searchSystemFolderOnly();
    const Options options = parseOptions(splitCommandLine(GetCommandLineW()));
    ScriptStreams streams;
    s_streams = &streams;
    s_script = noBoxes(options);
    setFatalReporter(reportFatal);
    if (!options.error.empty()) return refuse(options, streams);
    if (options.help) {
        // A script with nowhere to print the usage ends quietly: no box waits.
        const std::string usage = usageText();
        if (!streams.writeOut(usage + "\n", Encoding::SystemCodePage) && !noBoxes(options)) {
            MessageBoxA(nullptr, usage.c_str(), "Usage", MB_OK | MB_ICONINFORMATION);
        }
        return exitValue(ExitCode::Done);
    }
    // Two reports compared: nothing of this machine is asked, OpenGL never loaded.
    if (options.output == Output::Comparison) return runComparison(options, streams);
    std::wstring libraryPath;
    const std::string problem = loadOpenGl(options, &libraryPath);
    if (!problem.empty() && !options.script) {
        const std::wstring text = L"The OpenGL library could not be used:\n" + libraryPath + L"\n\n" + utf8ToWide(problem);
        MessageBoxW(nullptr, text.c_str(), L"OpenGL Error", MB_OK | MB_ICONERROR);
        return exitValue(ExitCode::OpenGlFailed);
    }

    loadDriverTable(g_driverTable);
    g_instance = instance;
    g_sizeAllCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32646));  // IDC_SIZEALL
    if (options.script) {
        const std::string path = wideToUtf8(libraryPath);
        if (!problem.empty()) streams.writeErr("The OpenGL library could not be used: " + path + " (not loaded: " + problem + ")");
        return runScript(instance, options, path, problem, streams);
    }
    DialogStart start;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogInit, reinterpret_cast<LPARAM>(&start));
    // A script can tell from the exit code whether OpenGL works on this machine.
    return exitValue(start.failed ? ExitCode::OpenGlFailed : ExitCode::Done);
}
