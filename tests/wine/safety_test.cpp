// Where the program's code comes from: DLLs planted beside it are never
// loaded, and another opengl32.dll is used only when named with --opengl32.
#include <gtest/gtest.h>

#include "harness.h"
#include "own_context.h"

using namespace harness;

namespace {

constexpr int kCopyReportCommand = 40001;

std::string plantedFolder() { return binDir() + "\\planted"; }

// The report that the dialog's copy command puts on the clipboard.
std::string copiedReport(HWND dialog) {
    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog, WM_COMMAND, kCopyReportCommand, 0);
    return clipboardChangedSince(sequence);
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

void closeAndExpectZero(App& app, HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace

// Windows looks for DLLs that are not KnownDLLs in the program's folder first;
// the per-program override makes Wine do the same for opengl32 and glu32.
// Not for version: Wine's own user32 imports version.dll (Windows' does not),
// so with the override Wine itself would load the stand-in before the program
// runs. That the program never imports it is the import check's to show.
// Each layer is shown on its own: the loader's flags with the default
// directories left as they are (a test-only switch), and the default
// directories for a load by bare name from inside the process, as system
// DLLs make them on the program's behalf.
TEST(Safety, DllsPlantedBesideTheProgramAreNeverLoaded) {
    const std::string overrides = "Software\\Wine\\AppDefaults\\gl-renderer-info.exe\\DllOverrides";
    ScopedRegValue gl(HKEY_CURRENT_USER, overrides, "opengl32", "native,builtin");
    ScopedRegValue glu(HKEY_CURRENT_USER, overrides, "glu32", "native,builtin");
    const char* names[] = {"opengl32", "glu32", "version"};
    const OwnContext own;
    ASSERT_TRUE(own.ok);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string log = dosPath(unixTempPath("planted.log"));
    struct Case {
        const char* what;
        Env env;
        std::string arguments;
        std::string library;  // the report's "OpenGL library"
    };
    const Case cases[] = {
        {"both layers", {}, "", std::string(system) + "\\opengl32.dll"},
        {"the loader's flags alone", {{"GRI_TEST_SKIP_DEFAULT_DLL_DIRECTORIES", "1"}}, "", std::string(system) + "\\opengl32.dll"},
        {"the default directories alone", {{"GLDOUBLE_LOAD", "glu32.dll"}, {"GLDOUBLE_LOG", log}}, withDouble(), doublePath()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* name : names) DeleteFileA((plantedFolder() + "\\" + name + ".dll.loaded").c_str());
        DeleteFileA(log.c_str());
        App app;
        ASSERT_TRUE(app.start(plantedFolder() + "\\gl-renderer-info.exe", c.env, c.arguments));
        HWND dialog = app.waitForDialog();
        ASSERT_NE(dialog, nullptr);
        if (c.arguments.empty()) {
            EXPECT_EQ(windowText(GetDlgItem(dialog, kInfoTextId)),
                      "Vendor: " + own.vendor + "\nRenderer: " + own.renderer + "\nVersion: " + own.version);
        } else {
            EXPECT_NE(lower(readAll(log)).find(lower("Loaded glu32.dll from " + std::string(system) + "\\glu32.dll")),
                      std::string::npos)
                << readAll(log);
        }
        EXPECT_EQ(lower(labelled(copiedReport(dialog), "OpenGL library")), lower(c.library));
        closeAndExpectZero(app, dialog);
        for (const char* name : names) {
            EXPECT_FALSE(exists(plantedFolder() + "\\" + name + ".dll.loaded")) << name << ".dll beside the program was loaded";
        }
    }
    DeleteFileA(log.c_str());
}

// The named library is used, also when named relative to the current folder,
// and the DLLs it brings along come from its own folder (the double imports one).
TEST(Safety, OpenGl32OptionUsesTheNamedLibrary) {
    for (const std::string& named : {doublePath(), std::string("double\\opengl32.dll")}) {
        SCOPED_TRACE(named);
        App app;
        ASSERT_TRUE(app.startWithHandles(programPath(), {}, "--opengl32 " + named, nullptr, nullptr, 0, binDir().c_str()));
        HWND dialog = app.waitForDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(windowText(GetDlgItem(dialog, kInfoTextId)), "Vendor: Double Vendor\nRenderer: Double Renderer\nVersion: 1.1 Double");
        EXPECT_EQ(lower(labelled(copiedReport(dialog), "OpenGL library")), lower(doublePath()));
        closeAndExpectZero(app, dialog);
    }
}

// A library that cannot be used is named in a box, and the dialog never comes.
TEST(Safety, AnUnusableOpenGl32EndsWithABoxAndCodeOne) {
    struct Case {
        std::string path;
        std::string reason;  // a piece of the box's text
    };
    const Case cases[] = {
        {dosPath(unixTempPath("missing")) + "\\opengl32.dll", "(error 126)"},  // the loader's own code, kept
        {binDir() + "\\no-such\\opengl32.dll", "(error 126)"},              // named relative to the current folder
        {plantedFolder() + "\\glu32.dll", "does not export glBegin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const bool relative = c.path.rfind(binDir() + "\\no-such", 0) == 0;
        App app;
        ASSERT_TRUE(app.startWithHandles(programPath(), {}, "--opengl32 \"" + (relative ? c.path.substr(binDir().size() + 1) : c.path) + "\"",
                                         nullptr, nullptr, 0, binDir().c_str()));
        HWND box = app.waitForWindow("OpenGL Error");
        ASSERT_NE(box, nullptr);
        const std::string text = boxText(box);
        EXPECT_NE(text.find(c.path), std::string::npos) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_EQ(findTopWindow(app.pid(), "OpenGL Renderer infos"), nullptr);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        ASSERT_TRUE(app.waitForExit(15000, &code));
        EXPECT_EQ(code, 1u);
    }
}

TEST(Safety, HelpShowsTheUsageAndUnknownArgumentsAreIgnored) {
    for (const char* help : {"--help", "/?"}) {
        App app;
        // As a shortcut starts it: no console, and no handles chosen.
        ASSERT_TRUE(app.start(programPath(), {}, help, DETACHED_PROCESS));
        HWND box = app.waitForWindow("Usage");
        ASSERT_NE(box, nullptr) << help;
        const std::string usage = boxText(box);
        EXPECT_NE(usage.find("--opengl32 PATH"), std::string::npos);
        // What it is and which version first, where the manual is last.
        EXPECT_EQ(usage.rfind("OpenGL Renderer infos 1.0.0.11: ", 0), 0u) << usage.substr(0, 80);
        EXPECT_NE(usage.find("docs/command-line.md"), std::string::npos);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        ASSERT_TRUE(app.waitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
        // Started by a script that closed both: no box waits, it ends at once.
        App closed;
        ASSERT_TRUE(closed.startWithHandles(programPath(), {}, help, nullptr, nullptr));
        ASSERT_TRUE(closed.waitForExit(5000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(visibleWindows(closed.pid()), 0);
    }
    App app;
    ASSERT_TRUE(app.start(programPath(), {}, "/unknown -x"));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    closeAndExpectZero(app, dialog);
}
