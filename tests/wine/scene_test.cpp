// The cube on the real program: its frame read from the X server, turned by
// pointer messages delivered to the scene control.
#include <gtest/gtest.h>

#include "harness.h"

using namespace harness;

namespace {

enum Colour { kRed, kGreen, kBlue, kNone };

Colour dominant(const std::uint8_t* p) {
    if (p[0] > 40 && p[1] < 15 && p[2] < 15) return kRed;
    if (p[1] > 40 && p[0] < 15 && p[2] < 15) return kGreen;
    if (p[2] > 40 && p[0] < 15 && p[1] < 15) return kBlue;
    return kNone;
}

bool black(const std::uint8_t* p) { return p[0] + p[1] + p[2] == 0; }

int differingPixels(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return a.width * a.height;
    int n = 0;
    for (size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        n += (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) ? 1 : 0;
    }
    return n;
}

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y))); }

class Scene : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.start(programPath()));
        dialog_ = app_.waitForDialog();
        ASSERT_NE(dialog_, nullptr);
        scene_ = GetDlgItem(dialog_, kSceneControlId);
        RECT client;
        GetClientRect(scene_, &client);
        cx_ = client.right / 2;
        cy_ = client.bottom / 2;
        ASSERT_TRUE(waitForFrame(scene_, &start_)) << "no frame from the scene control";
    }
    void TearDown() override {
        if (dialog_ != nullptr) PostMessageW(dialog_, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        EXPECT_TRUE(app_.waitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
    }
    // A repaint that the program does on its own time, then the frame.
    Image repainted() {
        InvalidateRect(scene_, nullptr, FALSE);
        send(scene_, WM_NULL);
        Sleep(150);
        Image frame;
        EXPECT_TRUE(grabControlFrame(scene_, &frame));
        return frame;
    }
    Image frameNow() {
        Image frame;
        EXPECT_TRUE(grabControlFrame(scene_, &frame));
        return frame;
    }
    // Button down at the centre, moves 90 up and 90 left, button up: (45, 45) -> (0, 0).
    void dragToZero() {
        send(scene_, WM_LBUTTONDOWN, MK_LBUTTON, at(cx_, cy_));
        send(scene_, WM_MOUSEMOVE, MK_LBUTTON, at(cx_, cy_ - 90));
        send(scene_, WM_MOUSEMOVE, MK_LBUTTON, at(cx_ - 90, cy_ - 90));
        send(scene_, WM_LBUTTONUP, 0, at(cx_ - 90, cy_ - 90));
    }
    void expectSquareOn(const Image& f) {
        EXPECT_EQ(dominant(f.at(f.width / 2, f.height / 2)), kBlue) << "centre is not blue";
        EXPECT_TRUE(black(f.at(0, 0)));
        EXPECT_TRUE(black(f.at(f.width - 1, 0)));
        EXPECT_TRUE(black(f.at(0, f.height - 1)));
        EXPECT_TRUE(black(f.at(f.width - 1, f.height - 1)));
    }

    App app_;
    HWND dialog_ = nullptr;
    HWND scene_ = nullptr;
    int cx_ = 0, cy_ = 0;
    Image start_;
};

}  // namespace

TEST_F(Scene, StartsWithThreeColouredFaces) {
    bool seen[3] = {false, false, false};
    for (int y = 0; y < start_.height; ++y) {
        for (int x = 0; x < start_.width; ++x) {
            const Colour c = dominant(start_.at(x, y));
            if (c != kNone) seen[c] = true;
        }
    }
    EXPECT_TRUE(seen[kRed]);
    EXPECT_TRUE(seen[kGreen]);
    EXPECT_TRUE(seen[kBlue]);
    EXPECT_TRUE(black(start_.at(0, 0)));
    // The frame fills the control's client area.
    RECT client;
    GetClientRect(scene_, &client);
    EXPECT_EQ(start_.width, client.right);
    EXPECT_EQ(start_.height, client.bottom);
}

TEST_F(Scene, DragTurnsTheCubeAndPlainMovesDoNot) {
    dragToZero();
    const Image turned = frameNow();  // each step repainted before its message returned
    expectSquareOn(turned);

    send(scene_, WM_MOUSEMOVE, 0, at(cx_ + 60, cy_ + 60));  // no button
    EXPECT_LT(differingPixels(repainted(), turned), 10);

    // A minimise-type size message changes nothing; a restored size does.
    send(scene_, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(10, 10));
    EXPECT_LT(differingPixels(repainted(), turned), 10);
    send(scene_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cx_, cy_ * 2));
    EXPECT_GT(differingPixels(repainted(), turned), 100);
}

// The pointer is the control's while the button is down, and no longer after.
TEST_F(Scene, CapturesThePointerOnlyWhileTheButtonIsDown) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    const DWORD threadId = GetWindowThreadProcessId(scene_, nullptr);
    send(scene_, WM_LBUTTONDOWN, MK_LBUTTON, at(cx_, cy_));
    ASSERT_TRUE(GetGUIThreadInfo(threadId, &thread));
    EXPECT_EQ(thread.hwndCapture, scene_);
    send(scene_, WM_LBUTTONUP, 0, at(cx_, cy_));
    ASSERT_TRUE(GetGUIThreadInfo(threadId, &thread));
    EXPECT_EQ(thread.hwndCapture, nullptr);
}

TEST_F(Scene, LostCaptureEndsTheDrag) {
    send(scene_, WM_LBUTTONDOWN, MK_LBUTTON, at(cx_, cy_));
    send(scene_, WM_MOUSEMOVE, MK_LBUTTON, at(cx_, cy_));
    // Cancel mode makes the control give up the pointer, as when another
    // window takes it; the release never arrives.
    send(scene_, WM_CANCELMODE);
    send(scene_, WM_MOUSEMOVE, 0, at(cx_ - 90, cy_ - 90));
    EXPECT_LT(differingPixels(repainted(), start_), 10);
}

// However the drag comes: a slow one of one-pixel steps turns as far as a fast
// one, and a drag begun by a quick second press (a double-click) turns too.
TEST_F(Scene, SlowDragsAndDoubleClickDragsTurnTheCube) {
    dragToZero();
    send(scene_, WM_LBUTTONDOWN, MK_LBUTTON, at(cx_, cy_));
    for (int i = 1; i <= 180; ++i) send(scene_, WM_MOUSEMOVE, MK_LBUTTON, at(cx_ - i, cy_));
    send(scene_, WM_LBUTTONUP, 0, at(cx_ - 180, cy_));
    const Image quarter = frameNow();
    EXPECT_EQ(dominant(quarter.at(quarter.width / 2, quarter.height / 2)), kRed) << "no red face in front";

    send(scene_, WM_LBUTTONDBLCLK, MK_LBUTTON, at(cx_, cy_));
    send(scene_, WM_MOUSEMOVE, MK_LBUTTON, at(cx_ + 180, cy_));
    send(scene_, WM_LBUTTONUP, 0, at(cx_ + 180, cy_));
    expectSquareOn(frameNow());
}
