// What the platform alone costs for the same window: the program's dialog
// template shown as a plain dialog, an OpenGL context bound to the scene
// control the same way, and frames that only clear and swap. The benchmark
// measures the program against this.
//
// With "cube" on the command line the control runs the program's own scene
// procedure instead: that separates what the rendering test costs on this
// OpenGL from what the rest of the program adds.
#include <windows.h>

#include <GL/gl.h>

#include <cstring>

#include "app/app_state.h"
#include "res/resource.h"

// The scene procedure's state, as the program defines it.
GlSurface g_surface;
SceneState g_scene;
WNDPROC g_previousSceneProc = nullptr;

namespace {

bool g_dragging = false;

LRESULT CALLBACK clearControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SwapBuffers(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    // The same synchronous repaint per pointer move as the program's drag.
    case WM_LBUTTONDOWN:
        SetCapture(window);
        g_dragging = true;
        return 0;
    case WM_MOUSEMOVE:
        if (g_dragging) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        g_dragging = false;
        return 0;
    default:
        break;
    }
    return CallWindowProcA(g_previousSceneProc, window, message, wparam, lparam);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: {
        const bool drawCube = lparam != 0;
        HWND control = GetDlgItem(dialog, IDC_SCENE_CONTROL);
        g_previousSceneProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
        SetWindowLongPtrA(control, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(drawCube ? sceneControlProc : clearControlProc));
        if (!g_surface.attach(control)) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (drawCube) {
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
    const LPARAM drawCube = std::strstr(commandLine, "cube") != nullptr ? 1 : 0;
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogProc, drawCube));
}
