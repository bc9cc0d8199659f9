// What the platform alone costs for the same window: the program's dialog
// template shown as a plain dialog, an OpenGL context bound to the scene
// control the same way, and frames that only clear and swap. The benchmark
// measures the program against this.
//
// With "cube" on the command line it draws the program's cube instead, and
// turns it the same way: that separates what the rendering test costs on this
// OpenGL from what the rest of the program adds.
#include <windows.h>

#include <GL/gl.h>

#include <cstring>

#include "render/cube_scene.h"
#include "render/gl_surface.h"
#include "render/scene_state.h"
#include "res/resource.h"

namespace {

GlSurface g_surface;
WNDPROC g_previousProc = nullptr;
SceneState g_scene;
bool g_drawCube = false;

LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (g_drawCube) {
            drawScene(g_scene.angleX, g_scene.angleY);
        } else {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        SwapBuffers(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    // The same synchronous repaint per pointer move as the program's drag.
    case WM_LBUTTONDOWN: {
        SetCapture(window);
        const PointerPos at = pointerFromLParam(static_cast<std::uint32_t>(lparam));
        beginDrag(g_scene, at.x, at.y);
        return 0;
    }
    case WM_MOUSEMOVE: {
        const PointerPos at = pointerFromLParam(static_cast<std::uint32_t>(lparam));
        if (dragTo(g_scene, at.x, at.y)) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        ReleaseCapture();
        endDrag(g_scene);
        return 0;
    default:
        break;
    }
    return CallWindowProcA(g_previousProc, window, message, wparam, lparam);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND control = GetDlgItem(dialog, IDC_SCENE_CONTROL);
        g_previousProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc));
        if (!g_surface.attach(control)) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (g_drawCube) {
            g_surface.setupProjection(-1, -1, -1.0);
        } else {
            // Grey, so that a presented frame can be told from an empty window.
            glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        }
        return TRUE;
    }
    case WM_COMMAND: {
        const WORD id = LOWORD(wparam);
        if (id == IDOK || id == IDCANCEL || id == IDC_CLOSE_COMMAND) {
            g_surface.release();
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_drawCube = std::strstr(commandLine, "cube") != nullptr;
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogProc, 0));
}
