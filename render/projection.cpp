#include "render/projection.h"

#include <cmath>

#include "render/gl_api.h"

Projection resolveProjection(int width, int height, double aspect, int storedWidth, int storedHeight) {
    Projection p{width == -1 ? storedWidth : width, height == -1 ? storedHeight : height, aspect};
    if (aspect == -1.0) {
        p.aspect = p.height == 0 ? static_cast<double>(p.width)
                                 : static_cast<double>(p.width) / static_cast<double>(p.height);
    }
    return p;
}

PerspectiveFrustum perspectiveFrustum(double fovyDegrees, double aspect, double nearPlane, double farPlane) {
    const double top = nearPlane * std::tan(fovyDegrees * 3.14159265358979323846 / 360.0);
    const double right = top * aspect;
    return PerspectiveFrustum{-right, right, -top, top, nearPlane, farPlane};
}

PerspectiveFrustum sceneFrustum(double aspect) { return perspectiveFrustum(45.0, aspect, 1.0, 10.0); }

void applyProjection(const Projection& p) {
    glViewport(0, 0, p.width, p.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // As a frustum: the perspective needs no library beyond OpenGL 1.0.
    const PerspectiveFrustum f = sceneFrustum(p.aspect);
    glFrustum(f.left, f.right, f.bottom, f.top, f.nearPlane, f.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDrawBuffer(GL_BACK);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
