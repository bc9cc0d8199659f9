#include "report/report.h"

Findings workOutFindings(const ReportFacts& f, const Request& request) {
    Findings found;
    found.implementation = classifyImplementation(f);
    found.summary = summarise(f, found.implementation);
    found.virtualMachine = virtualMachine(f.adapters);
    found.rendersOpenGl = renderingAdapters(f);
    found.rendering = renderingResult(f);
    found.layer = translationLayer(f);
    if (request.requirements.any()) found.requirements = checkRequirements(request.requirements, f);
    return found;
}
