#pragma once
#include <windows.h>

#include "drivers/driver_table.h"
#include "render/gl_surface.h"
#include "report/facts.h"

// Where the report's facts come from: the dialog's two lists, the driver table
// read at start-up and the surface that holds the context.
struct ReportSources {
    HWND extensionList;
    HWND driverList;
    const DriverTable* drivers;
    const GlSurface* surface;
};

// Gathers every fact of the report, when a report is asked for and not
// before. Every GL query runs on the surface's context, which is current again
// afterwards; without a current context the GL facts stay unreported.
ReportFacts collectFacts(const ReportSources& sources);
