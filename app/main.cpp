#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/script.h"
#include "drivers/driver_list.h"
#include "render/gl_library.h"
#include "report/output.h"
#include "res/resource.h"

MainDialog g_mainDialog;
HINSTANCE g_instance = nullptr;
HCURSOR g_sizeAllCursor = nullptr;
// Its destructor releases the context once more at process exit.
GlSurface g_surface;
DriverTable g_driverTable;
bool g_startupFailed = false;
bool g_scriptMode = false;

namespace {

// From here on a DLL loaded by bare name, by the program or by a system DLL on
// its behalf, comes from the system folder only, never from the folder the
// program was downloaded to. Looked up: Windows 7 without KB2533623 and older
// systems lack it.
void searchSystemFolderOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return;
    auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set != nullptr) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::wstring systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n > 0 && text != nullptr ? std::wstring(text, n) : std::wstring();
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    return message + L" (error " + std::to_wstring(error) + L")";
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::vector<wchar_t> full(n);
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    return written > 0 && written < n ? std::wstring(full.data(), written) : path;
}

// The library the user named, or the system's. Returns why a named one cannot
// be used, empty when all is well; without one, a missing system library shows
// as the usual failure to make a context.
std::wstring loadOpenGl(const Options& options, std::wstring* path) {
    if (options.opengl32.empty()) {
        loadSystemOpenGl();
        return std::wstring();
    }
    *path = fullPath(options.opengl32);
    const GlLoadResult result = loadOpenGlFrom(*path);
    if (result.loaded) return std::wstring();
    return result.missing != nullptr ? L"It does not export " + fromCodePage(result.missing, CP_ACP) + L", which this program needs."
                                     : systemMessage(result.error);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    searchSystemFolderOnly();
    const Options options = parseOptions(splitCommandLine(GetCommandLineW()));
    ScriptStreams streams;
    if (!options.error.empty()) {
        if (options.script) {
            streams.writeErr(options.error);
        } else {
            const std::string text = options.error + "\n\n" + kUsage;
            MessageBoxA(nullptr, text.c_str(), "Usage", MB_OK | MB_ICONERROR);
        }
        return 2;
    }
    if (options.help) {
        if (!streams.writeOut(std::string(kUsage) + "\n", CP_ACP)) {
            MessageBoxA(nullptr, kUsage, "Usage", MB_OK | MB_ICONINFORMATION);
        }
        return 0;
    }
    std::wstring libraryPath;
    const std::wstring problem = loadOpenGl(options, &libraryPath);
    if (!problem.empty() && !options.script) {
        const std::wstring text = L"The OpenGL library could not be used:\n" + libraryPath + L"\n\n" + problem;
        MessageBoxW(nullptr, text.c_str(), L"OpenGL Error", MB_OK | MB_ICONERROR);
        return 1;
    }

    loadDriverTable(g_driverTable);
    g_instance = instance;
    g_sizeAllCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32646));  // IDC_SIZEALL
    if (options.script) {
        g_scriptMode = true;
        const std::string why = problem.empty() ? std::string() : toSystemText(libraryPath) + " (not loaded: " + toSystemText(problem) + ")";
        if (!why.empty()) streams.writeErr("The OpenGL library could not be used: " + why);
        return runScript(instance, options, why, streams);
    }
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogInit, 0);
    // A script can tell from the exit code whether OpenGL works on this machine.
    return g_startupFailed ? 1 : 0;
}
