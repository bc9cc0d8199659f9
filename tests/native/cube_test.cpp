#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "mesa_context.h"
#include "render/cube_scene.h"
#include "render/frame_check.h"
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

// The shade says which way each face points and where the light is: ambient
// 0.3 of the face's colour, plus 0.7 times the cosine between the face's eye
// normal and the light, which starts at (1, 1, 1) and turns about Y by
// -3 x angleX. A face turned the wrong way, a normal pointing inward or the
// light turning the other way changes it by far more than the few levels allowed.
TEST_F(CubeFrame, ShadesTheVisibleFacesByTheTurningLight) {
    const double s = 1.0 / std::sqrt(3.0);
    struct Case {
        double angleX, angleY;
        int x, y;            // a pixel on the face
        int colour;          // its channel
        double normal[3];    // its normal in eye space
        double light[3];     // the light's direction in eye space
    };
    const int c = kSize / 2;
    const Case cases[] = {
        {0, 90, c, c, 0, {0, 0, 1}, {s, s, s}},          // the -X face
        {0, -90, c, c, 0, {0, 0, 1}, {s, s, s}},         // the +X face
        {90, 90, c, c, 1, {0, 0, 1}, {s, s, -s}},        // +Y, the light behind it
        {-90, 0, c, c, 1, {0, 0, 1}, {-s, s, s}},        // -Y
        {0, 180, c, c, 2, {0, 0, 1}, {s, s, s}},         // -Z
        {30, 0, c, c + 8, 2, {0, -0.5, 0.8660254}, {-s, s, s}},  // +Z, tilted back
        {30, 0, c, c - 22, 1, {0, 0.8660254, 0.5}, {-s, s, s}},  // +Y on top
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(::testing::Message() << k.angleX << ", " << k.angleY << " at " << k.x << "," << k.y);
        const double cosine = k.normal[0] * k.light[0] + k.normal[1] * k.light[1] + k.normal[2] * k.light[2];
        const double expected = 255.0 * (0.3 + 0.7 * std::max(0.0, cosine));
        const Rgb got = at(draw(k.angleX, k.angleY), k.x, k.y);
        const int channels[3] = {got.r, got.g, got.b};
        EXPECT_EQ(dominant(got), k.colour);
        EXPECT_NEAR(channels[k.colour], expected, 4.0);
    }
}

// The rendering test's prediction, held against frames Mesa really draws:
// every sample reads as predicted, and the face map agrees with the pixels.
TEST_F(CubeFrame, ReadsBackWhereThePredictionSays) {
    const double angles[][2] = {{45, 45}, {0, 0}, {30, -60}, {200, 15}, {90, 0}, {-135, 400}};
    for (const auto& a : angles) {
        SCOPED_TRACE(std::to_string(a[0]) + "/" + std::to_string(a[1]));
        const FrameView view{a[0], a[1], kSize, kSize};
        const auto f = draw(a[0], a[1]);
        std::vector<FrameSample> samples = samplePoints(view);
        int faces = 0;
        for (FrameSample& s : samples) {
            const Rgb c = at(f, s.x, kSize - 1 - s.y);  // the frame is top-down, GL's rows bottom-up
            s.rgb[0] = static_cast<std::uint8_t>(c.r);
            s.rgb[1] = static_cast<std::uint8_t>(c.g);
            s.rgb[2] = static_cast<std::uint8_t>(c.b);
            faces += s.face >= 0 ? 1 : 0;
        }
        EXPECT_GE(faces, 1);
        EXPECT_GT(samples.size(), static_cast<size_t>(faces)) << "no background sample";
        EXPECT_EQ(judgeFrame(samples).kind, FrameJudgement::Kind::Passed) << judgeFrame(samples).detail;
        int agree = 0;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const int face = faceAt(view, x, y);
                const Rgb c = at(f, x, kSize - 1 - y);
                agree += face < 0 ? isBlack(c) : dominant(c) == faceChannel(face);
            }
        }
        EXPECT_GT(agree, kSize * kSize * 97 / 100);

        // What a broken implementation shows: black, or red and blue swapped.
        std::vector<FrameSample> black = samples, swapped = samples;
        for (FrameSample& s : black) s.rgb[0] = s.rgb[1] = s.rgb[2] = 0;
        for (FrameSample& s : swapped) std::swap(s.rgb[0], s.rgb[2]);
        EXPECT_EQ(judgeFrame(black).kind, FrameJudgement::Kind::NothingDrawn);
        EXPECT_EQ(judgeFrame(black).detail, "nothing was drawn: the frame read back black");
        const bool redOrBlue = std::any_of(samples.begin(), samples.end(),
                                           [](const FrameSample& s) { return s.face >= 0 && faceChannel(s.face) != 1; });
        EXPECT_EQ(judgeFrame(swapped).kind, redOrBlue ? FrameJudgement::Kind::Wrong : FrameJudgement::Kind::Passed);
    }
}

// The prediction holds for views of every shape, at angles that put faces
// near the edges and corners: wide, tall and odd-sized frames, drawn by Mesa.
TEST(CubeFrameShapes, ThePredictionHoldsForEveryShapeOfView) {
    const int shapes[][2] = {{200, 60}, {60, 200}, {137, 91}, {33, 250}};
    const double angles[][2] = {{45, 45}, {10, 170}, {-60, 25}, {89, 1}, {-135, 400}};
    for (const auto& shape : shapes) {
        MesaContext gl(shape[0], shape[1]);
        ASSERT_TRUE(gl.current());
        applyProjection(resolveProjection(-1, -1, -1.0, shape[0], shape[1]));
        for (const auto& a : angles) {
            SCOPED_TRACE(std::to_string(shape[0]) + "x" + std::to_string(shape[1]) + " at " + std::to_string(a[0]) + "/" +
                         std::to_string(a[1]));
            drawScene(a[0], a[1]);
            const std::vector<std::uint8_t> f = gl.frame();
            const auto pixel = [&](int x, int y) { return &f[(static_cast<size_t>(shape[1] - 1 - y) * shape[0] + x) * 3]; };
            const FrameView view{a[0], a[1], shape[0], shape[1]};
            std::vector<FrameSample> samples = samplePoints(view);
            bool background = false;
            for (FrameSample& s : samples) {
                ASSERT_TRUE(s.x >= 0 && s.x < shape[0] && s.y >= 0 && s.y < shape[1]) << s.x << "," << s.y;
                std::copy(pixel(s.x, s.y), pixel(s.x, s.y) + 3, s.rgb);
                background = background || s.face < 0;
            }
            EXPECT_TRUE(background) << "no background sample";
            EXPECT_EQ(judgeFrame(samples).kind, FrameJudgement::Kind::Passed) << judgeFrame(samples).detail;
            // A driver that rounds its edges a pixel otherwise still passes.
            for (const auto& shift : {std::array<int, 2>{1, 1}, std::array<int, 2>{-1, -1}, std::array<int, 2>{1, -1}}) {
                std::vector<FrameSample> moved = samples;
                for (FrameSample& s : moved) {
                    const int x = std::clamp(s.x + shift[0], 0, shape[0] - 1), y = std::clamp(s.y + shift[1], 0, shape[1] - 1);
                    std::copy(pixel(x, y), pixel(x, y) + 3, s.rgb);
                }
                EXPECT_EQ(judgeFrame(moved).kind, FrameJudgement::Kind::Passed) << "off by " << shift[0] << "," << shift[1];
            }
            int agree = 0;
            for (int y = 0; y < shape[1]; ++y) {
                for (int x = 0; x < shape[0]; ++x) {
                    const std::uint8_t* c = pixel(x, y);
                    const int face = faceAt(view, x, y);
                    const int lit = c[0] > 40 && c[1] < 10 && c[2] < 10 ? 0 : c[1] > 40 && c[0] < 10 && c[2] < 10 ? 1
                                    : c[2] > 40 && c[0] < 10 && c[1] < 10 ? 2 : -1;
                    agree += face < 0 ? c[0] + c[1] + c[2] == 0 : lit == faceChannel(face);
                }
            }
            EXPECT_GT(agree, shape[0] * shape[1] * 96 / 100);
        }
    }
}
