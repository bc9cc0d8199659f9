#pragma once
// A test fixture: the program's dialog, up and in front, where keys go; closed
// after the test, which the program must end with exit code 0.
#include <gtest/gtest.h>

#include "harness.h"

namespace harness {

class RunningDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.start(programPath()));
        dialog_ = app_.waitForDialog();
        ASSERT_NE(dialog_, nullptr);
        // Keys go where a user's would: to the active dialog's focused control.
        inFront_ = bringToFront(dialog_);
    }
    void TearDown() override {
        if (dialog_ != nullptr) PostMessageW(dialog_, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        EXPECT_TRUE(app_.waitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
    }

    App app_;
    HWND dialog_ = nullptr;
    bool inFront_ = false;
};

}  // namespace harness
