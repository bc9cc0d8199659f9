// The dialog as a person meets it: keys pressed on the keyboard with the focus
// where a click or Tab put it.
#include <gtest/gtest.h>

#include "harness.h"

using namespace harness;

namespace {

class User : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.start(programPath()));
        dialog_ = app_.waitForDialog();
        ASSERT_NE(dialog_, nullptr);
        ASSERT_TRUE(bringToFront(dialog_));
        list_ = GetDlgItem(dialog_, kExtensionListId);
        ok_ = GetDlgItem(dialog_, IDOK);
    }
    void TearDown() override {
        if (dialog_ != nullptr) PostMessageW(dialog_, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        EXPECT_TRUE(app_.waitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
    }
    App app_;
    HWND dialog_ = nullptr;
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
