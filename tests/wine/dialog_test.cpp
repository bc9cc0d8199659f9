// The dialog shell on the real program under Wine: layout, close paths, and
// start-up failure with the OpenGL double.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

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

    // Child windows come in template order, which is also the tab order. The
    // labels that name two of them for screen readers come just before them,
    // made after the first frame: hidden, with no tab stop, and nothing else.
    waitUntil([dialog] { return GetDlgItem(dialog, 1007) != nullptr; });
    const auto skipLabel = [dialog](HWND at) {
        const int id = GetDlgCtrlID(at);
        if (id != 1006 && id != 1007) return at;
        EXPECT_FALSE(IsWindowVisible(at)) << id;
        EXPECT_EQ(GetWindowLongA(at, GWL_STYLE) & (WS_TABSTOP | WS_GROUP), 0) << id;
        EXPECT_STRCASEEQ(windowClass(at).c_str(), "STATIC");
        HWND named = GetWindow(at, GW_HWNDNEXT);
        EXPECT_EQ(GetDlgCtrlID(named), id == 1006 ? kSceneControlId : kExtensionListId);
        return named;
    };
    HWND child = skipLabel(GetWindow(dialog, GW_CHILD));
    for (const ExpectedControl& control : kExpectedControls) {
        ASSERT_NE(child, nullptr) << "missing control " << control.id;
        SCOPED_TRACE(control.id);
        EXPECT_EQ(GetDlgCtrlID(child), control.id);
        EXPECT_EQ(GetDlgItem(dialog, control.id), child);
        EXPECT_STRCASEEQ(windowClass(child).c_str(), control.className);
        if (control.id == kInfoTextId) {
            EXPECT_EQ(windowText(child).rfind("Vendor: ", 0), 0u);  // "Infos:" was replaced
        } else if (control.id == kExtensionListId) {
            // A list box's text shows nothing; screen readers name it by it.
            EXPECT_EQ(windowText(child), "Extensions (" + std::to_string(send(child, LB_GETCOUNT)) + ")");
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
        child = child != nullptr ? GetWindow(child, GW_HWNDNEXT) : nullptr;
        if (child != nullptr) child = skipLabel(child);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template has";
    EXPECT_NE(GetDlgItem(dialog, 1006), nullptr);

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

// The manifest the system reads (type 24, id 1), accepted by the system's own
// activation-context loader.
TEST(Dialog, CarriesItsManifest) {
    HMODULE program = LoadLibraryExA(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(program, found))),
                           SizeofResource(program, found));
    FreeLibrary(program);
    // Windows refuses to start an unsigned program that asks for uiAccess.
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos);
    EXPECT_EQ(text.find("uiAccess=\"true\""), std::string::npos);
    EXPECT_NE(text.find("SMI/2016/WindowsSettings\">true</longPathAware>"), std::string::npos);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    // Wine draws every program at the system DPI, aware or not: only the text tells.
    EXPECT_NE(text.find("WindowsSettings\">true</dpiAware>"), std::string::npos);
    // Wine ignores supportedOS. Vista to 8.1 and not Windows 10: Intel's
    // drivers for its older graphics unload in a program that declares 10.
    std::set<std::string> supported;
    for (size_t at = text.find("<supportedOS Id=\""); at != std::string::npos;
         at = text.find("<supportedOS Id=\"", at + 1)) {
        supported.insert(text.substr(at + 17, 38));
    }
    EXPECT_EQ(supported, (std::set<std::string>{
                             "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
                             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
                             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                         }));
    EXPECT_EQ(text.find("8e0f7a12"), std::string::npos);
    const std::string path = programPath();
    ACTCTXA context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE activation = CreateActCtxA(&context);
    EXPECT_NE(activation, INVALID_HANDLE_VALUE) << "the manifest was not accepted, error " << GetLastError();
    if (activation != INVALID_HANDLE_VALUE) ReleaseActCtx(activation);
}

namespace {

struct Measured {
    RECT dialog = {};
    RECT scene = {};
    Image frame;
};

// The dialog and its first frame with the prefix set to `dpi` dots per inch.
Measured measureAt(DWORD dpi) {
    ScopedRegValue logPixels(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", dpi);
    Measured m;
    App app;
    EXPECT_TRUE(app.start(programPath()));
    HWND dialog = app.waitForDialog();
    if (dialog == nullptr) {
        ADD_FAILURE() << "no dialog at " << dpi << " dpi";
        return m;
    }
    HWND scene = GetDlgItem(dialog, kSceneControlId);
    GetClientRect(dialog, &m.dialog);
    GetClientRect(scene, &m.scene);
    EXPECT_TRUE(waitForFrame(scene, &m.frame)) << "no frame at " << dpi << " dpi";
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
    return m;
}

// The lit pixels' bounding box.
RECT litBox(const Image& f) {
    RECT box = {f.width, f.height, -1, -1};
    for (int y = 0; y < f.height; ++y) {
        for (int x = 0; x < f.width; ++x) {
            const std::uint8_t* p = f.at(x, y);
            if (p[0] + p[1] + p[2] == 0) continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x);
            box.bottom = std::max<LONG>(box.bottom, y);
        }
    }
    return box;
}

}  // namespace

// System DPI aware: at 144 dpi the dialog and the cube are drawn at full size,
// about 1.5 times their 96-dpi size in pixels, the cube whole and centred.
TEST(Dialog, FollowsTheSystemDpi) {
    const Measured normal = measureAt(96);
    const Measured large = measureAt(144);
    const double ratios[] = {
        double(large.dialog.right) / normal.dialog.right, double(large.dialog.bottom) / normal.dialog.bottom,
        double(large.scene.right) / normal.scene.right, double(large.scene.bottom) / normal.scene.bottom,
    };
    for (double r : ratios) EXPECT_NEAR(r, 1.5, 0.15);

    const Image& f = large.frame;
    ASSERT_EQ(f.width, large.scene.right);
    ASSERT_EQ(f.height, large.scene.bottom);
    const RECT box = litBox(f);
    EXPECT_GT(box.left, 0);
    EXPECT_GT(box.top, 0);
    EXPECT_LT(box.right, f.width - 1);
    EXPECT_LT(box.bottom, f.height - 1);
    EXPECT_NEAR(box.left + box.right, f.width - 1, 4) << "not centred across";
    EXPECT_NEAR(box.top + box.bottom, f.height - 1, 4) << "not centred down";
    const RECT small = litBox(normal.frame);
    EXPECT_NEAR(double(box.right - box.left) / (small.right - small.left), 1.5, 0.15);
}
