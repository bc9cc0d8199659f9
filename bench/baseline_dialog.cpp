// What the platform alone costs for the same window: the program's dialog
// template shown as a plain dialog, an OpenGL context bound to the scene
// control the same way, and frames that only clear and swap. The benchmark
// measures the program against this.
//
// With "cube" on the command line each frame draws a minimal lit cube of its
// own instead (the same faces, light and materials, written here apart from
// the program's scene code): what the rendering test must cost on this
// OpenGL, so that a slower drawing path in the program shows in the ratio.
//
// With "required" as well it also does, before its first frame, the dialog
// work the program must do before its own, written here apart from the
// program's code: the size-all cursor loaded at entry, the three information
// lines from the same context, the icons, and the extension list filled with
// the same OpenGL and WGL names in the template's sorted list.
#include <windows.h>

#include <cstring>

#include "platform/startup_times.h"
#include "render/gl_api.h"
#include "render/gl_library.h"
#include "render/gl_surface.h"
#include "res/resource.h"

namespace {

GlSurface g_surface;
WNDPROC g_previousProc = nullptr;
bool g_drawCube = false;
bool g_requiredWork = false;
bool g_dragging = false;
int g_lastX = 0;
int g_lastY = 0;
double g_angleX = 45.0;
double g_angleY = 45.0;

void drawCube() {
    static const GLfloat ambient[4] = {0.1f, 0.1f, 0.1f, 0.1f};
    static const GLfloat diffuse[4] = {0.7f, 0.7f, 0.7f, 0.7f};
    static const GLfloat specular[4] = {0.0f, 0.0f, 0.0f, 0.1f};
    static const GLfloat position[4] = {5.0f, 5.0f, 5.0f, 0.0f};
    static const GLfloat colours[3][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glPushMatrix();
    glRotated(-3.0 * g_angleX, 0.0, 1.0, 0.0);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glPopMatrix();
    glEnable(GL_LIGHT0);
    glPushMatrix();
    glTranslated(0.0, 0.0, -8.0);
    glRotated(g_angleX, 1.0, 0.0, 0.0);
    glRotated(g_angleY, 0.0, 1.0, 0.0);
    // Face k: the axis k / 2, on its positive (even k) or negative side; the
    // other two axes span it, counter-clockwise seen from outside.
    for (int k = 0; k < 6; ++k) {
        if (k % 2 == 0) glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colours[k / 2]);
        const int a = k / 2;
        const int b = (a + 1) % 3;
        const int c = (a + 2) % 3;
        const double side = k % 2 == 0 ? 1.0 : -1.0;
        static const double corners[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
        double normal[3] = {0, 0, 0};
        normal[a] = side;
        glBegin(GL_POLYGON);
        glNormal3d(normal[0], normal[1], normal[2]);
        for (int v = 0; v < 4; ++v) {
            const int i = side > 0 ? v : 3 - v;
            double vertex[3];
            vertex[a] = side;
            vertex[b] = corners[i][0];
            vertex[c] = corners[i][1];
            glVertex3d(vertex[0], vertex[1], vertex[2]);
        }
        glEnd();
    }
    glPopMatrix();
}

LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (g_drawCube) {
            drawCube();
        } else {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        SwapBuffers(dc);
        noteStartup(StartupPhase::Frame);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    // The same synchronous repaint per pointer move as the program's drag.
    case WM_LBUTTONDOWN:
        SetCapture(window);
        g_dragging = true;
        g_lastX = static_cast<short>(LOWORD(lparam));
        g_lastY = static_cast<short>(HIWORD(lparam));
        return 0;
    case WM_MOUSEMOVE:
        if (g_dragging) {
            const int x = static_cast<short>(LOWORD(lparam));
            const int y = static_cast<short>(HIWORD(lparam));
            g_angleY += (x - g_lastX) / 2;
            g_angleX += (y - g_lastY) / 2;
            g_lastX = x;
            g_lastY = y;
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
    return CallWindowProcA(g_previousProc, window, message, wparam, lparam);
}

// The information text and the extension list, as a program of its own would fill them.
void fillInformation(HWND dialog) {
    const auto text = [](GLenum name) {
        const char* answer = reinterpret_cast<const char*>(glGetString(name));
        return answer != nullptr ? answer : "";
    };
    char info[1024];
    wsprintfA(info, "Vendor: %.300s\r\nRenderer: %.300s\r\nVersion: %.300s", text(GL_VENDOR), text(GL_RENDERER),
              text(GL_VERSION));
    SetDlgItemTextA(dialog, IDC_INFO_TEXT, info);
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP_ICON));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    using GetExtensionsString = const char*(WINAPI*)(HDC);
    const auto wglExtensions = wglFunction<GetExtensionsString>("wglGetExtensionsStringARB");
    const char* lists[2] = {text(GL_EXTENSIONS), wglExtensions != nullptr ? wglExtensions(wgl().getCurrentDC()) : nullptr};
    HWND list = GetDlgItem(dialog, IDC_EXTENSION_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    char name[256];
    for (const char* names : lists) {
        for (const char* p = names; p != nullptr && *p != '\0';) {
            while (*p == ' ') ++p;
            int n = 0;
            while (p[n] != '\0' && p[n] != ' ') ++n;
            if (n > 0 && n < static_cast<int>(sizeof name)) {
                std::memcpy(name, p, n);
                name[n] = '\0';
                SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
            }
            p += n;
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        noteStartup(StartupPhase::Dialog);
        HWND control = GetDlgItem(dialog, IDC_SCENE_CONTROL);
        g_previousProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc));
        if (!g_surface.attach(control)) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        noteStartup(StartupPhase::Context);
        if (g_drawCube) {
            g_surface.setupProjection(-1, -1, -1.0);
            if (g_requiredWork) fillInformation(dialog);
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
    startStartupTimes();
    g_drawCube = std::strstr(commandLine, "cube") != nullptr;
    g_requiredWork = std::strstr(commandLine, "required") != nullptr;
    if (g_requiredWork) LoadCursorA(nullptr, MAKEINTRESOURCEA(32646));  // IDC_SIZEALL, as the program loads it
    // OpenGL is loaded the way the program loads it.
    loadSystemOpenGl();
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogProc, 0));
}
