// What scripts/check-imports.sh must refuse, built so that its own test can
// show it does: a DLL that is looked for beside the program first (opengl32)
// and a function that Windows XP lacks (GetTickCount64).
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <GL/gl.h>

int main() { return static_cast<int>(GetTickCount64() & 1) + (glGetString(GL_VERSION) != nullptr ? 1 : 0); }
