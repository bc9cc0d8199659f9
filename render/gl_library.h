#pragma once
#include <windows.h>

#include <string>

#include "platform/system_library.h"
#include "render/gl_registry.h"

// Where OpenGL comes from. The program links to no OpenGL library: it loads
// opengl32.dll itself, from the system folder (a copy of that name beside the
// program is never picked up), or from a path the user names, and takes every
// GL and WGL entry point it calls from that one module. The module stays
// loaded for the life of the process.

// The WGL entry points, taken from the module loaded.
struct WglEntryPoints {
    decltype(&::wglCreateContext) createContext;
    decltype(&::wglMakeCurrent) makeCurrent;
    decltype(&::wglDeleteContext) deleteContext;
    decltype(&::wglGetCurrentContext) getCurrentContext;
    decltype(&::wglGetCurrentDC) getCurrentDC;
    decltype(&::wglGetProcAddress) getProcAddress;
};

struct GlLoadResult {
    bool loaded = false;
    DWORD error = 0;                 // the system's error code when the module did not load
    const char* missing = nullptr;   // the first entry point it lacks
};

// The system's opengl32.dll, from the system folder only.
GlLoadResult loadSystemOpenGl();
// An opengl32.dll the user names; its own dependencies come from its folder.
// `fullPath` must be a full path.
GlLoadResult loadOpenGlFrom(const std::wstring& fullPath);

// True once a library has been loaded with every entry point the program needs.
bool openGlLoaded();
// True when that library is the system's own, not one named with --opengl32.
bool openGlIsTheSystems();
// Valid only when openGlLoaded().
const WglEntryPoints& wgl();
// The full path of the library in use; empty when none is loaded.
std::wstring openGlLibraryPath();

// An extension's entry point from the current context, as the type it has;
// null when the implementation does not offer it. Some drivers answer 1, 2, 3
// or -1 for a name they lack: those are null too.
template <typename Function>
Function wglFunction(const char* name) {
    const PROC entry = wgl().getProcAddress(name);
    return isProcAddress(reinterpret_cast<std::uintptr_t>(entry)) ? asFunction<Function>(entry) : nullptr;
}

// Whether an OpenGL function of `version` resolves in the current context:
// 1.0's and 1.1's are the library's exports, later ones wglGetProcAddress's.
bool glFunctionResolves(const char* name, GlVersion version, void* unused);
