#include "render/gl_surface.h"

#include "render/gl_library.h"
#include "render/projection.h"

namespace {

PIXELFORMATDESCRIPTOR pixelFormatRequest() {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_STEREO_DONTCARE;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cRedBits = 8;
    pfd.cRedShift = 16;
    pfd.cGreenBits = 8;
    pfd.cGreenShift = 8;
    pfd.cBlueBits = 8;
    pfd.cBlueShift = 0;
    pfd.cAccumBits = 64;
    pfd.cAccumRedBits = 16;
    pfd.cAccumGreenBits = 16;
    pfd.cAccumBlueBits = 16;
    pfd.cDepthBits = 32;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

}  // namespace

int GlSurface::attach(HWND window) {
    window_ = window;
    // Without an OpenGL library there is no context to make: the same failure.
    if (!openGlLoaded()) return 0;
    RECT client = {};
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    deviceContext_ = GetDC(window);
    choosePixelFormat(deviceContext_);
    return createContext(deviceContext_);
}

void GlSurface::choosePixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd = pixelFormatRequest();
    pixelFormat_ = ChoosePixelFormat(dc, &pfd);
    if (pixelFormat_ == 0) {
        // No match: take whatever format 1 is, if the system can describe it.
        GetLastError();
        pixelFormat_ = 1;
        if (DescribePixelFormat(dc, 1, sizeof pfd, &pfd) == 0) return;
    }
    SetPixelFormat(dc, pixelFormat_, &pfd);
}

int GlSurface::createContext(HDC dc) {
    renderingContext_ = wgl().createContext(dc);
    if (renderingContext_ == nullptr) {
        GetLastError();
        return 0;
    }
    return wgl().makeCurrent(dc, renderingContext_);
}

int GlSurface::setupProjection(int width, int height, double aspect) {
    applyProjection(resolveProjection(width, height, aspect, width_, height_));
    return 1;
}

int GlSurface::release() {
    if (openGlLoaded() && wgl().getCurrentContext() != nullptr) wgl().makeCurrent(nullptr, nullptr);
    if (renderingContext_ != nullptr) {
        wgl().deleteContext(renderingContext_);
        renderingContext_ = nullptr;
    }
    // Harmless when nothing is held: ReleaseDC simply fails.
    ReleaseDC(window_, deviceContext_);
    deviceContext_ = nullptr;
    return 1;
}

int GlSurface::describePixelFormat(PIXELFORMATDESCRIPTOR* description) const {
    if (deviceContext_ == nullptr) return 0;
    const int index = GetPixelFormat(deviceContext_);
    if (index <= 0 || DescribePixelFormat(deviceContext_, index, sizeof *description, description) == 0) return 0;
    return index;
}
