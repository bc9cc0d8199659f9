#include <gtest/gtest.h>

#include "render/scene_state.h"

TEST(Drag, PointerCoordinatesAreSigned16Bit) {
    EXPECT_EQ(pointerFromLParam(0x00140020u).x, 0x20);
    EXPECT_EQ(pointerFromLParam(0x00140020u).y, 0x14);
    EXPECT_EQ(pointerFromLParam(0xFFFEFFFDu).x, -3);  // left of and above the control
    EXPECT_EQ(pointerFromLParam(0xFFFEFFFDu).y, -2);
    EXPECT_EQ(pointerFromLParam(0x80007FFFu).x, 32767);
    EXPECT_EQ(pointerFromLParam(0x80007FFFu).y, -32768);
}

TEST(Drag, StepsTurnByHalfTheirPixelsCarryingTheOddOne) {
    struct Case {
        const char* what;
        int fromX, fromY, toX, toY;
        double wantX, wantY;  // angles after one step from 45, 45
    };
    // Odd steps turn by their half rounded down; the half degree left over is
    // carried to the next step.
    const Case cases[] = {
        {"one pixel right", 10, 10, 11, 10, 45.0, 46.0},
        {"one pixel up", 10, 10, 10, 9, 45.0, 45.0},
        {"three right adds two", 10, 10, 13, 10, 45.0, 47.0},
        {"three left subtracts one", 10, 10, 7, 10, 45.0, 44.0},
        {"ten up subtracts five", 10, 20, 10, 10, 40.0, 45.0},
        {"ten down adds five", 10, 10, 10, 20, 50.0, 45.0},
        {"across the top-left edge", 2, 2, -5, -7, 41.0, 42.0},  // dx 7 -> 3, dy 9 -> 4
        {"from negative to positive", -9, -9, 0, 0, 50.0, 50.0},
    };
    for (const Case& c : cases) {
        SceneState scene;
        beginDrag(scene, c.fromX, c.fromY);
        EXPECT_TRUE(dragTo(scene, c.toX, c.toY)) << c.what;
        EXPECT_DOUBLE_EQ(scene.angleX, c.wantX) << c.what;
        EXPECT_DOUBLE_EQ(scene.angleY, c.wantY) << c.what;
        EXPECT_EQ(scene.lastX, c.toX) << c.what;
        EXPECT_EQ(scene.lastY, c.toY) << c.what;
    }
}

TEST(Drag, SlowDragsTurnAsFarAsFastOnes) {
    for (int n : {1, 2, 7, 180, 181}) {
        for (int direction : {-1, 1}) {
            SCOPED_TRACE(::testing::Message() << n << " pixels, direction " << direction);
            SceneState slow, fast;
            beginDrag(slow, 0, 0);
            beginDrag(fast, 0, 0);
            for (int i = 1; i <= n; ++i) dragTo(slow, direction * i, direction * i);
            dragTo(fast, direction * n, direction * n);
            EXPECT_DOUBLE_EQ(slow.angleY, fast.angleY);
            EXPECT_DOUBLE_EQ(slow.angleX, fast.angleX);
            EXPECT_NEAR(slow.angleY, 45.0 + direction * n / 2.0, 0.5);
            EXPECT_NEAR(slow.angleX, 45.0 + direction * n / 2.0, 0.5);
        }
    }
    // Odd steps there and back, and a one-pixel wiggle, end where they began.
    SceneState scene;
    beginDrag(scene, 0, 0);
    for (int x : {3, 0, -5, 0, 1, 0, 1, 0}) dragTo(scene, x, -x);
    EXPECT_DOUBLE_EQ(scene.angleY, 45.0);
    EXPECT_DOUBLE_EQ(scene.angleX, 45.0);
    // Even steps turn exactly half their size, whatever is carried.
    dragTo(scene, 1, 0);
    const double before = scene.angleY;
    dragTo(scene, -1, 0);
    EXPECT_DOUBLE_EQ(scene.angleY, before - 1.0);

    // A new press starts without the last drag's odd pixel.
    SceneState pressed;
    beginDrag(pressed, 0, 0);
    dragTo(pressed, 1, 0);
    endDrag(pressed);
    beginDrag(pressed, 1, 0);
    dragTo(pressed, 2, 0);
    EXPECT_DOUBLE_EQ(pressed.angleY, 47.0);
}

TEST(Drag, OnlyABeginDragTurnsAndAngleGrowsUnbounded) {
    SceneState scene;
    EXPECT_FALSE(dragTo(scene, 100, 100));  // a plain move
    EXPECT_DOUBLE_EQ(scene.angleX, 45.0);
    EXPECT_DOUBLE_EQ(scene.angleY, 45.0);
    endDrag(scene);  // a release without a press
    EXPECT_EQ(scene.dragging, 0);

    beginDrag(scene, 50, 0);
    for (int i = 0; i < 100; ++i) dragTo(scene, i % 2 == 0 ? 1050 : 50, 0);  // 1000 pixels back and forth
    EXPECT_DOUBLE_EQ(scene.angleY, 45.0);
    dragTo(scene, 50 + 7200, 0);
    EXPECT_DOUBLE_EQ(scene.angleY, 45.0 + 3600.0);  // never reduced to a range

    endDrag(scene);
    EXPECT_FALSE(dragTo(scene, 0, 0));
    EXPECT_DOUBLE_EQ(scene.angleY, 45.0 + 3600.0);
}

// Each key turns the cube as far as a drag of 10 pixels that way; Home puts it
// back; a drag goes on from wherever keys left it.
TEST(Drag, KeysTurnAsFarAsTenPixelsOfDrag) {
    const struct {
        SceneKey key;
        int dx, dy;  // the drag that turns it the same
    } keys[] = {{SceneKey::Left, -10, 0}, {SceneKey::Right, 10, 0}, {SceneKey::Up, 0, -10}, {SceneKey::Down, 0, 10}};
    for (const auto& k : keys) {
        SceneState byKey, byDrag;
        turnByKey(byKey, k.key);
        beginDrag(byDrag, 100, 100);
        dragTo(byDrag, 100 + k.dx, 100 + k.dy);
        EXPECT_DOUBLE_EQ(byKey.angleX, byDrag.angleX) << static_cast<int>(k.key);
        EXPECT_DOUBLE_EQ(byKey.angleY, byDrag.angleY) << static_cast<int>(k.key);
        EXPECT_NE(byKey.angleX + byKey.angleY, 90.0) << "it turned";
    }
    SceneState scene;
    for (int i = 0; i < 9; ++i) turnByKey(scene, SceneKey::Up);
    for (int i = 0; i < 200; ++i) turnByKey(scene, SceneKey::Right);
    EXPECT_DOUBLE_EQ(scene.angleX, 0.0);
    EXPECT_DOUBLE_EQ(scene.angleY, 1045.0) << "never reduced to a range";
    beginDrag(scene, 0, 0);
    dragTo(scene, 4, 0);
    EXPECT_DOUBLE_EQ(scene.angleY, 1047.0);
    turnByKey(scene, SceneKey::Home);
    EXPECT_DOUBLE_EQ(scene.angleX, 45.0);
    EXPECT_DOUBLE_EQ(scene.angleY, 45.0);
    EXPECT_EQ(scene.dragging, 1) << "keys leave a drag as it is";
}
