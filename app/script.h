#pragma once
#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "platform/output.h"

// --report and --json: the dialog is made but never shown, the report of what
// it gathered is written, and the program ends. No box and no window appear,
// whatever happens; errors go to standard error and the exit code:
// 0 written, 1 OpenGL could not be initialised (the report is still written),
// 3 the file could not be written, 4 a requirement is not met. --require alone
// writes one line that says whether they are met.
// `libraryProblem` says why the opengl32.dll the user named, `libraryPath`,
// is not in use (both UTF-8).
int runScript(HINSTANCE instance, const Options& options, const std::string& libraryPath, const std::string& libraryProblem,
              ScriptStreams& streams);
