#include "render/scene_control.h"

#include "platform/startup_times.h"
#include "render/cube_scene.h"
#include "render/gl_api.h"
#include "render/scene_state.h"

namespace {

// One scene control per process, for the whole run.
GlSurface* s_surface = nullptr;
WNDPROC s_previousProc = nullptr;
SceneState s_scene;
HWND s_control = nullptr;
SceneHooks s_hooks;
bool s_framed = false;  // the first frame is out

}  // namespace

const SceneState& sceneState() { return s_scene; }

void bindSceneControl(HWND control, GlSurface* surface) {
    s_surface = surface;
    s_control = control;
    s_previousProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sceneControlProc));
}

LRESULT CALLBACK sceneControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SIZE:
        if (wparam == SIZE_RESTORED || wparam == SIZE_MAXIMIZED) {
            s_surface->setupProjection(LOWORD(lparam), HIWORD(lparam), -1.0);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        drawScene(s_scene.angleX, s_scene.angleY);
        SwapBuffers(dc);
        noteStartup(StartupPhase::Frame);
        EndPaint(window, &paint);
        if (!s_framed) {
            s_framed = true;
            if (s_hooks.firstFrameShown != nullptr) s_hooks.firstFrameShown();
        }
        return 0;
    }
    case WM_GETOBJECT:
        if (s_hooks.accessibleObjectAsked != nullptr) s_hooks.accessibleObjectAsked(window);
        break;
    case WM_DESTROY:
        if (s_hooks.destroying != nullptr) s_hooks.destroying(window);
        break;
    case WM_ERASEBKGND:
        return 1;  // the scene covers the whole control
    case WM_LBUTTONDOWN:
    // The control's class takes double-clicks: a quick second press arrives
    // as this, and must begin a drag all the same.
    case WM_LBUTTONDBLCLK: {
        SetCapture(window);
        const PointerPos at = pointerFromLParam(static_cast<std::uint32_t>(lparam));
        beginDrag(s_scene, at.x, at.y);
        return 0;
    }
    case WM_MOUSEMOVE: {
        const PointerPos at = pointerFromLParam(static_cast<std::uint32_t>(lparam));
        if (dragTo(s_scene, at.x, at.y)) {
            // Draw the frame now rather than when the queue next runs dry.
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        ReleaseCapture();
        endDrag(s_scene);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the pointer: its release will never reach us, so
        // the drag ends here or later plain moves would keep turning the cube.
        if (reinterpret_cast<HWND>(lparam) != window) endDrag(s_scene);
        break;
    default:
        break;
    }
    return CallWindowProcA(s_previousProc, window, message, wparam, lparam);
}

void turnSceneByKey(SceneKey key) {
    turnByKey(s_scene, key);
    if (s_control == nullptr) return;
    InvalidateRect(s_control, nullptr, FALSE);
    UpdateWindow(s_control);
}

void setSceneBackground(float red, float green, float blue) { glClearColor(red, green, blue, 0.0f); }

void setSceneHooks(const SceneHooks& hooks) { s_hooks = hooks; }
