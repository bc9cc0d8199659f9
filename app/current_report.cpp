#include "app/current_report.h"

#include "app/app_state.h"
#include "report/text.h"

ReportSources dialogSources() {
    ReportSources sources;
    sources.extensionList = g_mainDialog.extensionList;
    sources.driverList = g_mainDialog.driverList;
    sources.drivers = &g_driverTable;
    sources.surface = &g_surface;
    sources.application = g_mainDialog.programChecked ? &g_mainDialog.checkedProgram : nullptr;
    return sources;
}

std::string currentReport() { return formatReport(gatherReport(dialogSources(), Request())); }
