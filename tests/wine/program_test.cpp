// --app and "Check a program...": which OpenGL another program gets, read
// from programs of both bitnesses built for the test, with what the test
// arranges for them in its prefix.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "harness.h"
#include "running_dialog.h"
#include "schema.h"

using namespace harness;

namespace {

std::string appFile(const char* folder, const char* file) { return binDir() + "\\apps\\" + folder + "\\" + file; }
std::string app(const char* name) { return appFile(name, (std::string(name) + ".exe").c_str()); }

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

// What each program is and what is set for it, as the test arranged it, on
// the Windows the test runs on: 32-bit, or 64-bit with this tool 32-bit
// (WOW64) or 64-bit.
TEST(Program, SaysWhatDecidesWhichOpenGLAProgramGets) {
    const std::string app32 = app("app32"), app64 = app("app64");
    // Copies in a folder of the test's own, where DLLs can be put beside them.
    const std::string folder = dosPath(unixTempPath("beside"));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string gl64 = folder + "\\gl64.exe", x86 = folder + "\\x86.exe";
    ASSERT_TRUE(CopyFileA(app("gl64").c_str(), gl64.c_str(), FALSE));
    ScopedRegValue preference(HKEY_CURRENT_USER, "Software\\Microsoft\\DirectX\\UserGpuPreferences", app32, "GpuPreference=2;");
    // Layers set for every user, where Windows keeps them: the 64-bit view.
    ScopedRegValue layer(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers", app64,
                         "~ WIN7RTM", KEY_WOW64_64KEY);
    // Each bitness's driver, told apart: a 32-bit program on 64-bit Windows reads the Wow value.
    const std::string key = firstAdapterKey();
    ASSERT_FALSE(key.empty());
    ScopedRegValue plain(HKEY_LOCAL_MACHINE, key, "OpenGLDriverName", "plain64.dll");
    ScopedRegValue wow(HKEY_LOCAL_MACHINE, key, "OpenGLDriverNameWow", "wow32.dll");
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const bool windows64 = sizeof(void*) == 8 || wow64;
    ASSERT_TRUE(CopyFileA(appFile("gl-x64", "opengl32.dll").c_str(), (folder + "\\opengl32.dll").c_str(), FALSE));

    const Answer alone = run("--app \"" + app32 + "\"");
    EXPECT_EQ(alone.code, 0u);
    EXPECT_EQ(alone.output.rfind("Summary for app32.exe: ", 0), 0u) << alone.output;
    EXPECT_EQ(alone.output.find("this report"), std::string::npos) << "no report is shown: " << alone.output;
    EXPECT_EQ(labelled(alone.output, "Application"), app32);
    EXPECT_EQ(labelled(alone.output, "  Machine"), "x86 (32-bit): runs as a 32-bit process here");
    EXPECT_EQ(labelled(alone.output, "  Manifest"), "embedded, declares Windows 10");
    EXPECT_EQ(labelled(alone.output, "  Exports"), "NvOptimusEnablement = 1, AmdPowerXpressRequestHighPerformance not exported");
    EXPECT_EQ(labelled(alone.output, "  GPU preference"), "high performance");

    const nlohmann::json a32 = jsonFor("--app \"" + app32 + "\"");
    EXPECT_EQ(a32["application"]["machine"], "x86");
    EXPECT_EQ(a32["application"]["runs_as"], "x86");
    EXPECT_TRUE(a32["application"]["dotnet"].is_null());
    EXPECT_EQ(a32["application"]["nv_optimus_enablement"], 1);
    EXPECT_EQ(a32["application"]["gpu_preference"], 2);
    EXPECT_TRUE(a32["application"]["declares_windows_10"].get<bool>());
    EXPECT_FALSE(a32["application"]["imports_opengl32"].get<bool>());
    // On 32-bit Windows the plain value is the 32-bit driver.
    EXPECT_EQ(a32["application"]["drivers"][0]["driver"], windows64 ? "wow32.dll" : "plain64.dll");

    // The manifest under ID 2 is no process's: Windows reads none.
    EXPECT_EQ(labelled(run("--app \"" + app("app32id2") + "\"").output, "  Manifest"), "none");

    const nlohmann::json a64 = jsonFor("--app \"" + app64 + "\"");
    EXPECT_EQ(a64["application"]["machine"], "x64");
    EXPECT_EQ(a64["application"]["manifest"], "beside");
    EXPECT_TRUE(a64["application"]["declares_windows_10"].get<bool>());
    EXPECT_EQ(a64["application"]["compatibility_layers"], nlohmann::json::array({"WIN7RTM"}));
    EXPECT_TRUE(a64["application"]["nv_optimus_enablement"].is_null());
    EXPECT_TRUE(a64["application"]["gpu_preference"].is_null());
    EXPECT_EQ(a64["application"]["can_run"].get<bool>(), windows64);
    if (windows64) {
        EXPECT_EQ(a64["application"]["runs_as"], "x64");
        EXPECT_EQ(a64["application"]["drivers"][0]["driver"], "plain64.dll");
    } else {
        EXPECT_TRUE(a64["application"]["drivers"][0]["driver"].is_null());
        EXPECT_EQ(a64["application"]["summary"], "It cannot run here: it is an x64 program, and this is 32-bit Windows.");
    }

    // A 64-bit opengl32.dll is loaded by a 64-bit program beside it, never by a 32-bit one.
    const nlohmann::json g64 = jsonFor("--app \"" + gl64 + "\"");
    EXPECT_TRUE(g64["application"]["imports_opengl32"].get<bool>());
    ASSERT_EQ(g64["application"]["beside"].size(), 1u);
    EXPECT_EQ(g64["application"]["beside"][0]["file"], "opengl32.dll");
    EXPECT_EQ(g64["application"]["beside"][0]["machine"], "x64");
    EXPECT_EQ(g64["application"]["summary"].get<std::string>().rfind("It most likely gets the opengl32.dll", 0) == 0, windows64)
        << g64["application"]["summary"];
    ASSERT_TRUE(CopyFileA(app32.c_str(), x86.c_str(), FALSE));
    const nlohmann::json wrongBitness = jsonFor("--app \"" + x86 + "\"");
    ASSERT_EQ(wrongBitness["application"]["beside"].size(), 1u);
    EXPECT_FALSE(wrongBitness["application"]["beside"][0]["loaded"].get<bool>());
    EXPECT_EQ(wrongBitness["application"]["beside"][0]["why_not"], "it is x64 (64-bit) and the program runs as x86 (32-bit)");
    EXPECT_EQ(wrongBitness["application"]["summary"].get<std::string>().find("beside it"), std::string::npos);
    ASSERT_TRUE(CopyFileA(appFile("gl-x86", "opengl32.dll").c_str(), (folder + "\\opengl32.dll").c_str(), FALSE));
    EXPECT_TRUE(jsonFor("--app \"" + x86 + "\"")["application"]["beside"][0]["loaded"].get<bool>());
    // A program under a DLL's name is no DLL that loads; a folder of that name is none at all.
    ASSERT_TRUE(CopyFileA(app32.c_str(), (folder + "\\opengl32.dll").c_str(), FALSE));
    const nlohmann::json renamed = jsonFor("--app \"" + x86 + "\"");
    ASSERT_EQ(renamed["application"]["beside"].size(), 1u);
    EXPECT_TRUE(renamed["application"]["beside"][0]["machine"].is_null());
    EXPECT_FALSE(renamed["application"]["beside"][0]["loaded"].get<bool>());
    ASSERT_TRUE(DeleteFileA((folder + "\\opengl32.dll").c_str()));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\opengl32.dll").c_str(), nullptr));
    EXPECT_TRUE(jsonFor("--app \"" + x86 + "\"")["application"]["beside"].empty());

    // In the report, right after its own summary.
    const std::string report = run("--app \"" + app64 + "\" --report -").output;
    const size_t summary = report.find("\r\nSummary: ");
    ASSERT_NE(summary, std::string::npos);
    EXPECT_EQ(report.find("\r\nSummary for app64.exe: "), report.find("\r\n", summary + 2)) << report.substr(0, 500);
    EXPECT_EQ(labelled(report, "Application"), app64);
    runUnix("rm -rf '" + unixPath(folder) + "'");
}

// The file the user names is the one read: under System32 the system's own
// even for this 32-bit tool, which WOW64 would send to SysWOW64; and through
// a short name, the settings Windows keeps under the long one.
TEST(Program, ReadsTheFileTheUserNames) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const bool windows64 = sizeof(void*) == 8 || wow64;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    for (const char* name : {"\\System32\\notepad.exe", "\\Sysnative\\notepad.exe"}) {
        if (!wow64 && std::strstr(name, "Sysnative") != nullptr) {  // only a 32-bit program on 64-bit Windows has it
            if (sizeof(void*) == 8) continue;
            const Answer none = run(std::string("--app \"") + windows + name + "\"");
            EXPECT_EQ(none.code, 2u);
            EXPECT_NE(none.output.find(": there is no such file"), std::string::npos) << none.output;
            continue;
        }
        const nlohmann::json notepad = jsonFor(std::string("--app \"") + windows + name + "\"");
        EXPECT_EQ(notepad["application"]["machine"], windows64 ? "x64" : "x86") << name;
    }

    const std::string folder = dosPath(unixTempPath("long names"));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string program = folder + "\\A program with a long name.exe";
    ASSERT_TRUE(CopyFileA(app("app32").c_str(), program.c_str(), FALSE));
    char shortName[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(program.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortName), program) << "no short name to test with";
    ScopedRegValue preference(HKEY_CURRENT_USER, "Software\\Microsoft\\DirectX\\UserGpuPreferences", program, "GpuPreference=1;");
    ScopedRegValue layer(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers", program,
                         "~ WIN8RTM");
    const nlohmann::json viaShort = jsonFor(std::string("--app \"") + shortName + "\"");
    EXPECT_EQ(viaShort["application"]["path"], program);
    EXPECT_EQ(viaShort["application"]["gpu_preference"], 1);
    EXPECT_EQ(viaShort["application"]["compatibility_layers"], nlohmann::json::array({"WIN8RTM"}));
    runUnix("rm -rf '" + unixPath(folder) + "'");
}

// What is no program is refused as a bad command line, and nothing is written.
TEST(Program, RefusesWhatIsNoProgram) {
    const std::string folder = dosPath(unixTempPath("not-programs"));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string text = folder + "\\readme.txt";
    const std::string truncated = folder + "\\cut.exe";
    const std::string empty = folder + "\\empty.exe";
    { std::ofstream(text, std::ios::binary) << "just some text\r\n"; }
    { std::ofstream(truncated, std::ios::binary) << readAll(app("app64")).substr(0, 300); }
    { std::ofstream(empty, std::ios::binary); }
    const std::string report = folder + "\\report.txt";
    const std::pair<std::string, std::string> cases[] = {
        {text, "it is not a program (no MZ header)"},
        {truncated, "its header is cut short"},
        {empty, "it is empty, not a program"},
        {folder + "\\missing.exe", "there is no such file"},
        {folder, "it is a folder, not a program"},
        {appFile("lib", "library.dll"), "it is a DLL, not a program: check the program that loads it"},
        {appFile("driver", "driver.sys"), "it is a driver or another native-subsystem image, not a program"},
        {appFile("efi", "boot.efi"), "it is an EFI image, not a Windows program"},
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

// A shortcut to a program, as the shell makes one.
bool makeShortcut(const std::string& shortcut, const std::string& target) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool made = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))) &&
                SUCCEEDED(link->SetPath(widen(target).c_str())) &&
                SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                SUCCEEDED(file->Save(widen(shortcut).c_str(), TRUE));
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    CoUninitialize();
    return made;
}

}  // namespace

// A shortcut picked in the Open dialog, as people pick the one on their
// Desktop, is followed to its program, and the box names both.
TEST_F(CheckAProgram, FollowsAShortcutToItsProgram) {
    ASSERT_TRUE(inFront_);
    const std::string shortcut = dosPath(unixTempPath("Game.lnk"));
    ASSERT_TRUE(makeShortcut(shortcut, app("app32")));
    press({VK_CONTROL, 'O'});
    HWND open = waitForOpenDialog(app_.pid());
    ASSERT_NE(open, nullptr);
    const std::wstring path = widen(shortcut);
    send(GetDlgItem(open, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    HWND box = waitForBoxSaying(app_.pid(), "Summary for app32.exe: ", 10000);
    ASSERT_NE(box, nullptr);
    const std::string said = boxText(box);
    EXPECT_NE(said.find("Shortcut: " + shortcut + "\nIt leads to: " + app("app32") + "\n"), std::string::npos) << said;
    EXPECT_EQ(said.find("this report"), std::string::npos) << "no report is shown beside the box: " << said;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    DeleteFileA(shortcut.c_str());
}

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

namespace {

class CompareDialog : public RunningDialog {};

}  // namespace

// The menu's "Compare with a saved report..." opens the Open dialog; the
// report picked, here an HTML one, is compared with this machine's in a box,
// and Copy then includes the changes.
TEST_F(CompareDialog, ByTheMenu) {
    ASSERT_TRUE(inFront_);
    const std::string saved = dosPath(unixTempPath("saved.html"));
    ASSERT_EQ(run(withDouble() + " --html \"" + saved + "\"").code, 0u);
    press({VK_SHIFT, VK_F10});
    ASSERT_NE(waitForPopupMenu(), nullptr);
    for (int k = 0; k < 4; ++k) press({VK_DOWN});
    press({VK_RETURN});
    HWND open = nullptr;
    for (DWORD start = GetTickCount(); open == nullptr && GetTickCount() - start < 10000; Sleep(50)) {
        HWND found = findTopWindow(app_.pid(), "Compare with a saved report");
        if (found != nullptr && IsWindowVisible(found) && GetDlgItem(found, 0x47C) != nullptr) open = found;
    }
    ASSERT_NE(open, nullptr) << "the menu's Compare with a saved report opened no Open dialog";
    const std::wstring path = widen(saved);
    send(GetDlgItem(open, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    HWND box = waitForBoxSaying(app_.pid(), "Changes since " + saved, 10000);
    ASSERT_NE(box, nullptr);
    // The double's strings then, Mesa's now.
    EXPECT_NE(boxText(box).find("\n  Renderer: was \"Double Renderer\", now \"llvmpipe"), std::string::npos) << boxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog_, WM_COMMAND, 40001, 0);
    const std::string copied = clipboardChangedSince(sequence);
    EXPECT_NE(copied.find("\r\nChanges since " + saved + " (made "), std::string::npos) << copied.substr(0, 400);
    DeleteFileA(saved.c_str());
}
