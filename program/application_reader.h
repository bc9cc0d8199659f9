#pragma once
// The glue that reads a program the user names: its file as data (mapped,
// never loaded), a manifest and OpenGL DLLs beside it, and what the registry
// sets for it.
#include <string>

#include "program/application.h"

struct ApplicationReading {
    bool read = false;
    std::string problem;  // why not, in words: "there is no such file", "it is a text file, ..."
    ApplicationFacts facts;
};

ApplicationReading readApplication(const std::wstring& path);

// The GPU preference Windows' graphics settings hold for a program's full
// path; -1 when none is set.
long gpuPreferenceOf(const std::wstring& fullPath);
