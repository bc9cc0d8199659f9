#include "render/projection.h"

#include "render/gl_api.h"

Projection resolveProjection(int width, int height, double aspect, int storedWidth, int storedHeight) {
    Projection p{width == -1 ? storedWidth : width, height == -1 ? storedHeight : height, aspect};
    if (aspect == -1.0) {
        p.aspect = p.height == 0 ? static_cast<double>(p.width)
                                 : static_cast<double>(p.width) / static_cast<double>(p.height);
    }
    return p;
}

void applyProjection(const Projection& p) {
    glViewport(0, 0, p.width, p.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, p.aspect, 1.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDrawBuffer(GL_BACK);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
