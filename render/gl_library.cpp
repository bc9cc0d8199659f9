#include "render/gl_library.h"


#include "platform/unique.h"
#include "render/gl_api.h"

namespace {

// Every GL function the program calls, the drawing rules' and the queries'.
#define GRI_GL_FUNCTIONS(X) \
    X(glBegin)              \
    X(glClear)              \
    X(glClearColor)         \
    X(glDrawBuffer)         \
    X(glEnable)             \
    X(glEnd)                \
    X(glFrustum)            \
    X(glGetError)           \
    X(glGetFloatv)          \
    X(glGetIntegerv)        \
    X(glGetString)          \
    X(glLightfv)            \
    X(glLoadIdentity)       \
    X(glMaterialfv)         \
    X(glMatrixMode)         \
    X(glNormal3d)           \
    X(glPopMatrix)          \
    X(glPushMatrix)         \
    X(glReadBuffer)         \
    X(glReadPixels)         \
    X(glRotated)            \
    X(glTranslated)         \
    X(glVertex3d)           \
    X(glViewport)

struct GlFunctions {
#define GRI_MEMBER(name) decltype(&::name) name;
    GRI_GL_FUNCTIONS(GRI_MEMBER)
#undef GRI_MEMBER
};

HMODULE s_module = nullptr;
bool s_systems = false;
GlFunctions s_gl = {};
WglEntryPoints s_wgl = {};

template <typename Function>
bool take(HMODULE module, const char* name, Function* out) {
    *out = procAddress<Function>(module, name);
    return *out != nullptr;
}

const char* resolve(HMODULE module, GlFunctions* gl, WglEntryPoints* w) {
#define GRI_TAKE(name) \
    if (!take(module, #name, &gl->name)) return #name;
    GRI_GL_FUNCTIONS(GRI_TAKE)
#undef GRI_TAKE
    if (!take(module, "wglCreateContext", &w->createContext)) return "wglCreateContext";
    if (!take(module, "wglMakeCurrent", &w->makeCurrent)) return "wglMakeCurrent";
    if (!take(module, "wglDeleteContext", &w->deleteContext)) return "wglDeleteContext";
    if (!take(module, "wglGetCurrentContext", &w->getCurrentContext)) return "wglGetCurrentContext";
    if (!take(module, "wglGetCurrentDC", &w->getCurrentDC)) return "wglGetCurrentDC";
    if (!take(module, "wglGetProcAddress", &w->getProcAddress)) return "wglGetProcAddress";
    return nullptr;
}

GlLoadResult adopt(UniqueModule module) {
    GlLoadResult result;
    if (!module) {
        result.error = GetLastError();
        return result;
    }
    GlFunctions gl = {};
    WglEntryPoints w = {};
    result.missing = resolve(module.get(), &gl, &w);
    if (result.missing != nullptr) return result;
    // Kept for the life of the process.
    s_module = module.release();
    s_gl = gl;
    s_wgl = w;
    result.loaded = true;
    return result;
}

}  // namespace

GlLoadResult loadSystemOpenGl() {
    if (s_module != nullptr) return GlLoadResult{true, 0, nullptr};
    const GlLoadResult result = adopt(UniqueModule(loadFromSystemFolder(L"opengl32.dll")));
    s_systems = result.loaded;
    return result;
}

GlLoadResult loadOpenGlFrom(const std::wstring& fullPath) {
    if (s_module != nullptr) return GlLoadResult{true, 0, nullptr};
    return adopt(UniqueModule(LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)));
}

bool openGlLoaded() { return s_module != nullptr; }

bool openGlIsTheSystems() { return s_systems; }

const WglEntryPoints& wgl() { return s_wgl; }

bool glFunctionResolves(const char* name, GlVersion version, void*) {
    if (s_module == nullptr) return false;
    if (!atLeast(version, 1, 2)) return GetProcAddress(s_module, name) != nullptr;
    return isProcAddress(reinterpret_cast<std::uintptr_t>(s_wgl.getProcAddress(name)));
}

std::wstring openGlLibraryPath() {
    return s_module != nullptr ? modulePath(s_module) : std::wstring();
}

// The program's own definitions of the GL functions that the drawing rules
// and queries call by name: each forwards to the entry point loaded above.
extern "C" {
void APIENTRY glBegin(GLenum mode) { s_gl.glBegin(mode); }
void APIENTRY glClear(GLbitfield mask) { s_gl.glClear(mask); }
void APIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { s_gl.glClearColor(r, g, b, a); }
void APIENTRY glDrawBuffer(GLenum mode) { s_gl.glDrawBuffer(mode); }
void APIENTRY glEnable(GLenum cap) { s_gl.glEnable(cap); }
void APIENTRY glEnd() { s_gl.glEnd(); }
void APIENTRY glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    s_gl.glFrustum(l, r, b, t, n, f);
}
GLenum APIENTRY glGetError() { return s_gl.glGetError(); }
void APIENTRY glGetFloatv(GLenum name, GLfloat* params) { s_gl.glGetFloatv(name, params); }
void APIENTRY glGetIntegerv(GLenum name, GLint* params) { s_gl.glGetIntegerv(name, params); }
const GLubyte* APIENTRY glGetString(GLenum name) { return s_gl.glGetString(name); }
void APIENTRY glLightfv(GLenum light, GLenum name, const GLfloat* params) { s_gl.glLightfv(light, name, params); }
void APIENTRY glLoadIdentity() { s_gl.glLoadIdentity(); }
void APIENTRY glMaterialfv(GLenum face, GLenum name, const GLfloat* params) { s_gl.glMaterialfv(face, name, params); }
void APIENTRY glMatrixMode(GLenum mode) { s_gl.glMatrixMode(mode); }
void APIENTRY glNormal3d(GLdouble x, GLdouble y, GLdouble z) { s_gl.glNormal3d(x, y, z); }
void APIENTRY glPopMatrix() { s_gl.glPopMatrix(); }
void APIENTRY glPushMatrix() { s_gl.glPushMatrix(); }
void APIENTRY glReadBuffer(GLenum mode) { s_gl.glReadBuffer(mode); }
void APIENTRY glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
    s_gl.glReadPixels(x, y, width, height, format, type, pixels);
}
void APIENTRY glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) { s_gl.glRotated(angle, x, y, z); }
void APIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z) { s_gl.glTranslated(x, y, z); }
void APIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z) { s_gl.glVertex3d(x, y, z); }
void APIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) { s_gl.glViewport(x, y, width, height); }
}
