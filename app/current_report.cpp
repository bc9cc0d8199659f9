#include "app/current_report.h"

#include "app/app_state.h"
#include "report/collect.h"
#include "report/report.h"

std::string currentReport() {
    const ReportSources sources{g_mainDialog.extensionList, g_mainDialog.driverList, &g_driverTable, &g_surface};
    return formatReport(collectFacts(sources));
}
