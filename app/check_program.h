#pragma once
#include <windows.h>

#include "program/application.h"

// "Check a program..." (Ctrl+O): the system's Open dialog for a program, then
// a box that says which OpenGL it gets and why. Copy and Save include that
// program from then on, until the dialog closes.
void checkProgram(HWND dialog);

// The program checked last in this run; null when none was.
const ApplicationFacts* checkedProgram();
