#include "render/cube_scene.h"

#include "render/cube_geometry.h"
#include "render/gl_api.h"

namespace {

const GLfloat kLightAmbient[4] = {0.1f, 0.1f, 0.1f, 0.1f};
const GLfloat kLightDiffuse[4] = {0.7f, 0.7f, 0.7f, 0.7f};
const GLfloat kLightSpecular[4] = {0.0f, 0.0f, 0.0f, 0.1f};
const GLfloat kLightPosition[4] = {5.0f, 5.0f, 5.0f, 0.0f};  // w = 0: directional
const GLfloat kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
const GLfloat kGreen[4] = {0.0f, 1.0f, 0.0f, 1.0f};
const GLfloat kBlue[4] = {0.0f, 0.0f, 1.0f, 1.0f};

void drawFace(const CubeFace& face) {
    glBegin(GL_POLYGON);
    glNormal3d(face.normal[0], face.normal[1], face.normal[2]);
    for (const auto& v : face.vertices) glVertex3d(v[0], v[1], v[2]);
    glEnd();
}

}  // namespace

void drawScene(double angleX, double angleY) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kLightSpecular);

    // The light turns about the vertical axis, three times as fast as the cube
    // turns about X and the other way round.
    glPushMatrix();
    glRotated(-3.0 * angleX, 0.0, 1.0, 0.0);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    glPopMatrix();
    glEnable(GL_LIGHT0);

    glPushMatrix();
    glTranslated(0.0, 0.0, -kCubeDistance);
    glRotated(angleX, 1.0, 0.0, 0.0);
    glRotated(angleY, 0.0, 1.0, 0.0);
    const GLfloat* materials[3] = {kRed, kGreen, kBlue};
    for (int pair = 0; pair < 3; ++pair) {
        glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, materials[pair]);
        drawFace(kCubeFaces[2 * pair]);
        drawFace(kCubeFaces[2 * pair + 1]);
    }
    glPopMatrix();
}
