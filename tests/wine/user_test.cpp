// The dialog as a person meets it: keys pressed on the keyboard with the focus
// where a click or Tab put it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "harness.h"
#include "running_dialog.h"

using namespace harness;

namespace {

constexpr DWORD kButtonFace = COLOR_BTNFACE;
constexpr int kCopyReportCommand = 40001;

bool is(const std::uint8_t* p, COLORREF c) { return p[0] == GetRValue(c) && p[1] == GetGValue(c) && p[2] == GetBValue(c); }
bool dark(const std::uint8_t* p) { return p[0] < 100 && p[1] < 100 && p[2] < 100; }

RECT screenRect(HWND window, bool clientOnly) {
    RECT r;
    if (clientOnly) {
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(window, &r);
    }
    return r;
}

bool inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The program on the OpenGL double, which reports from inside the process what
// no other process can see: at each frame, the cursor shown and the number of
// GDI and USER objects held.
class Observed {
public:
    Observed() {
        // With core profiles offered: each report makes, and must delete, one.
        EXPECT_TRUE(app_.start(programPath(),
                               {{"GLDOUBLE_LOG", dosPath(log_)},
                                {"GLDOUBLE_OBSERVE", dosPath(request_)},
                                {"GLDOUBLE_WGL_EXTENSIONS", "WGL_ARB_extensions_string WGL_ARB_create_context_profile"}},
                               withDouble()));
        dialog_ = app_.waitForDialog();
        EXPECT_NE(dialog_, nullptr);
    }
    ~Observed() {
        if (dialog_ != nullptr) PostMessageW(dialog_, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        EXPECT_TRUE(app_.waitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
        DeleteFileA(dosPath(log_).c_str());
        DeleteFileA(dosPath(request_).c_str());
    }
    HWND dialog() const { return dialog_; }
    // Has the scene draw a frame now and returns what was seen then.
    std::string frame() {
        const size_t seen = observations().size();
        CloseHandle(CreateFileA(dosPath(request_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        RedrawWindow(GetDlgItem(dialog_, kSceneControlId), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        std::vector<std::string> lines = observations();
        for (DWORD start = GetTickCount(); lines.size() == seen && GetTickCount() - start < 3000; Sleep(20)) {
            lines = observations();
        }
        return lines.size() > seen ? lines.back() : std::string();
    }
    static unsigned count(const std::string& observed, const char* what) {
        const size_t at = observed.find(std::string(" ") + what + "=");
        return at == std::string::npos ? 0 : static_cast<unsigned>(std::stoul(observed.substr(at + strlen(what) + 2)));
    }

private:
    std::vector<std::string> observations() const {
        std::ifstream in(dosPath(log_));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("Observed ", 0) == 0) lines.push_back(line);
        }
        return lines;
    }

    App app_;
    HWND dialog_ = nullptr;
    std::string log_ = unixTempPath("observed.log");
    std::string request_ = unixTempPath("observe-now");  // asks the double to observe at the next frame
};


class User : public RunningDialog {
protected:
    void SetUp() override {
        RunningDialog::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(inFront_);
        list_ = GetDlgItem(dialog_, kExtensionListId);
        ok_ = GetDlgItem(dialog_, IDOK);
    }
    HWND list_ = nullptr;
    HWND ok_ = nullptr;
};

}  // namespace

// Tab and Shift+Tab walk the visible tab stops, OK and the extension list, as
// in any dialog; the hidden driver list is never reached.
TEST_F(User, TabMovesTheFocusBetweenOkAndTheList) {
    // Keys reach the program on their own time: wait for the focus to move.
    const auto after = [this](std::vector<WORD> keys) {
        const HWND before = focusOf(dialog_);
        press(keys);
        HWND now = before;
        for (DWORD start = GetTickCount(); now == before && GetTickCount() - start < 2000; Sleep(20)) {
            now = focusOf(dialog_);
        }
        return now;
    };
    HWND focus = nullptr;
    for (int i = 0; i < 3 && focus != ok_; ++i) focus = after({VK_TAB});
    ASSERT_EQ(focus, ok_) << "Tab never reached OK";
    EXPECT_EQ(after({VK_TAB}), list_);
    EXPECT_EQ(after({VK_TAB}), ok_);
    EXPECT_EQ(after({VK_SHIFT, VK_TAB}), list_);
    EXPECT_EQ(after({VK_SHIFT, VK_TAB}), ok_);
}

// What the screen shows: the dialog's own background, the list's rows, OK,
// and the four-way cursor over the cube.
TEST_F(User, TheDialogIsPaintedAsTheSystemPaintsDialogs) {
    Image frame;
    ASSERT_TRUE(waitForFrame(GetDlgItem(dialog_, kSceneControlId), &frame));
    send(dialog_, WM_NULL);
    Sleep(200);
    const RECT client = screenRect(dialog_, true);
    Image shot;
    ASSERT_TRUE(grabScreen(client, &shot));
    std::vector<RECT> controls;
    for (int id : {kSceneControlId, IDOK, kExtensionListId, kInfoTextId}) {
        RECT r = screenRect(GetDlgItem(dialog_, id), false);
        InflateRect(&r, 2, 2);
        controls.push_back(r);
    }
    int background = 0, other = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const POINT at = {client.left + x, client.top + y};
            bool onControl = false;
            for (const RECT& r : controls) onControl = onControl || inside(r, at);
            if (onControl) continue;
            (is(shot.at(x, y), GetSysColor(kButtonFace)) ? background : other) += 1;
        }
    }
    EXPECT_GT(background, 1000);
    EXPECT_EQ(other, 0) << "pixels of the dialog's background that are not the button face colour";

    // The list: its window colour, with rows of dark text in it.
    Image list;
    ASSERT_TRUE(grabScreen(screenRect(list_, true), &list));
    int listBackground = 0, darkPixels = 0;
    std::set<int> textLines;
    for (int y = 0; y < list.height; ++y) {
        for (int x = 0; x < list.width; ++x) {
            listBackground += is(list.at(x, y), GetSysColor(COLOR_WINDOW)) ? 1 : 0;
            if (dark(list.at(x, y))) {
                ++darkPixels;
                textLines.insert(y);
            }
        }
    }
    EXPECT_GT(listBackground, list.width * list.height / 2);
    EXPECT_GT(darkPixels, 200);
    EXPECT_GT(textLines.size(), 20u) << "too few lines of the list carry text";

    // OK: a frame that stands out from the dialog, and a caption on its face.
    Image ok;
    ASSERT_TRUE(grabScreen(screenRect(ok_, false), &ok));
    int ring = 0, framed = 0, ink = 0;
    for (int y = 0; y < ok.height; ++y) {
        for (int x = 0; x < ok.width; ++x) {
            const std::uint8_t* p = ok.at(x, y);
            if (x == 0 || y == 0 || x == ok.width - 1 || y == ok.height - 1) {
                ++ring;
                framed += is(p, GetSysColor(kButtonFace)) ? 0 : 1;
            }
            ink += std::max({p[0], p[1], p[2]}) < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(framed, ring / 2) << "no frame around OK";
    EXPECT_GT(ink, 15) << "no caption on OK";
}

// With the focus on a control, as after a click, the copy keys and the menu
// key still work, and the menu opens at the control.
TEST_F(User, CopyKeysWorkWhereverTheFocusIs) {
    const RECT list = screenRect(list_, false);
    clickAt(POINT{(list.left + list.right) / 2, list.top + 6});
    for (DWORD start = GetTickCount(); focusOf(dialog_) != list_ && GetTickCount() - start < 2000;) Sleep(20);
    ASSERT_EQ(focusOf(dialog_), list_);

    // Another owner's text, in both forms and one more, is replaced as a whole.
    setClipboardText("stale");
    const UINT html = RegisterClipboardFormatA("HTML Format");
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL stale = GlobalAlloc(GMEM_MOVEABLE, 6);
    memcpy(GlobalLock(stale), "stale", 6);
    GlobalUnlock(stale);
    SetClipboardData(html, stale);
    CloseClipboard();
    DWORD sequence = GetClipboardSequenceNumber();
    press({VK_CONTROL, 'C'});
    const std::string report = clipboardChangedSince(sequence);
    ASSERT_EQ(report.rfind("Program: ", 0), 0u) << report.substr(0, 80);
    EXPECT_TRUE(clipboardUnicode() == widen(report)) << "a Unicode program pastes something else";
    EXPECT_FALSE(IsClipboardFormatAvailable(html)) << "the previous owner's HTML is still there";

    setClipboardText("stale");
    sequence = GetClipboardSequenceNumber();
    press({VK_CONTROL, VK_INSERT});
    EXPECT_EQ(unmade(clipboardChangedSince(sequence)), unmade(report));

    press({VK_SHIFT, VK_F10});
    HWND menu = waitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "no context menu";
    RECT at;
    GetWindowRect(menu, &at);
    EXPECT_TRUE(inside(list, POINT{at.left, at.top})) << "the menu opened at " << at.left << "," << at.top;
    press({VK_ESCAPE});

    // From OK, reached with Tab.
    for (int i = 0; i < 3 && focusOf(dialog_) != ok_; ++i) {
        press({VK_TAB});
        Sleep(100);
    }
    ASSERT_EQ(focusOf(dialog_), ok_);
    setClipboardText("stale");
    sequence = GetClipboardSequenceNumber();
    press({VK_CONTROL, 'C'});
    EXPECT_EQ(unmade(clipboardChangedSince(sequence)), unmade(report));
}

// The four-way move cursor over the cube, and the arrow beside it.
TEST(UserObserved, TheCursorOverTheCubeIsTheMoveCursor) {
    Observed program;
    ASSERT_NE(program.dialog(), nullptr);
    ASSERT_TRUE(bringToFront(program.dialog()));
    const RECT scene = screenRect(GetDlgItem(program.dialog(), kSceneControlId), true);
    const RECT client = screenRect(program.dialog(), true);
    const auto cursorAt = [&program](POINT p) {
        SetCursorPos(p.x, p.y);
        Sleep(300);
        const std::string seen = program.frame();
        return seen.substr(0, seen.find(' ', 16));
    };
    EXPECT_EQ(cursorAt(POINT{(scene.left + scene.right) / 2, (scene.top + scene.bottom) / 2}), "Observed cursor=sizeall");
    EXPECT_EQ(cursorAt(POINT{client.left + 3, client.top + 3}), "Observed cursor=arrow");
    EXPECT_EQ(cursorAt(POINT{scene.left + 2, scene.bottom - 2}), "Observed cursor=sizeall");
}

// Over a long run: repaints and copies give back what they take, of every
// kind a report makes: objects, handles, modules, contexts.
TEST(UserObserved, RepaintsAndCopiesDoNotLeakHandles) {
    Observed program;
    HWND dialog = program.dialog();
    ASSERT_NE(dialog, nullptr);
    const auto repaint = [dialog](int times) {
        for (int i = 0; i < times; ++i) {
            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            send(dialog, WM_NULL);
        }
    };
    // What the system makes once and keeps comes before the count: on the
    // first repaints and copy, and under Wine about two dozen objects that
    // appear after the first look from inside and stay.
    repaint(50);
    send(dialog, WM_COMMAND, kCopyReportCommand);
    program.frame();
    const std::string before = program.frame();
    repaint(200);
    for (int i = 0; i < 50; ++i) send(dialog, WM_COMMAND, kCopyReportCommand);
    const std::string after = program.frame();
    ASSERT_NE(before, "");
    for (const char* what : {"gdi", "user", "handles", "modules"}) {
        EXPECT_GT(Observed::count(before, what), 0u) << what << ": " << before;
        EXPECT_LE(Observed::count(after, what), Observed::count(before, what) + 3) << what << ": " << before << " -> " << after;
    }
    // The surface's own context, and no core-profile probe left behind.
    EXPECT_EQ(Observed::count(after, "contexts"), 1u) << after;
}
