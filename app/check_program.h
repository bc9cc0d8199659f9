#pragma once
#include <windows.h>

// "Check a program..." (Ctrl+O): the system's Open dialog for a program, then
// a box that says which OpenGL it gets and why. Copy and Save include that
// program from then on, until the dialog closes.
void checkProgram(HWND dialog);
