// --app and "Check a program...": which OpenGL another program gets, read
// from programs of both bitnesses built for the test, with what the test
// arranges for them in its prefix.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "harness.h"
#include "running_dialog.h"
#include "schema.h"

using namespace harness;

namespace {

std::string app(const char* name) { return binDir() + "\\apps\\" + name + "\\" + name + ".exe"; }

struct Answer {
    DWORD code = 1000;
    std::string output;
};

// The program run with these arguments, standard output to a file.
Answer run(const std::string& arguments) {
    Answer answer;
    const std::string out = dosPath(unixTempPath("app.out"));
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr);
    App program;
    const bool started = program.startWithHandles(programPath(), {}, arguments, file, file);
    CloseHandle(file);
    if (started) program.waitForExit(20000, &answer.code);
    answer.output = readAll(out);
    DeleteFileA(out.c_str());
    return answer;
}

nlohmann::json jsonFor(const std::string& arguments) {
    const std::string file = dosPath(unixTempPath("app.json"));
    EXPECT_EQ(run(arguments + " --json " + file).code, 0u);
    EXPECT_EQ(schemaErrors(file), "");
    const nlohmann::json parsed = nlohmann::json::parse(readAll(file));
    DeleteFileA(file.c_str());
    return parsed;
}

}  // namespace

// What each program is and what is set for it, as the test arranged it.
TEST(Program, SaysWhatDecidesWhichOpenGLAProgramGets) {
    const std::string app32 = app("app32"), app64 = app("app64");
    // gl64 in a folder of the test's own, where a DLL can be put beside it.
    const std::string folder = dosPath(unixTempPath("gl64"));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string gl64 = folder + "\\gl64.exe";
    ASSERT_TRUE(CopyFileA(app("gl64").c_str(), gl64.c_str(), FALSE));
    ScopedRegValue preference(HKEY_CURRENT_USER, "Software\\Microsoft\\DirectX\\UserGpuPreferences", app32, "GpuPreference=2;");
    ScopedRegValue layer(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers", app64,
                         "~ WIN7RTM");
    // Each bitness's driver, told apart: a 32-bit program on 64-bit Windows reads the Wow value.
    const std::string key = firstAdapterKey();
    ASSERT_FALSE(key.empty());
    ScopedRegValue plain(HKEY_LOCAL_MACHINE, key, "OpenGLDriverName", "plain64.dll");
    ScopedRegValue wow(HKEY_LOCAL_MACHINE, key, "OpenGLDriverNameWow", "wow32.dll");
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const bool windows64 = sizeof(void*) == 8 || wow64;
    const std::string beside = gl64.substr(0, gl64.rfind('\\')) + "\\opengl32.dll";
    ASSERT_TRUE(CopyFileA(doublePath().c_str(), beside.c_str(), FALSE));

    const Answer alone = run("--app \"" + app32 + "\"");
    EXPECT_EQ(alone.code, 0u);
    EXPECT_EQ(alone.output.rfind("Summary for app32.exe: ", 0), 0u) << alone.output;
    EXPECT_EQ(labelled(alone.output, "Application"), app32);
    EXPECT_EQ(labelled(alone.output, "  Machine"), "x86 (32-bit)");
    EXPECT_EQ(labelled(alone.output, "  Manifest"), "embedded, declares Windows 10");
    EXPECT_EQ(labelled(alone.output, "  Exports"), "NvOptimusEnablement = 1, AmdPowerXpressRequestHighPerformance not exported");
    EXPECT_EQ(labelled(alone.output, "  GPU preference"), "high performance");

    const nlohmann::json a32 = jsonFor("--app \"" + app32 + "\"");
    EXPECT_EQ(a32["application"]["machine"], "x86");
    EXPECT_EQ(a32["application"]["nv_optimus_enablement"], 1);
    EXPECT_EQ(a32["application"]["gpu_preference"], 2);
    EXPECT_TRUE(a32["application"]["declares_windows_10"].get<bool>());
    EXPECT_FALSE(a32["application"]["imports_opengl32"].get<bool>());
    EXPECT_EQ(a32["application"]["drivers"][0]["driver"], windows64 ? "wow32.dll" : "plain64.dll");

    const nlohmann::json a64 = jsonFor("--app \"" + app64 + "\"");
    EXPECT_EQ(a64["application"]["machine"], "x64");
    EXPECT_EQ(a64["application"]["manifest"], "beside");
    EXPECT_TRUE(a64["application"]["declares_windows_10"].get<bool>());
    EXPECT_EQ(a64["application"]["compatibility_layers"], nlohmann::json::array({"WIN7RTM"}));
    EXPECT_TRUE(a64["application"]["nv_optimus_enablement"].is_null());
    EXPECT_TRUE(a64["application"]["gpu_preference"].is_null());
    EXPECT_EQ(a64["application"]["drivers"][0]["driver"], "plain64.dll");

    const nlohmann::json g64 = jsonFor("--app \"" + gl64 + "\"");
    EXPECT_TRUE(g64["application"]["imports_opengl32"].get<bool>());
    ASSERT_EQ(g64["application"]["beside"].size(), 1u);
    EXPECT_EQ(g64["application"]["beside"][0]["file"], "opengl32.dll");
    EXPECT_EQ(g64["application"]["summary"].get<std::string>().rfind("It most likely gets the opengl32.dll", 0), 0u)
        << g64["application"]["summary"];
    DeleteFileA(beside.c_str());
    DeleteFileA(gl64.c_str());
    RemoveDirectoryA(folder.c_str());

    // In the report, right after its own summary.
    const std::string report = run("--app \"" + app64 + "\" --report -").output;
    const size_t summary = report.find("\r\nSummary: ");
    ASSERT_NE(summary, std::string::npos);
    EXPECT_EQ(report.find("\r\nSummary for app64.exe: "), report.find("\r\n", summary + 2)) << report.substr(0, 500);
    EXPECT_EQ(labelled(report, "Application"), app64);
}

// What is no program is refused as a bad command line, and nothing is written.
TEST(Program, RefusesWhatIsNoProgram) {
    const std::string folder = dosPath(unixTempPath("not-programs"));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string text = folder + "\\readme.txt";
    const std::string truncated = folder + "\\cut.exe";
    { std::ofstream(text, std::ios::binary) << "just some text\r\n"; }
    { std::ofstream(truncated, std::ios::binary) << readAll(app("app64")).substr(0, 300); }
    const std::string report = folder + "\\report.txt";
    const std::pair<std::string, std::string> cases[] = {
        {text, "it is not a program (no MZ header)"},
        {truncated, "its header is cut short"},
        {folder + "\\missing.exe", "there is no such file"},
        {folder, "it is a folder, not a program"},
    };
    for (const auto& c : cases) {
        const Answer refused = run("--app \"" + c.first + "\" --report \"" + report + "\"");
        EXPECT_EQ(refused.code, 2u) << c.first;
        EXPECT_EQ(refused.output, "--app " + c.first + ": " + c.second + "\r\n");
        EXPECT_FALSE(exists(report));
    }
    runUnix("rm -rf '" + unixPath(folder) + "'");
}

// The true version, which a program that does not declare Windows 10 is not
// told by GetVersionEx on Windows 10.
TEST(Program, TellsTheTrueWindowsVersion) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_EQ(rtlGetVersion(&version), 0);
    const std::string windows = labelled(run("--report -").output, "Windows");
    char expected[64];
    std::snprintf(expected, sizeof expected, "%lu.%lu build %lu, ", version.dwMajorVersion, version.dwMinorVersion,
                  version.dwBuildNumber & 0xFFFF);
    EXPECT_EQ(windows.rfind(expected, 0), 0u) << windows;
}

namespace {

class CheckAProgram : public RunningDialog {};

// The Open dialog of the program, once it shows.
HWND waitForOpenDialog(DWORD pid) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50)) {
        HWND found = findTopWindow(pid, "Check a program");
        if (found != nullptr && IsWindowVisible(found) && GetDlgItem(found, 0x47C) != nullptr) return found;
    }
    return nullptr;
}

}  // namespace

// Ctrl+O and the menu open the Open dialog; the program picked is said in a
// box, and the copied report names it.
TEST_F(CheckAProgram, ByKeysAndByTheMenu) {
    ASSERT_TRUE(inFront_);
    press({VK_CONTROL, 'O'});
    HWND open = waitForOpenDialog(app_.pid());
    ASSERT_NE(open, nullptr) << "Ctrl+O opened no Open dialog";
    PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
    // Keys reach the dialog only once the Open dialog has gone and given the focus back.
    for (DWORD start = GetTickCount(); IsWindow(open) && GetTickCount() - start < 5000;) Sleep(20);
    ASSERT_TRUE(bringToFront(dialog_));

    press({VK_SHIFT, VK_F10});
    ASSERT_NE(waitForPopupMenu(), nullptr);
    press({VK_DOWN});
    press({VK_DOWN});
    press({VK_DOWN});
    press({VK_RETURN});
    open = waitForOpenDialog(app_.pid());
    ASSERT_NE(open, nullptr) << "the menu's Check a program opened no Open dialog";
    const std::wstring path = widen(app("app32"));
    send(GetDlgItem(open, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    HWND box = waitForBoxSaying(app_.pid(), "Summary for app32.exe: ", 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(boxText(box).find("Machine: x86 (32-bit)"), std::string::npos) << boxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog_, WM_COMMAND, 40001, 0);
    const std::string copied = clipboardChangedSince(sequence);
    EXPECT_EQ(labelled(copied, "Application"), app("app32"));
}
