#pragma once
#include <windows.h>

#include <string>

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

// A system DLL by name, from the system folder only, never the program's own
// folder; null when it cannot be loaded (GetLastError says why).
HMODULE loadFromSystemFolder(const wchar_t* name);

// The system's opengl32.dll, from the system folder only.
GlLoadResult loadSystemOpenGl();
// An opengl32.dll the user names; its own dependencies come from its folder.
// `fullPath` must be a full path.
GlLoadResult loadOpenGlFrom(const std::wstring& fullPath);

// True once a library has been loaded with every entry point the program needs.
bool openGlLoaded();
// Valid only when openGlLoaded().
const WglEntryPoints& wgl();
// The full path of the library in use; empty when none is loaded.
std::wstring openGlLibraryPath();
