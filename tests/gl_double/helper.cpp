// A DLL the OpenGL double imports from its own folder, as a software
// renderer's opengl32.dll needs the DLLs shipped beside it: the double loads
// only if the program lets its folder supply them.
#include <windows.h>

extern "C" __declspec(dllexport) int doubleHelperReady() { return 1; }
