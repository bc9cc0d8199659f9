// What a screen reader, a keyboard and a high-contrast theme get of the real
// dialog, and the dialog at other DPI, as Wine can show them.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "harness.h"
#include "running_dialog.h"

using namespace harness;

namespace {

class Access : public RunningDialog {
protected:
    // The labels are made once the first frame is out.
    void waitForLabels() {
        waitUntil([this] { return GetDlgItem(dialog_, 1007) != nullptr; });
    }
};

// IID_IAccessible, written out: mingw's 64-bit libraries define it twice.
const IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The name an accessibility client gets for a window's client object.
std::string accessibleName(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessible, reinterpret_cast<void**>(&object)))) {
        return "<no object>";
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text = "<no name>";
    if (object->get_accName(self, &name) == S_OK && name != nullptr) text = utf8(name);
    SysFreeString(name);
    object->Release();
    return text;
}

bool blueCentreBlackCorners(const Image& f) {
    const std::uint8_t* c = f.at(f.width / 2, f.height / 2);
    const auto black = [](const std::uint8_t* p) { return p[0] + p[1] + p[2] == 0; };
    return c[2] > 40 && c[0] < 15 && c[1] < 15 && black(f.at(0, 0)) && black(f.at(f.width - 1, f.height - 1));
}

}  // namespace

// The list and the scene control by the names a screen reader gives them; the
// hidden labels where Windows' rule looks for them, just before each.
// Wine's oleacc names a static after the label before it and a list box by
// its own text; Windows names a list box after the label before it, and the
// scene control by the Dynamic Annotation, which Wine does not implement.
TEST_F(Access, ControlsAreNamedForScreenReaders) {
    waitForLabels();
    HWND scene = GetDlgItem(dialog_, kSceneControlId);
    HWND list = GetDlgItem(dialog_, kExtensionListId);
    const std::string extensions = "Extensions (" + std::to_string(send(list, LB_GETCOUNT)) + ")";
    HWND listLabel = GetWindow(list, GW_HWNDPREV);
    HWND sceneLabel = GetWindow(scene, GW_HWNDPREV);
    ASSERT_NE(listLabel, nullptr);
    ASSERT_NE(sceneLabel, nullptr);
    EXPECT_EQ(windowText(listLabel), extensions);
    EXPECT_EQ(windowText(sceneLabel), "Rendering test");
    EXPECT_FALSE(IsWindowVisible(listLabel) || IsWindowVisible(sceneLabel));
    EXPECT_EQ(accessibleName(list), extensions);
    // Wine's oleacc names a static by its own text, and offers no Dynamic
    // Annotation: the scene control's name cannot be shown here, only asked for.
    EXPECT_NE(accessibleName(scene), "<no object>");
    EXPECT_EQ(accessibleName(GetDlgItem(dialog_, kInfoTextId)).rfind("Vendor: ", 0), 0u) << "the info text by its text, as before";
    // Asked, the program went on: the dialog still answers and copies its report.
    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog_, WM_COMMAND, 40001, 0);
    EXPECT_EQ(clipboardChangedSince(sequence).rfind("Program: ", 0), 0u);
}

// Ctrl with the arrow keys turns the cube as far as drags of 10 pixels,
// wherever the focus is; Ctrl+Home turns it back; plain arrows stay the list's.
TEST_F(Access, TheKeyboardTurnsTheCube) {
    ASSERT_TRUE(inFront_);
    waitForLabels();
    HWND scene = GetDlgItem(dialog_, kSceneControlId);
    HWND list = GetDlgItem(dialog_, kExtensionListId);
    Image start;
    ASSERT_TRUE(waitForFrame(scene, &start));
    // The focus moved as the dialog moves it, from its own thread.
    const auto focusTo = [this](HWND control) {
        PostMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        return waitUntil([&] { return focusOf(dialog_) == control; });
    };
    const auto shows = [scene](const std::function<bool(const Image&)>& holds) {
        return waitUntil([&] {
            Image frame;
            return grabControlFrame(scene, &frame) && holds(frame);
        });
    };
    ASSERT_TRUE(focusTo(list));
    send(list, LB_SETCURSEL, 0);
    // (45, 45) less nine turns up and nine left: (0, 0), the blue face square-on.
    for (int k = 0; k < 9; ++k) press({VK_CONTROL, VK_UP});
    ASSERT_TRUE(focusTo(GetDlgItem(dialog_, IDOK)));
    for (int k = 0; k < 9; ++k) press({VK_CONTROL, VK_LEFT});
    EXPECT_TRUE(shows(blueCentreBlackCorners)) << "the keys did not turn it to (0, 0)";
    EXPECT_EQ(listSelection(list), 0) << "Ctrl+Up moved the list's selection";
    press({VK_CONTROL, VK_HOME});
    EXPECT_TRUE(shows([&start](const Image& f) { return f.rgb == start.rgb; })) << "Ctrl+Home did not turn it back to (45, 45)";
    // The arrow alone is the list's, and turns nothing.
    ASSERT_TRUE(focusTo(list));
    press({VK_DOWN});
    EXPECT_TRUE(waitUntil([list] { return listSelection(list) == 1; }));
    Image still;
    ASSERT_TRUE(grabControlFrame(scene, &still));
    EXPECT_TRUE(still.rgb == start.rgb);
}

// A high-contrast scheme, set where Wine reads it at a program's start (its
// registry: Wine keeps system colours per process, so SetSysColors in the test
// would not reach the program): the dialog's background is the scheme's
// button face, the cube's is its window colour, and the faces keep theirs.
class Scheme : public ::testing::TestWithParam<int> {};

TEST_P(Scheme, AHighContrastSchemePaintsInItsColours) {
    ScopedRegValue face(HKEY_CURRENT_USER, "Control Panel\\Colors", "ButtonFace", "0 0 128");
    ScopedRegValue window(HKEY_CURRENT_USER, "Control Panel\\Colors", "Window", "0 96 0");
    ScopedRegValue flags(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\HighContrast", "Flags", "127");
    App app;
    ASSERT_TRUE(app.start(programPath()));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    HWND scene = GetDlgItem(dialog, kSceneControlId);
    Image frame;
    ASSERT_TRUE(waitForFrame(scene, &frame));
    RECT client;
    GetClientRect(dialog, &client);
    POINT corner = {client.right - 3, 3};
    ClientToScreen(dialog, &corner);
    Image shot;
    ASSERT_TRUE(grabScreen(RECT{corner.x, corner.y, corner.x + 1, corner.y + 1}, &shot));
    EXPECT_EQ(shot.at(0, 0)[0], 0);
    EXPECT_EQ(shot.at(0, 0)[1], 0);
    EXPECT_EQ(shot.at(0, 0)[2], 128);
    // Wine answers SPI_GETHIGHCONTRAST without the scheme's flags, so the
    // cube's own background, the window colour under high contrast, cannot be
    // shown here: its faces and black are what the scene tests see.
    // The colour change the system announces is followed: repainted, still whole.
    send(dialog, WM_SYSCOLORCHANGE);
    Image again;
    ASSERT_TRUE(waitForFrame(scene, &again));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
}

// Under the Access suite's name, apart from its fixture.
INSTANTIATE_TEST_SUITE_P(Access, Scheme, ::testing::Values(0));

namespace {

// The program at another DPI, as Wine's settings give it.
class AtDpi : public ::testing::TestWithParam<DWORD> {};

}  // namespace

// At 96, 144 and 192 DPI the dialog is whole: every control inside it, and the
// cube drawn to the scene control's full size.
TEST_P(AtDpi, TheDialogIsWholeAndTheCubeFillsItsControl) {
    const DWORD dpi = GetParam();
    ScopedRegValue desktop(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", dpi);
    ScopedRegValue fonts(HKEY_CURRENT_CONFIG, "Software\\Fonts", "LogPixels", dpi);
    App app;
    ASSERT_TRUE(app.start(programPath()));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    RECT client;
    GetClientRect(dialog, &client);
    // The template is 247 dialog units wide: about 370 pixels at 96 DPI with its font.
    if (dpi > 96) {
        EXPECT_GT(client.right, 370 * static_cast<LONG>(dpi) / 96 * 9 / 10) << "the DPI setting did not reach the program";
    }
    for (int id : {kSceneControlId, IDOK, kExtensionListId, kInfoTextId}) {
        HWND control = GetDlgItem(dialog, id);
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << id;
    }
    HWND scene = GetDlgItem(dialog, kSceneControlId);
    Image frame;
    ASSERT_TRUE(waitForFrame(scene, &frame));
    RECT area;
    GetClientRect(scene, &area);
    EXPECT_EQ(frame.width, area.right);
    EXPECT_EQ(frame.height, area.bottom);
    EXPECT_NE(frame.at(frame.width / 2, frame.height / 2)[0] + frame.at(frame.width / 2, frame.height / 2)[1] +
                  frame.at(frame.width / 2, frame.height / 2)[2],
              0)
        << "nothing drawn at the centre";
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
}

INSTANTIATE_TEST_SUITE_P(Access, AtDpi, ::testing::Values(96, 144, 192));
