#pragma once
// OpenGL declarations for the drawing rules, without <windows.h>, so that they
// also build natively. On Windows the program links to no opengl32 library:
// the declarations must not be the dllimport ones that <windows.h> sets up,
// and the calls land on the program's own forwarders (render/gl_library.cpp),
// which call the entry points taken from the OpenGL library it loaded.
#if defined(_WIN32)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#undef WINGDIAPI
#define WINGDIAPI
#include <GL/gl.h>
// As <wingdi.h> has it, so that including <windows.h> after this redefines nothing.
#undef WINGDIAPI
#define WINGDIAPI DECLSPEC_IMPORT
#else
#include <GL/gl.h>
#endif
