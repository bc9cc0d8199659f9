// Renderer information on the real program: against the test's own OpenGL
// context on Mesa, and with the double scripting the strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "harness.h"
#include "own_context.h"

using namespace harness;

namespace {

struct Shown {
    std::string info;
    std::vector<std::string> rows;
    bool ran = false;
};

Shown runAndRead(const std::string& exe, const std::string& arguments = std::string(), const Env& env = {}) {
    App app;
    Shown shown;
    if (!app.start(exe, env, arguments)) return shown;
    HWND dialog = app.waitForDialog();
    if (dialog == nullptr) return shown;
    shown.info = windowText(GetDlgItem(dialog, kInfoTextId));
    shown.rows = listRows(GetDlgItem(dialog, kExtensionListId));
    shown.ran = IsWindowVisible(dialog) != FALSE;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    app.waitForExit(15000, &code);
    EXPECT_EQ(code, 0u);
    return shown;
}

}  // namespace

TEST(Info, ShowsWhatTheImplementationSays) {
    const OwnContext own;
    ASSERT_TRUE(own.ok) << "no OpenGL context in the test itself";
    ASSERT_FALSE(own.extensions.empty());
    const Shown shown = runAndRead(programPath());
    ASSERT_TRUE(shown.ran);
    EXPECT_EQ(shown.info, "Vendor: " + own.vendor + "\nRenderer: " + own.renderer + "\nVersion: " + own.version);

    EXPECT_EQ(shown.rows.size(), own.extensions.size());
    EXPECT_EQ(std::set<std::string>(shown.rows.begin(), shown.rows.end()),
              std::set<std::string>(own.extensions.begin(), own.extensions.end()));
    // Both parts are there: some WGL_ row and some GL_ row.
    EXPECT_TRUE(std::any_of(shown.rows.begin(), shown.rows.end(),
                            [](const std::string& r) { return r.rfind("WGL_", 0) == 0; }));
    EXPECT_TRUE(std::any_of(shown.rows.begin(), shown.rows.end(),
                            [](const std::string& r) { return r.rfind("GL_", 0) == 0; }));
}

TEST(Info, ListsScriptedExtensionStrings) {
    using Rows = std::multiset<std::string>;
    struct Case {
        const char* what;
        Env env;
        Rows rows;
    };
    const Case cases[] = {
        {"two and one with a trailing space",
         {{"GLDOUBLE_EXTENSIONS", "GL_x_two GL_x_one"}, {"GLDOUBLE_WGL_EXTENSIONS", "WGL_x_three "}},
         {"GL_x_one", "GL_x_two", "WGL_x_three"}},
        {"no WGL entry point",
         {{"GLDOUBLE_EXTENSIONS", "GL_x_two GL_x_one"}, {"GLDOUBLE_WGL_EXTENSIONS", "<none>"}},
         {"GL_x_one", "GL_x_two"}},
        {"doubled space", {{"GLDOUBLE_EXTENSIONS", "GL_a  GL_b"}, {"GLDOUBLE_WGL_EXTENSIONS", "<none>"}},
         {"GL_a", "", "GL_b"}},
        {"null extension string", {{"GLDOUBLE_EXTENSIONS", "<null>"}, {"GLDOUBLE_WGL_EXTENSIONS", "<none>"}}, {}},
        {"null WGL answer", {{"GLDOUBLE_EXTENSIONS", "GL_a"}, {"GLDOUBLE_WGL_EXTENSIONS", "<null>"}}, {"GL_a"}},
        {"empty OpenGL string", {{"GLDOUBLE_EXTENSIONS", "<empty>"}, {"GLDOUBLE_WGL_EXTENSIONS", "WGL_a"}}, {"WGL_a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Shown shown = runAndRead(programPath(), withDouble(), c.env);
        EXPECT_TRUE(shown.ran);
        EXPECT_EQ(Rows(shown.rows.begin(), shown.rows.end()), c.rows);
        // The list keeps its own sorted order.
        EXPECT_TRUE(std::is_sorted(shown.rows.begin(), shown.rows.end(), [](const std::string& a, const std::string& b) {
            return _stricmp(a.c_str(), b.c_str()) < 0;
        }));
    }
}

TEST(Info, NullStringsShowEmpty) {
    const Shown shown = runAndRead(programPath(), withDouble(), {{"GLDOUBLE_VENDOR", "<null>"},
                                                         {"GLDOUBLE_RENDERER", "<null>"},
                                                         {"GLDOUBLE_VERSION", "<null>"}});
    EXPECT_TRUE(shown.ran);
    EXPECT_EQ(shown.info, "Vendor: \nRenderer: \nVersion: ");
    const Shown scripted = runAndRead(programPath(), withDouble(), {{"GLDOUBLE_VENDOR", "V"}, {"GLDOUBLE_RENDERER", "R"}});
    EXPECT_EQ(scripted.info, "Vendor: V\nRenderer: R\nVersion: 1.1 Double");
}

// A copy made while the implementation answers no strings at all still works,
// with the labelled lines left empty.
TEST(Info, CopyingWithNullStringsLeavesTheirLinesEmpty) {
    App app;
    ASSERT_TRUE(app.start(programPath(),
                          {{"GLDOUBLE_VENDOR", "<null>"}, {"GLDOUBLE_RENDERER", "<null>"}, {"GLDOUBLE_VERSION", "<null>"},
                           {"GLDOUBLE_EXTENSIONS", "<null>"}, {"GLDOUBLE_WGL_EXTENSIONS", "<null>"}},
                          withDouble()));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog, WM_COMMAND, 40001, 0);  // Copy report
    const std::string report = clipboardChangedSince(sequence);
    EXPECT_NE(report.find("\r\nVendor: \r\nRenderer: \r\nVersion: \r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("\r\nExtensions: 0\r\nDrivers (* selected):\r\n"), std::string::npos) << report;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

namespace {

std::string labelled(const std::string& report, const std::string& label) {
    const size_t at = report.find("\r\n" + label + ": ");
    if (at == std::string::npos) return "<missing>";
    const size_t from = at + label.size() + 4;
    return report.substr(from, report.find("\r\n", from) - from);
}

std::vector<std::string> extensionLines(const std::string& report) {
    std::vector<std::string> lines;
    size_t at = report.find("\r\nExtensions: ");
    if (at == std::string::npos) return lines;
    at = report.find("\r\n", at + 2) + 2;
    while (report.compare(at, 2, "  ") == 0) {
        const size_t end = report.find("\r\n", at);
        lines.push_back(report.substr(at + 2, end - at - 2));
        at = end + 2;
    }
    return lines;
}

class Report : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.start(programPath()));
        dialog_ = app_.waitForDialog();
        ASSERT_NE(dialog_, nullptr);
        // Keys go where a user's would: to the active dialog's focused control.
        bringToFront(dialog_);
    }
    void TearDown() override {
        if (dialog_ != nullptr) PostMessageW(dialog_, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        EXPECT_TRUE(app_.waitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
    }
    App app_;
    HWND dialog_ = nullptr;
};

}  // namespace

TEST_F(Report, CopiedByKeysAndByTheContextMenu) {
    const OwnContext own;
    ASSERT_TRUE(own.ok);
    const std::vector<std::string> rows = listRows(GetDlgItem(dialog_, kExtensionListId));

    setClipboardText("before");
    DWORD sequence = GetClipboardSequenceNumber();
    press({VK_CONTROL, 'C'});
    const std::string report = clipboardChangedSince(sequence);
    EXPECT_EQ(labelled(report, "Vendor"), own.vendor);
    EXPECT_EQ(labelled(report, "Renderer"), own.renderer);
    EXPECT_EQ(labelled(report, "Version"), own.version);
    EXPECT_EQ(labelled(report, "Extensions"), std::to_string(rows.size()));
    EXPECT_EQ(extensionLines(report), rows);
    EXPECT_EQ(report.rfind("Program: OpenGL Renderer infos 1.0.0.11\r\n", 0), 0u) << report.substr(0, 200);
    EXPECT_NE(labelled(report, "Pixel format"), "none");
    EXPECT_NE(labelled(report, "Implementation"), "unknown");
    // A Unicode program pastes the same report, not the previous owner's text.
    EXPECT_TRUE(clipboardUnicode() == widen(report)) << "the clipboard's Unicode text is not the report";

    setClipboardText("before");
    sequence = GetClipboardSequenceNumber();
    press({VK_CONTROL, VK_INSERT});
    EXPECT_EQ(clipboardChangedSince(sequence), report);

    // The keyboard's context-menu chord, and the right button over the list,
    // open the menu; its one item copies.
    RECT list;
    GetWindowRect(GetDlgItem(dialog_, kExtensionListId), &list);
    const auto rightClick = [&list]() { clickAt(POINT{(list.left + list.right) / 2, (list.top + list.bottom) / 2}, true); };
    const std::function<void()> openers[] = {[] { press({VK_SHIFT, VK_F10}); }, rightClick};
    for (const auto& open : openers) {
        setClipboardText("before");
        sequence = GetClipboardSequenceNumber();
        open();
        HWND menu = nullptr;
        for (DWORD start = GetTickCount(); menu == nullptr && GetTickCount() - start < 5000; Sleep(20)) {
            HWND popup = FindWindowA("#32768", nullptr);
            if (popup != nullptr && IsWindowVisible(popup)) menu = popup;
        }
        ASSERT_NE(menu, nullptr) << "no context menu";
        press({VK_DOWN});
        press({VK_RETURN});
        EXPECT_EQ(clipboardChangedSince(sequence), report);
    }
}

TEST_F(Report, ABusyClipboardIsLeftAlone) {
    setClipboardText("held");
    ASSERT_TRUE(OpenClipboard(nullptr));
    press({VK_CONTROL, 'C'});
    Sleep(300);
    send(dialog_, WM_NULL);
    CloseClipboard();
    EXPECT_EQ(clipboardText(), "held");
}
