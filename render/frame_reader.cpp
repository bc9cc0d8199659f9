#include "render/frame_reader.h"

#include <cstdlib>
#include <vector>

#include "render/cube_scene.h"
#include "render/gl_api.h"
#include "render/projection.h"

namespace {

// Errors an earlier query left behind would be taken for the read's; never
// wait on an implementation that reports errors for ever.
void clearErrors() {
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void readPixel(int x, int y, std::uint8_t (&rgb)[3]) {
    GLubyte pixel[4] = {0, 0, 0, 0};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    for (int c = 0; c < 3; ++c) rgb[c] = pixel[c];
}

struct ClearColourKept {
    GLfloat colour[4] = {0, 0, 0, 0};
    ClearColourKept() { glGetFloatv(GL_COLOR_CLEAR_VALUE, colour); }
    ~ClearColourKept() { glClearColor(colour[0], colour[1], colour[2], colour[3]); }
    ClearColourKept(const ClearColourKept&) = delete;
    ClearColourKept& operator=(const ClearColourKept&) = delete;
};

}  // namespace

FrameReading readFrame(const GlSurface& surface, double angleX, double angleY, bool shown) {
    FrameReading reading;
    // The control as it is now, which a change of DPI may have resized since
    // the surface was bound; the scene's own projection follows that size too.
    RECT client = {};
    GetClientRect(surface.window(), &client);
    const FrameView view{angleX, angleY, client.right, client.bottom};
    if (view.width <= 0 || view.height <= 0) {
        reading.notRunBecause = "the view has no pixels";
        return reading;
    }
    clearErrors();
    applyProjection(resolveProjection(-1, -1, -1.0, view.width, view.height));
    glReadBuffer(GL_BACK);
    // Judged on black, whatever colour a theme gives the frames the user
    // sees; theirs is put back however the test ends.
    const ClearColourKept kept;
    if (!shown) {
        // Whether this OpenGL keeps pixels for a window that is not on the
        // screen: a grey clear must read back grey.
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        std::uint8_t grey[3];
        readPixel(view.width / 2, view.height / 2, grey);
        const GLenum error = glGetError();
        if (error != GL_NO_ERROR) {
            reading.state = FrameReading::State::ReadFailed;
            reading.glError = error;
            return reading;
        }
        for (std::uint8_t c : grey) {
            if (std::abs(c - 128) > 8) {
                reading.notRunBecause = "the window is not shown, and this OpenGL keeps no pixels for a window that is not";
                return reading;
            }
        }
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    drawScene(angleX, angleY);
    reading.samples = samplePoints(view);
    // The whole frame in one read where it fits, for the page that shows it,
    // and the samples taken from it; else each sample read alone.
    std::vector<GLubyte> rgba;
    if (static_cast<long>(view.width) * view.height <= kMostFramePixels) {
        rgba.resize(static_cast<std::size_t>(view.width) * view.height * 4);
        glReadPixels(0, 0, view.width, view.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        reading.width = view.width;
        reading.height = view.height;
        reading.pixels.resize(static_cast<std::size_t>(view.width) * view.height * 3);
        for (int y = 0; y < view.height; ++y) {
            const GLubyte* from = &rgba[static_cast<std::size_t>(view.height - 1 - y) * view.width * 4];
            std::uint8_t* to = &reading.pixels[static_cast<std::size_t>(y) * view.width * 3];
            for (int x = 0; x < view.width; ++x, from += 4, to += 3) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            }
        }
    }
    for (FrameSample& s : reading.samples) {
        if (rgba.empty() || s.x < 0 || s.y < 0 || s.x >= view.width || s.y >= view.height) {
            readPixel(s.x, s.y, s.rgb);
            continue;
        }
        const GLubyte* pixel = &rgba[(static_cast<std::size_t>(s.y) * view.width + s.x) * 4];
        for (int c = 0; c < 3; ++c) s.rgb[c] = pixel[c];
    }
    const GLenum error = glGetError();
    reading.state = error == GL_NO_ERROR ? FrameReading::State::Read : FrameReading::State::ReadFailed;
    reading.glError = error;
    return reading;
}
