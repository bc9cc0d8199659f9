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
TEST(Safety, DllsPlantedBesideTheProgramAreNeverLoaded) {
    const std::string overrides = "Software\\Wine\\AppDefaults\\gl-renderer-info.exe\\DllOverrides";
    ScopedRegValue gl(HKEY_CURRENT_USER, overrides, "opengl32", "native,builtin");
    ScopedRegValue glu(HKEY_CURRENT_USER, overrides, "glu32", "native,builtin");
    const char* names[] = {"opengl32", "glu32", "version"};
    for (const char* name : names) DeleteFileA((plantedFolder() + "\\" + name + ".dll.loaded").c_str());

    const OwnContext own;
    ASSERT_TRUE(own.ok);
    App app;
    ASSERT_TRUE(app.start(plantedFolder() + "\\gl-renderer-info.exe"));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kInfoTextId)),
              "Vendor: " + own.vendor + "\nRenderer: " + own.renderer + "\nVersion: " + own.version);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(lower(labelled(copiedReport(dialog), "OpenGL library")), lower(std::string(system) + "\\opengl32.dll"));
    closeAndExpectZero(app, dialog);
    for (const char* name : names) {
        EXPECT_EQ(GetFileAttributesA((plantedFolder() + "\\" + name + ".dll.loaded").c_str()), INVALID_FILE_ATTRIBUTES)
            << name << ".dll beside the program was loaded";
    }
}

TEST(Safety, OpenGl32OptionUsesTheNamedLibrary) {
    App app;
    ASSERT_TRUE(app.start(programPath(), {}, withDouble()));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kInfoTextId)), "Vendor: Double Vendor\nRenderer: Double Renderer\nVersion: 1.1 Double");
    EXPECT_EQ(lower(labelled(copiedReport(dialog), "OpenGL library")), lower(doublePath()));
    closeAndExpectZero(app, dialog);
}

// A library that cannot be used is named in a box, and the dialog never comes.
TEST(Safety, AnUnusableOpenGl32EndsWithABoxAndCodeOne) {
    struct Case {
        std::string path;
        std::string reason;  // a piece of the box's text
    };
    const Case cases[] = {
        {dosPath(unixTempPath("missing")) + "\\opengl32.dll", "(error "},
        {plantedFolder() + "\\glu32.dll", "does not export glBegin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        App app;
        ASSERT_TRUE(app.start(programPath(), {}, "--opengl32 \"" + c.path + "\""));
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
        ASSERT_TRUE(app.startWithHandles(programPath(), {}, help, nullptr, nullptr));  // no standard output
        HWND box = app.waitForWindow("Usage");
        ASSERT_NE(box, nullptr) << help;
        EXPECT_NE(boxText(box).find("--opengl32 PATH"), std::string::npos);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        ASSERT_TRUE(app.waitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
    }
    App app;
    ASSERT_TRUE(app.start(programPath(), {}, "/unknown -x"));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    closeAndExpectZero(app, dialog);
}
