#include "app/app_state.h"
#include "render/cube_scene.h"

LRESULT CALLBACK sceneControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SIZE:
        if (wparam == SIZE_RESTORED || wparam == SIZE_MAXIMIZED) {
            g_surface.setupProjection(LOWORD(lparam), HIWORD(lparam), -1.0);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        drawScene(g_scene.angleX, g_scene.angleY);
        SwapBuffers(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // the scene covers the whole control
    case WM_LBUTTONDOWN: {
        SetCapture(window);
        const PointerPos at = pointerFromLParam(static_cast<std::uint32_t>(lparam));
        beginDrag(g_scene, at.x, at.y);
        return 0;
    }
    case WM_MOUSEMOVE: {
        const PointerPos at = pointerFromLParam(static_cast<std::uint32_t>(lparam));
        if (dragTo(g_scene, at.x, at.y)) {
            // Draw the frame now rather than when the queue next runs dry.
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        ReleaseCapture();
        endDrag(g_scene);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the pointer: its release will never reach us, so
        // the drag ends here or later plain moves would keep turning the cube.
        if (reinterpret_cast<HWND>(lparam) != window) endDrag(g_scene);
        break;
    default:
        break;
    }
    return CallWindowProcA(g_previousSceneProc, window, message, wparam, lparam);
}
