// Writes the report reader's first inputs: reports as this program writes
// them, one with changes, the changes of two alone, and an HTML report.
#include <cstdio>
#include <string>

#include "report/html.h"
#include "report/json.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    ReportFacts f;
    f.madeAt = "2026-12-09T17:00:00Z";
    f.programName = "OpenGL Renderer infos";
    f.vendor = Answer{true, "Vendor \xc3\xa9"};
    f.renderer = Answer{true, "Renderer \"quoted\""};
    f.version = Answer{true, "4.6"};
    f.extensions = {"GL_a", "GL_b", "WGL_c"};
    f.limits[3] = LimitReading{true, true, {8192, 4096}};
    f.adapters.resize(2);
    f.adapters[0].name = "A";
    f.adapters[1].name = "A";
    f.applicationAsked = true;
    f.application.path = "C:\\\\a.exe";
    Report compared = makeReport(f);
    compared.compared = true;
    Change c;
    c.label = "Renderer";
    c.was = "x";
    compared.changes.items.push_back(c);
    compared.changes.extensionsAdded = {"GL_z"};
    const std::string seeds[] = {formatJson(makeReport(f)), formatJson(compared), formatChangesJson(compared.changes),
                                 formatJson(makeReport(ReportFacts())), formatHtml(makeReport(f))};
    int n = 0;
    for (const std::string& s : seeds) {
        std::FILE* file = std::fopen((std::string(argv[1]) + "/seed" + std::to_string(n++)).c_str(), "wb");
        if (file == nullptr) return 1;
        std::fwrite(s.data(), 1, s.size(), file);
        std::fclose(file);
    }
    return 0;
}
