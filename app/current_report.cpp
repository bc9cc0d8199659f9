#include "app/current_report.h"

#include "app/app_state.h"
#include "report/html.h"
#include "report/json.h"
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

std::string formatAs(const Report& report, ReportFormat format) {
    return format == ReportFormat::Json ? formatJson(report) : format == ReportFormat::Html ? formatHtml(report) : formatReport(report);
}

std::string currentReport(ReportFormat format) {
    Report report = gatherReport(dialogSources(), Request());
    if (g_mainDialog.comparing) compareWith(g_mainDialog.earlierReport, &report);
    return formatAs(report, format);
}
