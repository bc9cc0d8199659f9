#pragma once
#include <windows.h>

// One OpenGL rendering context bound to one child window for the life of the
// dialog. release() may run any number of times.
class GlSurface {
public:
    GlSurface() = default;
    ~GlSurface() { release(); }
    GlSurface(const GlSurface&) = delete;
    GlSurface& operator=(const GlSurface&) = delete;

    // Nonzero when the context was created and made current.
    int attach(HWND window);
    // -1 for width or height stands for the size read by attach; -1.0 for the
    // aspect stands for width / height.
    int setupProjection(int width, int height, double aspect);
    int release();

    // The format in use on the bound window, as the system describes it;
    // 0 when nothing is bound or it cannot be described, else its index.
    int describePixelFormat(PIXELFORMATDESCRIPTOR* description) const;

    // Lent for queries that need the window's device context or the surface's
    // own context (to make it current again); the surface keeps owning both.
    HDC deviceContext() const { return deviceContext_; }
    HGLRC renderingContext() const { return renderingContext_; }
    HWND window() const { return window_; }
    // The client size read by attach.
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void choosePixelFormat(HDC dc);
    int createContext(HDC dc);

    HWND window_ = nullptr;
    HDC deviceContext_ = nullptr;
    HGLRC renderingContext_ = nullptr;
    LONG width_ = 0;
    LONG height_ = 0;
    int pixelFormat_ = 0;
};
