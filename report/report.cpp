#include "report/report.h"

#include <utility>

Report makeReport(ReportFacts facts, Request request) {
    Report report{std::move(facts), std::move(request), Findings()};
    const ReportFacts& f = report.facts;
    Findings& found = report.findings;
    found.implementation = classifyImplementation(f);
    found.summary = summarise(f, found.implementation);
    found.virtualMachine = virtualMachine(f.adapters);
    for (const AdapterFacts& a : f.adapters) found.rendersOpenGl.push_back(rendersOpenGl(a, f));
    if (report.request.requirements.any()) found.requirements = checkRequirements(report.request.requirements, f);
    return report;
}
