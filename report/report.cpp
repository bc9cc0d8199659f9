#include "report/report.h"

Findings workOutFindings(const ReportFacts& f, const Request& request) {
    Findings found;
    found.implementation = classifyImplementation(f);
    found.summary = summarise(f, found.implementation);
    found.virtualMachine = virtualMachine(f.adapters);
    for (const AdapterFacts& a : f.adapters) found.rendersOpenGl.push_back(rendersOpenGl(a, f));
    if (request.requirements.any()) found.requirements = checkRequirements(request.requirements, f);
    return found;
}
