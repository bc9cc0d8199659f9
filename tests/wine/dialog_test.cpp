// The dialog shell on the real program under Wine: layout, close paths, and
// start-up failure with the OpenGL double.
#include <gtest/gtest.h>

#include <cstring>

#include "harness.h"

using namespace harness;

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    RECT units;  // x, y, cx, cy in dialog units
    bool visible;
    DWORD style;
    DWORD exStyle;
};

// Reads the extended dialog template as the resource compiler laid it out.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* at) : p_(at) {}
    WORD word() { WORD v; memcpy(&v, p_, 2); p_ += 2; return v; }
    DWORD dword() { DWORD v; memcpy(&v, p_, 4); p_ += 4; return v; }
    BYTE byte() { return *p_++; }
    std::string text() {  // a string, or 0xFFFF and an ordinal written as "#n"
        WORD first = word();
        if (first == 0xFFFF) return "#" + std::to_string(word());
        std::string out;
        for (WORD c = first; c != 0; c = word()) out += static_cast<char>(c);
        return out;
    }
    void alignDword(const BYTE* base) { while ((p_ - base) % 4 != 0) ++p_; }

private:
    const BYTE* p_;
};

const BYTE* programResource(HMODULE program, int id, int type) {
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    return found == nullptr ? nullptr : static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
}

const ExpectedControl kExpectedControls[] = {
    {kSceneControlId, "Static", "OpenGL Shape", {164, 8, 75, 71}, true, 0x50020100, 0x200},
    {IDOK, "Button", "OK", {189, 119, 50, 14}, true, 0x50010000, 0},
    {kExtensionListId, "ListBox", "", {8, 42, 152, 91}, true, 0x50A10103, 0},
    {kInfoTextId, "Static", "Infos:", {8, 8, 151, 28}, true, 0x50020000, 0},
    {kDriverListId, "ListBox", "", {8, 42, 151, 28}, false, 0x40A10101, 0},
};

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Dialog units become pixels through the dialog's font. A hidden copy of the
// program's own template, made in this process, gives the same conversion.
RECT toPixels(RECT units) {
    HMODULE program = LoadLibraryExA(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(kDialogTemplateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
    auto* tmpl = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(program, found)));
    HWND copy = CreateDialogIndirectParamA(nullptr, tmpl, nullptr, quietDialog, 0);
    MapDialogRect(copy, &units);
    DestroyWindow(copy);
    FreeLibrary(program);
    return units;
}

RECT rectInDialog(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

DWORD closeWith(void (*action)(HWND)) {
    App app;
    EXPECT_TRUE(app.start(programPath()));
    HWND dialog = app.waitForDialog();
    if (dialog == nullptr) {
        ADD_FAILURE() << "the dialog did not appear";
        return 1000;
    }
    action(dialog);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code)) << "the program did not end";
    return code;
}

}  // namespace

TEST(Dialog, ControlsFollowTheTemplate) {
    App app;
    ASSERT_TRUE(app.start(programPath()));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(dialog), "OpenGL Renderer infos");
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & 0x00C800C0, 0x00C800C0) << std::hex << style;  // caption, system menu, modal frame, font

    RECT client;
    GetClientRect(dialog, &client);
    const RECT size = toPixels(RECT{0, 0, 247, 142});
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    // Child windows come in template order, which is also the tab order.
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ExpectedControl& control : kExpectedControls) {
        ASSERT_NE(child, nullptr) << "missing control " << control.id;
        SCOPED_TRACE(control.id);
        EXPECT_EQ(GetDlgCtrlID(child), control.id);
        EXPECT_EQ(GetDlgItem(dialog, control.id), child);
        EXPECT_STRCASEEQ(windowClass(child).c_str(), control.className);
        if (control.id == kInfoTextId) {
            EXPECT_EQ(windowText(child).rfind("Vendor: ", 0), 0u);  // "Infos:" was replaced
        } else {
            EXPECT_EQ(windowText(child), control.text);
        }
        EXPECT_EQ(IsWindowVisible(child) != FALSE, control.visible);
        // Origin and size are converted separately, as the dialog manager does.
        const RECT expected = toPixels(control.units);
        const RECT actual = rectInDialog(dialog, child);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.right);
        EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template has";

    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, kSceneControlId), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetDlgItem(dialog, kCloseCommandId), nullptr);

    // The hidden driver list stays hidden while the dialog runs and is used.
    PostMessageW(GetDlgItem(dialog, kExtensionListId), WM_KEYDOWN, VK_DOWN, 0);
    send(dialog, WM_NULL, 0, 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kDriverListId)));
}

// The resources as built: the template word for word, the icon and the version.
TEST(Dialog, ResourcesAreThoseOfTheProgram) {
    HMODULE program = LoadLibraryExA(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const BYTE* base = programResource(program, kDialogTemplateId, 5);  // RT_DIALOG
    ASSERT_NE(base, nullptr);
    TemplateReader t(base);
    EXPECT_EQ(t.word(), 1);       // extended template
    EXPECT_EQ(t.word(), 0xFFFF);
    t.dword();                    // help id
    EXPECT_EQ(t.dword(), 0u);     // no extended style
    EXPECT_EQ(t.dword(), 0x00C800C0u);
    EXPECT_EQ(t.word(), 5);       // controls
    EXPECT_EQ(t.word(), 22);
    EXPECT_EQ(t.word(), 17);
    EXPECT_EQ(t.word(), 247);
    EXPECT_EQ(t.word(), 142);
    EXPECT_EQ(t.text(), "");      // no menu
    EXPECT_EQ(t.text(), "");      // the system's dialog class
    EXPECT_EQ(t.text(), "OpenGL Renderer infos");
    EXPECT_EQ(t.word(), 8);       // points
    EXPECT_EQ(t.word(), 0);       // weight
    EXPECT_EQ(t.byte(), 0);       // not italic
    EXPECT_EQ(t.byte(), 1);       // character set
    EXPECT_EQ(t.text(), "MS Sans Serif");
    const char* classNames[] = {"STATIC", "BUTTON", "LISTBOX", "STATIC", "LISTBOX"};
    int index = 0;
    for (const ExpectedControl& control : kExpectedControls) {
        SCOPED_TRACE(control.id);
        t.alignDword(base);
        t.dword();  // help id
        EXPECT_EQ(t.dword(), control.exStyle);
        EXPECT_EQ(t.dword(), control.style);
        EXPECT_EQ(t.word(), control.units.left);
        EXPECT_EQ(t.word(), control.units.top);
        EXPECT_EQ(t.word(), control.units.right);
        EXPECT_EQ(t.word(), control.units.bottom);
        EXPECT_EQ(t.dword(), static_cast<DWORD>(control.id));
        EXPECT_EQ(t.text(), classNames[index++]);
        EXPECT_EQ(t.text(), control.text);
        EXPECT_EQ(t.word(), 0);  // no creation data
    }

    // Icon group 130: one 32 x 32 image in 256 colours.
    const BYTE* group = programResource(program, kIconId, 14);  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    TemplateReader g(group);
    EXPECT_EQ(g.word(), 0);
    EXPECT_EQ(g.word(), 1);
    EXPECT_EQ(g.word(), 1);
    EXPECT_EQ(g.byte(), 32);
    EXPECT_EQ(g.byte(), 32);
    EXPECT_EQ(g.byte(), 0);  // 256 colours
    g.byte();
    g.word();
    EXPECT_EQ(g.word(), 8);  // bits per pixel
    EXPECT_NE(LoadIconA(program, MAKEINTRESOURCEA(kIconId)), nullptr);

    // Version 1.0.0.11 with one string table for "040c04b0".
    FreeLibrary(program);
    std::vector<BYTE> version(GetFileVersionInfoSizeA(programPath().c_str(), nullptr));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoA(programPath().c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 11u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 11u);
    char* text = nullptr;
    EXPECT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\040c04b0\\FileVersion", reinterpret_cast<void**>(&text), &size));
    EXPECT_STREQ(text, "1.0.0.11");
}

TEST(Dialog, EveryCloseEndsWithExitCodeZero) {
    struct Case {
        const char* name;
        void (*action)(HWND);
    };
    const Case cases[] = {
        {"Enter", [](HWND d) { PostMessageW(d, WM_KEYDOWN, VK_RETURN, 0); }},
        {"Escape", [](HWND d) { PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"OK button", [](HWND d) { PostMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
        {"command 105", [](HWND d) { PostMessageW(d, WM_COMMAND, kCloseCommandId, 0); }},
        // As an accelerator or a control would send them: a nonzero notification code.
        {"command 105 from an accelerator", [](HWND d) { PostMessageW(d, WM_COMMAND, MAKEWPARAM(105, 1), 0); }},
        {"OK with a notification code", [](HWND d) { PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0); }},
        {"caption close", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(closeWith(c.action), 0u);
    }
}

TEST(Dialog, OtherCommandsDoNotClose) {
    App app;
    ASSERT_TRUE(app.start(programPath()));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    send(dialog, WM_COMMAND, 104, 0);
    send(dialog, WM_COMMAND, MAKEWPARAM(kDriverListId, LBN_DBLCLK), 0);
    DWORD code = 0;
    EXPECT_FALSE(app.waitForExit(300, &code));
    EXPECT_TRUE(IsWindowVisible(dialog));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(app.waitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}
