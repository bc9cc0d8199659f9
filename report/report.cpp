#include "report/report.h"

namespace {

// The system as the program rules see it.
SystemView systemView(const ReportFacts& f, const std::vector<bool>& renders, Verdict verdict) {
    SystemView view;
    // A driver served this context, or Windows' own did where none was found:
    // either way the registered drivers are what decide.
    view.driversDecide = f.driverModule.found || verdict == Verdict::Generic || verdict == Verdict::None;
    view.toolMachine = f.programMachine;
    view.windows64 = f.bitness == Bitness::Wow64 || f.bitness == Bitness::Windows64 || f.nativeMachine == kMachineX64 ||
                     f.nativeMachine == kMachineArm64;
    view.rolesKnown = f.gpuRolesReported;
    for (std::size_t k = 0; k < f.adapters.size(); ++k) {
        const AdapterFacts& a = f.adapters[k];
        AdapterView adapter;
        adapter.name = a.name;
        adapter.driver = given(a.openGlDriver) ? a.openGlDriver.text : std::string();
        adapter.driverWow = given(a.openGlDriverWow) ? a.openGlDriverWow.text : std::string();
        adapter.toldDriver = a.openGlInfo.reported ? a.openGlInfo.file : std::string();
        adapter.renders = renders[k];
        adapter.primary = a.primary;
        adapter.highPerformance = a.highPerformance;
        adapter.powerSaving = a.powerSaving;
        view.adapters.push_back(adapter);
    }
    return view;
}

}  // namespace

Findings workOutFindings(const ReportFacts& f, const Request& request) {
    Findings found;
    found.implementation = classifyImplementation(f);
    found.virtualMachine = virtualMachine(f.adapters);
    found.rendersOpenGl = renderingAdapters(f);
    found.rendering = renderingResult(f);
    found.layer = translationLayer(f);
    found.summary = summarise(f, found.implementation, found.layer, found.rendering, found.rendersOpenGl);
    if (request.requirements.any()) found.requirements = checkRequirements(request.requirements, f, found.rendering);
    if (f.applicationAsked) found.program = judgeProgram(f.application, systemView(f, found.rendersOpenGl, found.summary.verdict));
    return found;
}
