#include <gtest/gtest.h>

#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "mesa_context.h"
#include "render/projection.h"

TEST(Projection, ResolvesStoredSizeAndAspect) {
    struct Case {
        int w, h;
        double aspect;
        int storedW, storedH;
        int wantW, wantH;
        double wantAspect;
    };
    const Case cases[] = {
        {-1, -1, -1.0, 100, 50, 100, 50, 2.0},  // everything from the size stored at attach
        {-1, 40, -1.0, 100, 50, 100, 40, 2.5},  // only the width stored
        {30, -1, -1.0, 100, 50, 30, 50, 0.6},
        {120, 0, -1.0, 100, 50, 120, 0, 120.0},  // no division by zero: aspect is the width
        {-1, -1, -1.0, 75, 0, 75, 0, 75.0},
        {100, 50, 1.5, 1, 1, 100, 50, 1.5},     // an explicit aspect is kept
        {100, 50, 0.0, 1, 1, 100, 50, 0.0},
    };
    for (const Case& c : cases) {
        const Projection p = resolveProjection(c.w, c.h, c.aspect, c.storedW, c.storedH);
        EXPECT_EQ(p.width, c.wantW);
        EXPECT_EQ(p.height, c.wantH);
        EXPECT_DOUBLE_EQ(p.aspect, c.wantAspect) << c.w << "x" << c.h;
    }
}

TEST(Projection, SetsViewportPerspectiveAndDrawingState) {
    MesaContext gl(100, 50);
    ASSERT_TRUE(gl.current());
    glMatrixMode(GL_MODELVIEW);
    glTranslated(1.0, 2.0, 3.0);  // stale state that must be reset
    applyProjection(resolveProjection(-1, -1, -1.0, 100, 50));

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 100);
    EXPECT_EQ(viewport[3], 50);

    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(projection[0], f / 2.0, 1e-6);  // aspect 2
    EXPECT_NEAR(projection[5], f, 1e-6);        // 45 degrees vertically
    EXPECT_NEAR(projection[10], -11.0 / 9.0, 1e-6);  // near 1, far 10
    EXPECT_NEAR(projection[14], -20.0 / 9.0, 1e-6);
    EXPECT_NEAR(projection[11], -1.0, 1e-9);

    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) EXPECT_DOUBLE_EQ(modelview[i], i % 5 == 0 ? 1.0 : 0.0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The frustum is the matrix GLU's perspective makes, within float rounding.
// A control resized (another DPI, another monitor): the viewport is the new
// client area and the aspect its own, whatever size was stored at attach.
TEST(Projection, FollowsTheControlsNewSize) {
    MesaContext gl(300, 300);
    ASSERT_TRUE(gl.current());
    const struct {
        int w, h;
        double aspect;
    } sizes[] = {{150, 142, 150.0 / 142}, {225, 213, 225.0 / 213}, {300, 284, 300.0 / 284}, {300, 0, 300.0}};
    for (const auto& s : sizes) {
        applyProjection(resolveProjection(s.w, s.h, -1.0, 100, 50));
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], s.w);
        EXPECT_EQ(viewport[3], s.h);
        GLdouble projection[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        EXPECT_NEAR(projection[5] / projection[0] / s.aspect, 1.0, 1e-6) << s.w << "x" << s.h;
    }
}

TEST(Projection, FrustumIsGlusPerspective) {
    MesaContext gl(4, 4);
    ASSERT_TRUE(gl.current());
    glMatrixMode(GL_PROJECTION);
    for (double aspect : {2.0, 0.5, 1.0, 75.0 / 71.0, 0.01, 120.0}) {
        SCOPED_TRACE(aspect);
        GLdouble expected[16], actual[16];
        glLoadIdentity();
        gluPerspective(45.0, aspect, 1.0, 10.0);
        glGetDoublev(GL_PROJECTION_MATRIX, expected);
        glLoadIdentity();
        const PerspectiveFrustum f = perspectiveFrustum(45.0, aspect, 1.0, 10.0);
        glFrustum(f.left, f.right, f.bottom, f.top, f.nearPlane, f.farPlane);
        glGetDoublev(GL_PROJECTION_MATRIX, actual);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-6 * std::max(1.0, std::fabs(expected[i]))) << i;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
