#include <gtest/gtest.h>

#include "mesa_context.h"
#include "render/cube_scene.h"
#include "render/projection.h"

namespace {

constexpr int kSize = 128;

struct Rgb {
    int r, g, b;
};

class CubeFrame : public ::testing::Test {
protected:
    CubeFrame() : gl_(kSize, kSize) {}
    void SetUp() override {
        ASSERT_TRUE(gl_.current());
        applyProjection(resolveProjection(-1, -1, -1.0, kSize, kSize));
    }
    std::vector<std::uint8_t> draw(double angleX, double angleY) {
        drawScene(angleX, angleY);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return gl_.frame();
    }
    static Rgb at(const std::vector<std::uint8_t>& f, int x, int y) {
        const std::uint8_t* p = &f[(static_cast<size_t>(y) * kSize + x) * 3];
        return Rgb{p[0], p[1], p[2]};
    }
    static bool isBlack(Rgb c) { return c.r + c.g + c.b == 0; }
    // The one channel that is clearly lit, or -1.
    static int dominant(Rgb c) {
        if (c.r > 40 && c.g < 10 && c.b < 10) return 0;
        if (c.g > 40 && c.r < 10 && c.b < 10) return 1;
        if (c.b > 40 && c.r < 10 && c.g < 10) return 2;
        return -1;
    }
    MesaContext gl_;
};

}  // namespace

TEST_F(CubeFrame, FacesTheViewerSquareOnAtZero) {
    const auto f = draw(0, 0);
    const int c = kSize / 2;
    EXPECT_EQ(dominant(at(f, c, c)), 2) << "centre is not blue";
    for (int corner : {0, kSize - 1}) {
        EXPECT_TRUE(isBlack(at(f, corner, 0)));
        EXPECT_TRUE(isBlack(at(f, corner, kSize - 1)));
    }
    // A square, centred: the blue run along the middle row equals the one along the
    // middle column and starts as far from the left as from the top.
    int left = 0, top = 0, right = kSize - 1, bottom = kSize - 1;
    while (left < c && isBlack(at(f, left, c))) ++left;
    while (right > c && isBlack(at(f, right, c))) --right;
    while (top < c && isBlack(at(f, c, top))) ++top;
    while (bottom > c && isBlack(at(f, c, bottom))) --bottom;
    EXPECT_GT(left, 10);
    EXPECT_NEAR(left, kSize - 1 - right, 1);
    EXPECT_NEAR(top, kSize - 1 - bottom, 1);
    EXPECT_NEAR(right - left, bottom - top, 1);
    for (int y = top + 1; y < bottom; ++y) {
        for (int x = left + 1; x < right; ++x) ASSERT_EQ(dominant(at(f, x, y)), 2) << x << "," << y;
    }
}

TEST_F(CubeFrame, EachAxisShowsItsColour) {
    struct Case {
        double angleX, angleY;
        int colour;
    };
    const Case cases[] = {{0, 90, 0}, {0, -90, 0}, {90, 0, 1}, {-90, 0, 1}, {0, 180, 2}};
    for (const Case& k : cases) {
        const auto f = draw(k.angleX, k.angleY);
        EXPECT_EQ(dominant(at(f, kSize / 2, kSize / 2)), k.colour) << k.angleX << ", " << k.angleY;
    }
    // The start angles show all three colours.
    const auto start = draw(45, 45);
    bool seen[3] = {false, false, false};
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const int d = dominant(at(start, x, y));
            if (d >= 0) seen[d] = true;
        }
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

TEST_F(CubeFrame, LeavesTheMatrixAndUsesAnglesUnreduced) {
    GLdouble before[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    const auto base = draw(45, 45);
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthBefore, depthAfter);
    for (int i = 0; i < 16; ++i) EXPECT_DOUBLE_EQ(before[i], after[i]);

    // Whole turns draw the same picture; a turn that is not whole does not.
    const auto turned = draw(45 + 360.0 * 5, 45 - 360.0 * 3);
    int differing = 0;
    for (size_t i = 0; i < base.size(); ++i) differing += std::abs(base[i] - turned[i]) > 2 ? 1 : 0;
    EXPECT_LT(differing, 20);
    const auto other = draw(45 + 30, 45);
    differing = 0;
    for (size_t i = 0; i < base.size(); ++i) differing += std::abs(base[i] - other[i]) > 2 ? 1 : 0;
    EXPECT_GT(differing, 500);
}
