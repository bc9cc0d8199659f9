#include "report/report.h"

namespace {

// What Windows runs natively: IsWow64Process2's answer, else the bitness's.
unsigned windowsMachine(const ReportFacts& f) {
    if (f.nativeMachine != 0) return f.nativeMachine;
    switch (f.bitness) {
    case Bitness::Windows32: return kMachineX86;
    case Bitness::Wow64: return kMachineX64;
    case Bitness::Windows64: return f.programMachine;
    default: return 0;
    }
}

// The system as the program rules see it.
SystemView systemView(const ReportFacts& f, const std::vector<bool>& renders, Verdict verdict, bool reportShown) {
    SystemView view;
    // A driver served this context, or Windows' own did where none was found:
    // either way the registered drivers are what decide.
    view.driversDecide = f.driverModule.found || verdict == Verdict::Generic || verdict == Verdict::None;
    // Where OpenGL could not start, only Wine's serving it itself keeps them from deciding.
    if (!f.openGlInitialised) view.driversDecide = !f.session.wine;
    view.toolMachine = f.programMachine;
    view.windowsMachine = windowsMachine(f);
    view.windowsBuild = f.windowsBuild;
    view.rolesKnown = f.gpuRolesReported;
    view.reportShown = reportShown;
    if (f.openGlInitialised && given(f.renderer)) {
        view.openGl = f.renderer.text + (given(f.vendor) ? " (" + f.vendor.text + ")" : std::string()) +
                      (given(f.version) ? ", OpenGL " + f.version.text : std::string());
    }
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
    if (f.applicationAsked) found.program = judgeProgram(f.application, systemView(f, found.rendersOpenGl, found.summary.verdict, request.reportShown));
    return found;
}
