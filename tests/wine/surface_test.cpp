// The rendering surface seen through the OpenGL double: what the program asks
// for, its fallbacks, its release, and the start-up failure path.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "harness.h"

using namespace harness;

namespace {

std::vector<std::string> readLines(const std::string& unixPath) {
    std::ifstream in(dosPath(unixPath));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int countOf(const std::vector<std::string>& lines, const std::string& line) {
    int n = 0;
    for (const auto& l : lines) n += l == line ? 1 : 0;
    return n;
}

using DialogAction = void (*)(HWND dialog);

// Runs the program on the double until its dialog shows and its first frame is
// presented, does `act` to it, closes it (with OK unless `close` is given) and
// returns the double's log.
std::vector<std::string> runLogged(Env env, RECT* sceneClient = nullptr, DialogAction act = nullptr,
                                   DialogAction close = nullptr) {
    const std::string log = unixTempPath("gl.log");
    env.emplace_back("GLDOUBLE_LOG", dosPath(log));
    App app;
    EXPECT_TRUE(app.start(programPath(), env, withDouble()));
    HWND dialog = app.waitForDialog();
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) {
        // Let the first frame be presented before closing.
        const DWORD start = GetTickCount();
        while (countOf(readLines(log), "SwapBuffers") == 0 && GetTickCount() - start < 5000) Sleep(20);
        if (sceneClient != nullptr) GetClientRect(GetDlgItem(dialog, kSceneControlId), sceneClient);
        if (act != nullptr) act(dialog);
        if (close != nullptr) {
            close(dialog);
        } else {
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    }
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
    std::vector<std::string> lines = readLines(log);
    DeleteFileA(dosPath(log).c_str());
    return lines;
}

}  // namespace

TEST(Surface, AsksForTheFormatAndProjectionAndReleases) {
    RECT client = {};
    const auto log = runLogged({}, &client);
    EXPECT_EQ(countOf(log,
                      "ChoosePixelFormat size=40 version=1 flags=80000025 type=0 color=32 r=8/16 g=8/8 b=8/0 "
                      "a=0/0 accum=64/16/16/16/0 depth=32 stencil=8 aux=0 layer=0"),
              1);
    EXPECT_EQ(countOf(log, "SetPixelFormat 7 color=32"), 1);
    EXPECT_EQ(countOf(log, "CreateContext"), 1);

    // The viewport covers the control's client area; the perspective is 45 degrees, w / h, 1 to 10.
    std::ostringstream viewport;
    viewport << "Viewport 0 0 " << client.right << " " << client.bottom;
    EXPECT_GE(countOf(log, viewport.str()), 1);
    const double f = 1.0 / std::tan(22.5 * 3.14159265358979323846 / 180.0);
    const double aspect = static_cast<double>(client.right) / client.bottom;
    char perspective[160];
    snprintf(perspective, sizeof perspective, "Projection %.6f %.6f %.6f %.6f", f / aspect, f, -11.0 / 9.0,
             -20.0 / 9.0);
    EXPECT_GE(countOf(log, perspective), 1) << "expected " << perspective;

    // Released on OK and again on destruction: the context is deleted exactly once.
    EXPECT_GE(countOf(log, "MakeCurrent none"), 1);
    EXPECT_EQ(countOf(log, "DeleteContext"), 1);
    EXPECT_GE(countOf(log, "SwapBuffers"), 1);
}

TEST(Surface, RestoredSizeSetsViewportAndAspectFromWidthThenHeight) {
    const auto log = runLogged({}, nullptr, [](HWND dialog) {
        send(GetDlgItem(dialog, kSceneControlId), WM_SIZE, SIZE_RESTORED, MAKELPARAM(61, 37));
    });
    EXPECT_EQ(countOf(log, "Viewport 0 0 61 37"), 1);
    const double f = 1.0 / std::tan(22.5 * 3.14159265358979323846 / 180.0);
    char perspective[160];
    snprintf(perspective, sizeof perspective, "Projection %.6f %.6f %.6f %.6f", f * 37.0 / 61.0, f, -11.0 / 9.0,
             -20.0 / 9.0);
    EXPECT_EQ(countOf(log, perspective), 1) << "expected " << perspective;
}

// OK, Escape and command 105 let the context go while the dialog is still up,
// not only when the window is destroyed after it.
TEST(Surface, ClosingReleasesTheContextBeforeTheDialogGoes) {
    const DialogAction closes[] = {
        [](HWND d) { PostMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); },
        [](HWND d) { PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0); },
        [](HWND d) { PostMessageW(d, WM_COMMAND, 105, 0); },
    };
    for (DialogAction close : closes) {
        const auto log = runLogged({}, nullptr, nullptr, close);
        std::string first;
        for (const auto& line : log) {
            if (first.empty() && line.rfind("Released while", 0) == 0) first = line;
        }
        EXPECT_EQ(first, "Released while the dialog is shown");
    }
}

TEST(Surface, FallsBackToFormatOne) {
    const auto log = runLogged({{"GLDOUBLE_CHOOSE", "fail"}});
    EXPECT_EQ(countOf(log, "DescribePixelFormat 1"), 1);
    // The request now holds format 1's description (24-bit colour in the double).
    EXPECT_EQ(countOf(log, "SetPixelFormat 1 color=24"), 1);

    // Format 1 cannot be described either: no format is set, the context still decides.
    const auto undescribed = runLogged({{"GLDOUBLE_CHOOSE", "fail"}, {"GLDOUBLE_DESCRIBE", "fail"}});
    EXPECT_EQ(countOf(undescribed, "DescribePixelFormat 1"), 1);
    for (const auto& line : undescribed) {
        EXPECT_EQ(line.rfind("SetPixelFormat", 0), std::string::npos) << line;
    }
    EXPECT_EQ(countOf(undescribed, "CreateContext"), 1);
}

TEST(Surface, FailedStartShowsTheErrorAndExitsWithOne) {
    for (const char* failing : {"GLDOUBLE_CREATE", "GLDOUBLE_MAKECURRENT"}) {
        SCOPED_TRACE(failing);
            App app;
        ASSERT_TRUE(app.start(programPath(), {{failing, "fail"}}, withDouble()));
        HWND box = app.waitForWindow("OpenGL Error");
        ASSERT_NE(box, nullptr) << "no error box";
        EXPECT_EQ(boxText(box), "OpenGL Error : Initialization Failed");
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);

        // The dialog exists but was never shown, and nothing after the binding ran.
        HWND dialog = findTopWindow(app.pid(), "OpenGL Renderer infos");
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(IsWindowVisible(dialog));
        EXPECT_EQ(windowText(GetDlgItem(dialog, kInfoTextId)), "Infos:");
        EXPECT_EQ(send(GetDlgItem(dialog, kExtensionListId), LB_GETCOUNT, 0, 0), 0);
        // The driver list was filled before the binding.
        EXPECT_GE(send(GetDlgItem(dialog, kDriverListId), LB_GETCOUNT, 0, 0), 1);

        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        ASSERT_TRUE(app.waitForExit(15000, &code));
        EXPECT_EQ(code, 1u);
    }
}
