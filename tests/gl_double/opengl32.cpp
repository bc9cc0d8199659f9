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
//   GLDOUBLE_SHADING              GL_SHADING_LANGUAGE_VERSION, as the strings above
//   GLDOUBLE_INTEGERS             what glGetIntegerv and glGetFloatv answer:
//                                 "0x0D33=4096,0x0D3A=8192/4096,..." (others 0),
//                                 or "untouched": they write nothing at all
//   GLDOUBLE_CREATE_ATTRIBS       "missing": no wglCreateContextAttribsARB;
//                                 "fail": it makes no context
//   GLDOUBLE_DRIVER=path          load this DLL when a context is made, as
//                                 opengl32 loads an installable client driver
//   GLDOUBLE_LOAD=name            load this DLL by bare name when a context is
//                                 made, as system DLLs do on the program's
//                                 behalf, and log where it came from
//   GLDOUBLE_PIXELS               what glReadPixels reads: unset, the cube as
//                                 drawn (each face in its pure colour, the
//                                 background in the clear colour); "nothing":
//                                 clears work, faces are never drawn;
//                                 "swapped": red and blue swapped; "unreadable":
//                                 it raises GL_INVALID_OPERATION; "undefined":
//                                 it reads black whatever was drawn
//   GLDOUBLE_MISSING              functions it lacks, each answered by
//                                 wglGetProcAddress as null or as the number
//                                 given: "glGetnTexImage,glCreateBuffers=-1";
//                                 every other function of OpenGL after 1.1
//                                 resolves
//   GLDOUBLE_OBSERVE=path         at a buffer swap while this file exists, also
//                                 log what only the program's own process can
//                                 see, its cursor and how many GDI and USER
//                                 objects, kernel handles, modules and OpenGL
//                                 contexts it holds, then delete the file
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "render/frame_check.h"

#define EXPORT extern "C" __declspec(dllexport)

// From doublehelp.dll beside this one.
extern "C" __declspec(dllimport) int doubleHelperReady();

// The names of every function after 1.1 (made from the registry).
extern const char* const kLaterFunctions[];

namespace {

HGLRC const kContext = reinterpret_cast<HGLRC>(static_cast<INT_PTR>(0x6C0));
HGLRC s_current = nullptr;
HDC s_currentDc = nullptr;
int s_contexts = 0;  // made and not yet deleted

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

// Pixel formats a test scripts: GLDOUBLE_FORMATS holds one per ';', each a
// ','-list of: generic (the generic software format), accelerated (generic,
// accelerated), single, nowindow, srgb, float, and colour= alpha= depth=
// stencil= samples= with a number, which may be absurd. GLDOUBLE_FORMAT_COUNT
// claims another count; GLDOUBLE_ARB_FAIL_FROM fails the ARB query from that
// format on. Without GLDOUBLE_FORMATS: eight formats like describeFormat's.
struct Format {
    DWORD flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    long colour = 32, alpha = 8, depth = 24, stencil = 8, samples = 0;
    bool srgb = false, isFloat = false;
};

std::vector<Format> scriptedFormats() {
    std::vector<Format> formats;
    std::string list;
    if (!scripted("GLDOUBLE_FORMATS", &list)) return formats;
    for (size_t at = 0; at <= list.size();) {
        const size_t end = std::min(list.find(';', at), list.size());
        const std::string item = list.substr(at, end - at);
        at = end + 1;
        Format f;
        for (size_t from = 0; from <= item.size();) {
            const size_t comma = std::min(item.find(',', from), item.size());
            const std::string token = item.substr(from, comma - from);
            from = comma + 1;
            long n = 0;
            if (token == "generic") f.flags |= PFD_GENERIC_FORMAT;
            if (token == "accelerated") f.flags |= PFD_GENERIC_FORMAT | PFD_GENERIC_ACCELERATED;
            if (token == "single") f.flags &= ~static_cast<DWORD>(PFD_DOUBLEBUFFER);
            if (token == "nowindow") f.flags &= ~static_cast<DWORD>(PFD_DRAW_TO_WINDOW);
            if (token == "srgb") f.srgb = true;
            if (token == "float") f.isFloat = true;
            if (std::sscanf(token.c_str(), "colour=%ld", &n) == 1) f.colour = n;
            if (std::sscanf(token.c_str(), "alpha=%ld", &n) == 1) f.alpha = n;
            if (std::sscanf(token.c_str(), "depth=%ld", &n) == 1) f.depth = n;
            if (std::sscanf(token.c_str(), "stencil=%ld", &n) == 1) f.stencil = n;
            if (std::sscanf(token.c_str(), "samples=%ld", &n) == 1) f.samples = n;
        }
        formats.push_back(f);
    }
    return formats;
}

int formatCount(const std::vector<Format>& formats) {
    std::string claimed;
    if (scripted("GLDOUBLE_FORMAT_COUNT", &claimed)) return std::atoi(claimed.c_str());
    return formats.empty() ? 8 : static_cast<int>(formats.size());
}

// The scripted format of an index; past the list, the last one.
const Format* formatAt(const std::vector<Format>& formats, int index) {
    if (formats.empty() || index < 1) return nullptr;
    return &formats[std::min<size_t>(static_cast<size_t>(index), formats.size()) - 1];
}

BOOL WINAPI getPixelFormatAttribs(HDC, int index, int, UINT count, const int* attributes, int* values) {
    const std::vector<Format> formats = scriptedFormats();
    std::string failFrom;
    if (scripted("GLDOUBLE_ARB_FAIL_FROM", &failFrom) && index >= std::atoi(failFrom.c_str())) return FALSE;
    const Format* f = formatAt(formats, index);
    for (UINT k = 0; k < count; ++k) {
        const int a = attributes[k];
        long v = 0;
        if (a == 0x2000) v = formatCount(formats);
        if (f == nullptr) {
            values[k] = static_cast<int>(v);
            continue;
        }
        switch (a) {
        case 0x2001: v = (f->flags & PFD_DRAW_TO_WINDOW) != 0; break;
        case 0x2003: v = (f->flags & PFD_GENERIC_FORMAT) == 0 ? 0x2027 : (f->flags & PFD_GENERIC_ACCELERATED) != 0 ? 0x2026 : 0x2025; break;
        case 0x2007: v = 0x2028; break;
        case 0x2010: v = (f->flags & PFD_SUPPORT_OPENGL) != 0; break;
        case 0x2011: v = (f->flags & PFD_DOUBLEBUFFER) != 0; break;
        case 0x2013: v = f->isFloat ? 0x21A0 : 0x202B; break;
        case 0x2014: v = f->colour; break;
        case 0x2015: case 0x2017: case 0x2019: v = 8; break;
        case 0x201B: v = f->alpha; break;
        case 0x2022: v = f->depth; break;
        case 0x2023: v = f->stencil; break;
        case 0x2041: v = f->samples > 0; break;
        case 0x2042: v = f->samples; break;
        case 0x20A9: v = f->srgb; break;
        default: break;
        }
        values[k] = static_cast<int>(v);
    }
    return TRUE;
}

// The first scripted format with at least what is asked.
BOOL WINAPI choosePixelFormatArb(HDC dc, const int* attributes, const FLOAT*, UINT most, int* found, UINT* count) {
    const std::vector<Format> formats = scriptedFormats();
    *count = 0;
    for (int index = 1; index <= static_cast<int>(formats.size()) && most > 0; ++index) {
        bool meets = true;
        for (const int* a = attributes; a != nullptr && a[0] != 0; a += 2) {
            int have = 0;
            getPixelFormatAttribs(dc, index, 0, 1, a, &have);
            const bool exact = a[0] == 0x2001 || a[0] == 0x2003 || a[0] == 0x2010 || a[0] == 0x2011 || a[0] == 0x2013 || a[0] == 0x20A9;
            meets = meets && (exact ? have == a[1] : have >= a[1]);
        }
        if (meets) {
            *found = index;
            *count = 1;
            break;
        }
    }
    return TRUE;
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
    std::string chosen;
    return scripted("GLDOUBLE_CHOOSE", &chosen) ? std::atoi(chosen.c_str()) : 7;
}

EXPORT int WINAPI wglDescribePixelFormat(HDC, int format, UINT size, PIXELFORMATDESCRIPTOR* pfd) {
    logLine("DescribePixelFormat %d", format);
    if (scriptedIs("GLDOUBLE_DESCRIBE", "fail")) return 0;
    const std::vector<Format> formats = scriptedFormats();
    if (pfd != nullptr && size >= sizeof *pfd) {
        describeFormat(pfd);
        if (const Format* f = formatAt(formats, format)) {
            pfd->dwFlags = f->flags;
            pfd->cColorBits = static_cast<BYTE>(f->colour);
            pfd->cAlphaBits = static_cast<BYTE>(f->alpha);
            pfd->cDepthBits = static_cast<BYTE>(f->depth);
            pfd->cStencilBits = static_cast<BYTE>(f->stencil);
        }
    }
    return formatCount(formats);
}

EXPORT int WINAPI wglGetPixelFormat(HDC) {
    std::string chosen;
    return scripted("GLDOUBLE_CHOOSE", &chosen) && !scriptedIs("GLDOUBLE_CHOOSE", "fail") ? std::atoi(chosen.c_str()) : 7;
}

EXPORT BOOL WINAPI wglSetPixelFormat(HDC, int format, const PIXELFORMATDESCRIPTOR* pfd) {
    logLine("SetPixelFormat %d color=%u", format, pfd != nullptr ? pfd->cColorBits : 0u);
    return TRUE;
}

namespace {

// The system cursor the thread shows, by name. Shared cursor handles are the
// same within one process only, which is why this is looked at from inside.
const char* cursorName() {
    struct Known {
        const char* name;
        int id;
    };
    const Known known[] = {{"arrow", 32512}, {"ibeam", 32513}, {"wait", 32514}, {"cross", 32515},
                           {"sizenwse", 32642}, {"sizenesw", 32643}, {"sizewe", 32644}, {"sizens", 32645},
                           {"sizeall", 32646}, {"no", 32648}, {"hand", 32649}};
    HCURSOR current = GetCursor();
    for (const Known& k : known) {
        if (current == LoadCursorA(nullptr, MAKEINTRESOURCEA(k.id))) return k.name;
    }
    return current == nullptr ? "none" : "other";
}

BOOL CALLBACK countOwnWindow(HWND window, LPARAM count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(window, countOwnWindow, count);
    }
    return TRUE;
}

// GetGuiResources where the system has it. Wine's answers 0; there the
// process's own handle tables are walked: a GDI handle's low word picks its
// slot, and a USER handle's low word (from 0x20, two per slot) its entry.
void countObjects(unsigned* gdi, unsigned* user) {
    *gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    *user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (*gdi != 0) return;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++*gdi;
    }
    int windows = 0;
    EnumWindows(countOwnWindow, reinterpret_cast<LPARAM>(&windows));
    unsigned menus = 0;
    for (UINT_PTR handle = 0x20; handle < 0x10000; handle += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(handle))) ++menus;
    }
    *user = static_cast<unsigned>(windows) + menus;
}

}  // namespace

EXPORT BOOL WINAPI wglSwapBuffers(HDC) {
    logLine("SwapBuffers");
    std::string request;
    if (scripted("GLDOUBLE_OBSERVE", &request) && DeleteFileA(request.c_str())) {
        unsigned gdi = 0, user = 0;
        countObjects(&gdi, &user);
        // Wine answers 0 here: then the handle table is walked, four apart.
        DWORD handles = 0;
        GetProcessHandleCount(GetCurrentProcess(), &handles);
        DWORD walked = 0;
        for (UINT_PTR h = 4; handles == 0 && h < 0x10000; h += 4) {
            DWORD flags = 0;
            if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++walked;
        }
        if (handles == 0) handles = walked;
        unsigned modules = 0;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
        MODULEENTRY32W module = {};
        module.dwSize = sizeof module;
        for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module)) ++modules;
        if (snapshot != INVALID_HANDLE_VALUE) CloseHandle(snapshot);
        logLine("Observed cursor=%s gdi=%u user=%u handles=%lu modules=%u contexts=%d", cursorName(), gdi, user, handles, modules,
                s_contexts);
    }
    return TRUE;
}

namespace {

// The scripted answer for one GL enum: false when none is scripted.
bool scriptedValues(GLenum name, double out[2]) {
    std::string list;
    if (!scripted("GLDOUBLE_INTEGERS", &list)) return false;
    for (size_t at = 0; at < list.size();) {
        const size_t end = std::min(list.find(',', at), list.size());
        const std::string item = list.substr(at, end - at);
        at = end + 1;
        unsigned long key = 0;
        double a = 0, b = 0;
        const int got = std::sscanf(item.c_str(), "%lx=%lf/%lf", &key, &a, &b);
        if (got >= 2 && key == name) {
            out[0] = a;
            out[1] = got == 3 ? b : 0;
            return true;
        }
    }
    return false;
}

HGLRC const kCoreContext = reinterpret_cast<HGLRC>(static_cast<INT_PTR>(0x6C4));

HGLRC WINAPI createContextAttribs(HDC, HGLRC, const int*) {
    if (scriptedIs("GLDOUBLE_CREATE_ATTRIBS", "fail")) return nullptr;
    logLine("CreateContextAttribs");
    ++s_contexts;
    return kCoreContext;
}

}  // namespace

// Contexts.
EXPORT HGLRC WINAPI wglCreateContext(HDC) {
    std::string driver;
    if (scripted("GLDOUBLE_DRIVER", &driver)) LoadLibraryA(driver.c_str());
    std::string byName;
    if (scripted("GLDOUBLE_LOAD", &byName)) {
        char path[MAX_PATH] = "nothing";
        HMODULE loaded = LoadLibraryA(byName.c_str());
        if (loaded != nullptr) GetModuleFileNameA(loaded, path, MAX_PATH);
        logLine("Loaded %s from %s", byName.c_str(), path);
    }
    if (!doubleHelperReady()) return nullptr;
    if (scriptedIs("GLDOUBLE_CREATE", "fail")) {
        logLine("CreateContext failed");
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    logLine("CreateContext");
    ++s_contexts;
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
    logLine(context == kCoreContext ? "DeleteContext core" : "DeleteContext");
    if (s_current == context) s_current = nullptr;
    if (context == kContext || context == kCoreContext) --s_contexts;
    return context == kContext || context == kCoreContext;
}

EXPORT HGLRC WINAPI wglGetCurrentContext() { return s_current; }
EXPORT HDC WINAPI wglGetCurrentDC() { return s_currentDc; }

// Stands in for every function after 1.1: nothing calls them.
extern "C" void laterStub() {}

// A function of OpenGL after 1.1 as GLDOUBLE_MISSING scripts it: null or the
// number named where it is listed, a function otherwise.
PROC laterFunction(const char* name) {
    bool known = false;
    for (const char* const* n = kLaterFunctions; *n != nullptr; ++n) known = known || std::strcmp(*n, name) == 0;
    if (!known) return nullptr;
    const char* listed = std::getenv("GLDOUBLE_MISSING");
    const std::size_t length = std::strlen(name);
    for (const char* p = listed; p != nullptr && *p != '\0';) {
        const char* end = std::strchr(p, ',');
        const std::size_t item = end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p);
        if (item >= length && std::strncmp(p, name, length) == 0 && (item == length || p[length] == '=')) {
            return item == length ? nullptr : reinterpret_cast<PROC>(static_cast<INT_PTR>(std::atoi(p + length + 1)));
        }
        p = end != nullptr ? end + 1 : nullptr;
    }
    return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(laterStub));
}

EXPORT PROC WINAPI wglGetProcAddress(LPCSTR name) {
    if (std::strcmp(name, "wglCreateContextAttribsARB") == 0) {
        if (scriptedIs("GLDOUBLE_CREATE_ATTRIBS", "missing")) return nullptr;
        return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(createContextAttribs));
    }
    if (std::strcmp(name, "wglGetPixelFormatAttribivARB") == 0) {
        return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(getPixelFormatAttribs));
    }
    if (std::strcmp(name, "wglChoosePixelFormatARB") == 0) {
        return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(choosePixelFormatArb));
    }
    if (std::strncmp(name, "gl", 2) == 0) return laterFunction(name);
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
    case 0x8B8C: text = scriptedString("GLDOUBLE_SHADING", "1.10 Double"); break;  // GL_SHADING_LANGUAGE_VERSION
    default: break;
    }
    return reinterpret_cast<const GLubyte*>(text);
}

EXPORT void WINAPI glGetIntegerv(GLenum name, GLint* params) {
    if (params == nullptr || scriptedIs("GLDOUBLE_INTEGERS", "untouched")) return;
    double values[2] = {0, 0};
    scriptedValues(name, values);
    params[0] = static_cast<GLint>(values[0]);
    if (name == GL_MAX_VIEWPORT_DIMS) params[1] = static_cast<GLint>(values[1]);
}

EXPORT void WINAPI glGetFloatv(GLenum name, GLfloat* params) {
    if (params == nullptr || scriptedIs("GLDOUBLE_INTEGERS", "untouched")) return;
    double values[2] = {0, 0};
    scriptedValues(name, values);
    params[0] = static_cast<GLfloat>(values[0]);
}

namespace {

// What was drawn since the last clear, as much as reading pixels needs: the
// frame is worked out from the cube's angles with the rules the program's
// rendering test predicts with, which the native tests hold against frames
// Mesa really draws.
struct Frame {
    FrameView view;
    GLfloat clear[3] = {0, 0, 0};
    GLfloat background[3] = {0, 0, 0};
    bool translated = false;  // the cube's translation was made: its rotations follow
    int rotations = 0;
    bool drawn = false;
    GLenum error = GL_NO_ERROR;
} s_frame;

}  // namespace

EXPORT GLenum WINAPI glGetError() {
    const GLenum error = s_frame.error;
    s_frame.error = GL_NO_ERROR;
    return error;
}

EXPORT void WINAPI glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    logLine("Viewport %d %d %d %d", x, y, width, height);
    s_frame.view.width = width;
    s_frame.view.height = height;
}

EXPORT void WINAPI glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf) {
    s_frame.clear[0] = r;
    s_frame.clear[1] = g;
    s_frame.clear[2] = b;
}

EXPORT void WINAPI glClear(GLbitfield mask) {
    if ((mask & GL_COLOR_BUFFER_BIT) == 0) return;
    std::copy(s_frame.clear, s_frame.clear + 3, s_frame.background);
    s_frame.drawn = false;
    s_frame.translated = false;
    s_frame.rotations = 0;
}

EXPORT void WINAPI glTranslated(GLdouble, GLdouble, GLdouble) { s_frame.translated = true; }

EXPORT void WINAPI glRotated(GLdouble angle, GLdouble, GLdouble, GLdouble) {
    if (!s_frame.translated) return;  // the light's turn, before the cube's
    (s_frame.rotations++ == 0 ? s_frame.view.angleX : s_frame.view.angleY) = angle;
}

EXPORT void WINAPI glEnd() { s_frame.drawn = !scriptedIs("GLDOUBLE_PIXELS", "nothing"); }

EXPORT void WINAPI glReadBuffer(GLenum) {}

EXPORT void WINAPI glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                                GLvoid* pixels) {
    if (scriptedIs("GLDOUBLE_PIXELS", "unreadable")) {
        s_frame.error = GL_INVALID_OPERATION;
        return;
    }
    const int size = format == GL_RGBA ? 4 : 3;
    if (pixels == nullptr || type != GL_UNSIGNED_BYTE || (format != GL_RGBA && format != GL_RGB)) return;
    auto* out = static_cast<GLubyte*>(pixels);
    const bool swapped = scriptedIs("GLDOUBLE_PIXELS", "swapped");
    const bool undefined = scriptedIs("GLDOUBLE_PIXELS", "undefined");
    for (GLsizei row = 0; row < height; ++row) {
        for (GLsizei column = 0; column < width; ++column, out += size) {
            const int face = s_frame.drawn ? faceAt(s_frame.view, x + column, y + row) : -1;
            for (int c = 0; c < 3; ++c) out[c] = static_cast<GLubyte>(s_frame.background[c] * 255.0f + 0.5f);
            if (face >= 0) {
                int channel = faceChannel(face);
                if (swapped && channel != 1) channel = 2 - channel;
                out[0] = out[1] = out[2] = 0;
                out[channel] = 255;
            }
            if (undefined) out[0] = out[1] = out[2] = 0;
            if (size == 4) out[3] = 255;
        }
    }
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
EXPORT void WINAPI glLightfv(GLenum, GLenum, const GLfloat*) {}
EXPORT void WINAPI glPushMatrix() {}
EXPORT void WINAPI glPopMatrix() {}
EXPORT void WINAPI glMaterialfv(GLenum, GLenum, const GLfloat*) {}
EXPORT void WINAPI glBegin(GLenum) {}
EXPORT void WINAPI glNormal3d(GLdouble, GLdouble, GLdouble) {}
EXPORT void WINAPI glVertex3d(GLdouble, GLdouble, GLdouble) {}
