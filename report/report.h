#pragma once
// One report: the facts gathered, what was asked of it, and what the facts
// mean. Made once, by rules that need no Windows; the writers (text, JSON)
// only write what it holds.
#include <string>
#include <utility>
#include <vector>

#include "report/compare.h"
#include "report/diagnosis.h"
#include "report/facts.h"
#include "report/requirements.h"

// What the person or the script asks the report to answer.
struct Request {
    Requirements requirements;  // --require, --require-extension; none: not asked
    // Whether the whole report is shown; false where only what a program gets
    // is (--app alone, the dialog's box), whose words then stand alone.
    bool reportShown = true;
    bool listPixelFormats = false;  // --pixel-formats: every format, in the text and the JSON
};

// What the facts mean, worked out once.
struct Findings {
    Summary summary;
    ImplementationKind implementation;  // a null word: no pixel format in use
    std::string virtualMachine;         // e.g. "VMware"; empty when none is recognised
    std::vector<bool> rendersOpenGl;    // per adapter, in the facts' order
    RenderingResult rendering;          // whether the cube drawn read back as it should
    TranslationLayer layer;             // OpenGL served over Direct3D 12 or Vulkan
    ProgramVerdict program;             // what the program asked about gets; only when one was
    RequirementCheck requirements;      // met when none were asked
};

struct Report {
    ReportFacts facts;
    Request request;
    Findings findings;
    // What changed since an earlier report (--compare FILE, "Compare with a
    // saved report..."); only where `compared`.
    bool compared = false;
    Changes changes;
};

// What the facts mean, for what was asked.
Findings workOutFindings(const ReportFacts& facts, const Request& request);

inline Report makeReport(ReportFacts facts, Request request = Request()) {
    Report report{std::move(facts), std::move(request), Findings(), false, Changes()};
    report.findings = workOutFindings(report.facts, report.request);
    return report;
}
