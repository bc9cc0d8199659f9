// A stand-in for a graphics vendor's installable client driver: the OpenGL
// double loads it when a context is made, so that the report can find the
// module that exports the driver interface and read its version resource.
#include <windows.h>

#define EXPORT extern "C" __declspec(dllexport)

// The driver interface names its contexts by opaque handles.
using DHANDLE = ULONG_PTR;

EXPORT BOOL WINAPI DrvSetContext(HDC, DHANDLE, void*) { return FALSE; }
EXPORT DHANDLE WINAPI DrvCreateContext(HDC) { return 0; }
