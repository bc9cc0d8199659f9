#pragma once

// The viewport and perspective that the scene is drawn with.
struct Projection {
    int width;
    int height;
    double aspect;
};

// width or height -1 stand for the size stored at attach; aspect -1.0 stands for
// width / height, or width alone when the height is 0.
Projection resolveProjection(int width, int height, double aspect, int storedWidth, int storedHeight);

// The frustum whose matrix is that of a perspective with this vertical field of
// view and width-to-height aspect.
struct PerspectiveFrustum {
    double left, right, bottom, top, nearPlane, farPlane;
};
PerspectiveFrustum perspectiveFrustum(double fovyDegrees, double aspect, double nearPlane, double farPlane);
// The scene's own: a 45-degree vertical field of view from 1 to 10.
PerspectiveFrustum sceneFrustum(double aspect);

// Viewport, 45-degree perspective from 1 to 10, identity model-view, back buffer,
// lighting and depth test. Needs a current context.
void applyProjection(const Projection& projection);
