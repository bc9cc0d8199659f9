#pragma once
#include <windows.h>

#include <string>

#include "drivers/driver_table.h"
#include "render/gl_surface.h"
#include "report/report.h"

// Where the report's facts come from: the dialog's two lists, the driver table
// read at start-up, the surface that holds the context, and how start-up went.
struct ReportSources {
    HWND extensionList = nullptr;
    HWND driverList = nullptr;
    const DriverTable* drivers = nullptr;
    const GlSurface* surface = nullptr;
    bool initialised = true;     // false: no context could be made
    std::string libraryPath;     // the opengl32.dll named that could not be used (UTF-8)
    std::string libraryProblem;  // why it could not; empty when the library is in use
    const ApplicationFacts* application = nullptr;  // the program asked about, read already; null: none
};

// Gathers every fact when a report is asked for, and not before, and makes the
// report of them. Every GL query runs on the surface's context, which is
// current again afterwards; without a current context the GL facts stay
// unreported.
Report gatherReport(const ReportSources& sources, const Request& request);
