// A stand-in for the system's opengl32.dll that the Wine tests hand to the
// program with --opengl32. Its answers are scripted through environment
// variables, and it can log what the program asks of it:
//   GLDOUBLE_CREATE=fail          wglCreateContext fails
//   GLDOUBLE_MAKECURRENT=fail     wglMakeCurrent fails
//   GLDOUBLE_CHOOSE=fail          no pixel format matches
//   GLDOUBLE_DESCRIBE=fail        format 1 cannot be described
//   GLDOUBLE_VENDOR, _RENDERER, _VERSION, _EXTENSIONS
//                                 glGetString answers; "<null>" answers a null,
//                                 "<empty>" an empty string
//   GLDOUBLE_WGL_EXTENSIONS       the WGL extension string; "<none>": no entry
//                                 point; "<null>": the entry point answers null
//   GLDOUBLE_LOG=path             append one line per call of interest, and
//                                 whether the dialog was still shown when the
//                                 context was let go
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <GL/gl.h>

#define EXPORT extern "C" __declspec(dllexport)

namespace {

HGLRC const kContext = reinterpret_cast<HGLRC>(static_cast<INT_PTR>(0x6C0));
HGLRC s_current = nullptr;
HDC s_currentDc = nullptr;

bool scripted(const char* name, std::string* value) {
    char buffer[32768];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return false;
    value->assign(buffer, n);
    return true;
}

bool scriptedIs(const char* name, const char* expected) {
    std::string value;
    return scripted(name, &value) && value == expected;
}

// Kept for the whole run: the program may hold on to what glGetString returns.
const char* scriptedString(const char* name, const char* fallback) {
    static std::string storage[8];
    static int used = 0;
    std::string value;
    if (!scripted(name, &value)) return fallback;
    if (value == "<null>") return nullptr;
    if (value == "<empty>") value.clear();  // an empty variable reads as unset
    if (used == 8) return fallback;
    storage[used] = value;
    return storage[used++].c_str();
}

void logLine(const char* format, ...) {
    std::string path;
    if (!scripted("GLDOUBLE_LOG", &path)) return;
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fputc('\n', file);
    std::fclose(file);
}

const char* WINAPI getExtensionsStringArb(HDC) {
    return scriptedString("GLDOUBLE_WGL_EXTENSIONS", "WGL_ARB_extensions_string WGL_double_one");
}

void describeFormat(PIXELFORMATDESCRIPTOR* pfd) {
    std::memset(pfd, 0, sizeof *pfd);
    pfd->nSize = sizeof *pfd;
    pfd->nVersion = 1;
    pfd->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd->cColorBits = 24;
    pfd->cDepthBits = 24;
}

}  // namespace

// Pixel formats, reached through gdi32.
EXPORT int WINAPI wglChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR* pfd) {
    logLine("ChoosePixelFormat size=%u version=%u flags=%08lx type=%u color=%u r=%u/%u g=%u/%u b=%u/%u "
            "a=%u/%u accum=%u/%u/%u/%u/%u depth=%u stencil=%u aux=%u layer=%u",
            pfd->nSize, pfd->nVersion, static_cast<unsigned long>(pfd->dwFlags), pfd->iPixelType,
            pfd->cColorBits, pfd->cRedBits, pfd->cRedShift, pfd->cGreenBits, pfd->cGreenShift, pfd->cBlueBits,
            pfd->cBlueShift, pfd->cAlphaBits, pfd->cAlphaShift, pfd->cAccumBits, pfd->cAccumRedBits,
            pfd->cAccumGreenBits, pfd->cAccumBlueBits, pfd->cAccumAlphaBits, pfd->cDepthBits,
            pfd->cStencilBits, pfd->cAuxBuffers, pfd->iLayerType);
    if (scriptedIs("GLDOUBLE_CHOOSE", "fail")) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return 0;
    }
    return 7;
}

EXPORT int WINAPI wglDescribePixelFormat(HDC, int format, UINT size, PIXELFORMATDESCRIPTOR* pfd) {
    logLine("DescribePixelFormat %d", format);
    if (scriptedIs("GLDOUBLE_DESCRIBE", "fail")) return 0;
    if (pfd != nullptr && size >= sizeof *pfd) describeFormat(pfd);
    return 8;
}

EXPORT int WINAPI wglGetPixelFormat(HDC) { return 7; }

EXPORT BOOL WINAPI wglSetPixelFormat(HDC, int format, const PIXELFORMATDESCRIPTOR* pfd) {
    logLine("SetPixelFormat %d color=%u", format, pfd != nullptr ? pfd->cColorBits : 0u);
    return TRUE;
}

EXPORT BOOL WINAPI wglSwapBuffers(HDC) {
    logLine("SwapBuffers");
    return TRUE;
}

// Contexts.
EXPORT HGLRC WINAPI wglCreateContext(HDC) {
    if (scriptedIs("GLDOUBLE_CREATE", "fail")) {
        logLine("CreateContext failed");
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    logLine("CreateContext");
    return kContext;
}

EXPORT BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    logLine("MakeCurrent %s", context == nullptr ? "none" : "context");
    if (context == nullptr && s_current != nullptr) {
        // When the context is let go, relative to the dialog going away.
        HWND root = GetAncestor(WindowFromDC(s_currentDc), GA_ROOT);
        logLine("Released while the dialog is %s", root == nullptr ? "gone" : IsWindowVisible(root) ? "shown" : "hidden");
    }
    if (context != nullptr && scriptedIs("GLDOUBLE_MAKECURRENT", "fail")) return FALSE;
    s_current = context;
    s_currentDc = context == nullptr ? nullptr : dc;
    return TRUE;
}

EXPORT BOOL WINAPI wglDeleteContext(HGLRC context) {
    logLine("DeleteContext");
    if (s_current == context) s_current = nullptr;
    return context == kContext;
}

EXPORT HGLRC WINAPI wglGetCurrentContext() { return s_current; }
EXPORT HDC WINAPI wglGetCurrentDC() { return s_currentDc; }

EXPORT PROC WINAPI wglGetProcAddress(LPCSTR name) {
    if (std::strcmp(name, "wglGetExtensionsStringARB") != 0) return nullptr;
    if (scriptedIs("GLDOUBLE_WGL_EXTENSIONS", "<none>")) return nullptr;
    return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(getExtensionsStringArb));
}

// Queries.
EXPORT const GLubyte* WINAPI glGetString(GLenum name) {
    const char* text = nullptr;
    switch (name) {
    case GL_VENDOR: text = scriptedString("GLDOUBLE_VENDOR", "Double Vendor"); break;
    case GL_RENDERER: text = scriptedString("GLDOUBLE_RENDERER", "Double Renderer"); break;
    case GL_VERSION: text = scriptedString("GLDOUBLE_VERSION", "1.1 Double"); break;
    case GL_EXTENSIONS: text = scriptedString("GLDOUBLE_EXTENSIONS", "GL_double_one GL_double_two"); break;
    default: break;
    }
    return reinterpret_cast<const GLubyte*>(text);
}

EXPORT void WINAPI glGetIntegerv(GLenum, GLint* params) {
    if (params != nullptr) *params = 0;
}

EXPORT void WINAPI glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    logLine("Viewport %d %d %d %d", x, y, width, height);
}

EXPORT void WINAPI glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                             GLdouble zFar) {
    // The matrix's scale and depth terms: for a perspective, m[0] is f / aspect and m[5] is f.
    logLine("Projection %.6f %.6f %.6f %.6f", 2 * zNear / (right - left), 2 * zNear / (top - bottom),
            -(zFar + zNear) / (zFar - zNear), -2 * zFar * zNear / (zFar - zNear));
}

// Drawing: accepted and dropped.
EXPORT void WINAPI glMatrixMode(GLenum) {}
EXPORT void WINAPI glLoadIdentity() {}
EXPORT void WINAPI glDrawBuffer(GLenum) {}
EXPORT void WINAPI glEnable(GLenum) {}
EXPORT void WINAPI glClear(GLbitfield) {}
EXPORT void WINAPI glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
EXPORT void WINAPI glLightfv(GLenum, GLenum, const GLfloat*) {}
EXPORT void WINAPI glPushMatrix() {}
EXPORT void WINAPI glPopMatrix() {}
EXPORT void WINAPI glRotated(GLdouble, GLdouble, GLdouble, GLdouble) {}
EXPORT void WINAPI glTranslated(GLdouble, GLdouble, GLdouble) {}
EXPORT void WINAPI glMaterialfv(GLenum, GLenum, const GLfloat*) {}
EXPORT void WINAPI glBegin(GLenum) {}
EXPORT void WINAPI glEnd() {}
EXPORT void WINAPI glNormal3d(GLdouble, GLdouble, GLdouble) {}
EXPORT void WINAPI glVertex3d(GLdouble, GLdouble, GLdouble) {}
