#include "report/requirements.h"

#include "platform/ascii.h"
#include "report/diagnosis.h"
#include "report/words.h"


namespace {

bool digits(const std::string& text, size_t from, size_t to, int* value) {
    if (from >= to || to - from > 2) return false;
    int v = 0;
    for (size_t i = from; i < to; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    *value = v;
    return true;
}


}  // namespace

bool parseRequiredVersion(const std::string& text, RequiredVersion* version) {
    std::string t = asciiLower(text);
    RequiredVersion v;
    if (t.size() > 4 && t.compare(t.size() - 4, 4, "core") == 0) {
        v.core = true;
        t.erase(t.size() - 4);
    }
    const size_t dot = t.find('.');
    if (dot == std::string::npos || !digits(t, 0, dot, &v.major) || !digits(t, dot + 1, t.size(), &v.minor)) return false;
    // OpenGL's versions begin at 1.0; core profiles at 3.2.
    if (v.major < 1 || (v.core && !atLeast(GlVersion{v.major, v.minor}, 3, 2))) return false;
    *version = v;
    return true;
}

std::string requiredVersionText(const RequiredVersion& version) {
    return versionNumber(GlVersion{version.major, version.minor}) + (version.core ? " core profile" : "");
}

RequirementCheck checkRequirements(const Requirements& requirements, const ReportFacts& facts,
                                   const RenderingResult& rendering) {
    RequirementCheck check;
    if (requirements.hasVersion) {
        const RequiredVersion& r = requirements.version;
        const bool made = facts.coreProfile.state == CoreProfileFacts::State::Made;
        const GlVersion have = r.core ? (made ? parseGlVersion(facts.coreProfile.version.text) : GlVersion{})
                                      : parseGlVersion(facts.version.text);
        // A program that needs the version fails on the first function of it that is missing.
        const FunctionCheck& functions = r.core ? facts.coreProfile.functions : facts.functions;
        const GlVersion asked{r.major, r.minor};
        if (!facts.openGlInitialised || have.major == 0 || !atLeast(have, r.major, r.minor)) {
            check.missing.push_back("OpenGL " + requiredVersionText(r));
        } else if (functions.checked && missingUpTo(functions, asked) > 0) {
            check.missing.push_back("OpenGL " + requiredVersionText(r) + " (" + unresolvedText(functions, asked, ": ", 3) + ")");
        }
    }
    for (const std::string& name : requirements.extensions) {
        if (!facts.openGlInitialised ||
            (!hasExtension(facts.glExtensions, name.c_str()) && !hasExtension(facts.wglExtensions, name.c_str()))) {
            check.missing.push_back(name);
        }
    }
    const PixelFormatRequest& pf = requirements.pixelFormat;
    if (pf.asked) {
        const ReportFacts::RequestedFormat& got = facts.requestedFormat;
        const PixelFormatRow* row = nullptr;
        for (const PixelFormatRow& r : facts.pixelFormatTable.rows) {
            if (r.index == got.index) row = &r;
        }
        // The chooser's answer counts where the list shows it meets the request,
        // or where the list, cut short, does not reach it.
        const bool met = facts.openGlInitialised && got.index > 0 &&
                         (row != nullptr ? meetsRequest(*row, pf) : facts.pixelFormatTable.cut);
        // ChoosePixelFormat answers with its closest match, which may miss what
        // another format has: a program that walks the formats finds that one.
        int listed = 0;
        if (!met && facts.openGlInitialised && !got.viaArb) {
            for (const PixelFormatRow& r : facts.pixelFormatTable.rows) {
                if (listed == 0 && meetsRequest(r, pf)) listed = r.index;
            }
        }
        if (met) {
            check.pixelFormat = got.index;
        } else if (listed > 0) {
            check.pixelFormat = listed;
            check.notTheChoosers = true;
        } else {
            check.noFormatHas = attributeNoneMeets(facts.pixelFormatTable, pf);
            check.missing.push_back("pixel format " + pf.text +
                                    (check.noFormatHas.empty() ? std::string() : " (no format has " + check.noFormatHas + ")"));
        }
    }
    // Whatever else is there, OpenGL that does not draw meets nothing.
    if (requirements.any() && rendering.kind == RenderingResult::Kind::Failed) check.missing.push_back("rendering");
    check.met = check.missing.empty();
    // A session that cannot reach a display driver says nothing of the machine.
    if (requirements.any() && !whereNotMeasurable(facts.session).empty()) {
        check.cannotJudge = true;
        check.met = false;
    }
    return check;
}
