#include "report/words.h"

#include <cstdio>

const Words& platformWords(unsigned long platformId) {
    static const Words kFamilies[] = {{"Win32s", "Win32s"}, {"95 family", "95"}, {"NT family", "NT"}};
    static const Words kUnknown = {"unknown family", nullptr};
    return platformId < 3 ? kFamilies[platformId] : kUnknown;
}

const Words& bitnessWords(Bitness bitness) {
    static const Words kWords[] = {
        {nullptr, nullptr},
        {"32-bit Windows", "32-bit"},
        {"32-bit program on 64-bit Windows", "32-bit program on 64-bit"},
        {"64-bit Windows", "64-bit"},
    };
    return kWords[static_cast<int>(bitness)];
}

const char* videoMemorySource(VideoMemoryFacts::Source source) {
    switch (source) {
    case VideoMemoryFacts::Source::Nvx: return "GL_NVX_gpu_memory_info";
    case VideoMemoryFacts::Source::Ati: return "GL_ATI_meminfo";
    case VideoMemoryFacts::Source::WineQuery: return "WGL_WINE_query_renderer";
    default: return nullptr;
    }
}

const char* verdictWord(Verdict verdict) {
    switch (verdict) {
    case Verdict::Hardware: return "hardware";
    case Verdict::Software: return "software";
    case Verdict::Generic: return "generic";
    case Verdict::Unknown: return "unknown";
    case Verdict::NotMeasurable: return "not_measurable";
    default: return "none";
    }
}

const char* machineWord(unsigned machine) { return machineName(machine); }

const char* gpuPreferenceWord(long preference) {
    switch (preference) {
    case -1: return "not set";
    case 0: return "let Windows decide";
    case 1: return "power saving";
    case 2: return "high performance";
    default: return "a value Windows does not know";
    }
}

std::string hexId(unsigned id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", id & 0xFFFF);
    return text;
}

std::string grouped(unsigned long value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::size_t missingUpTo(const FunctionCheck& check, GlVersion upTo) {
    std::size_t count = 0;
    for (const MissingFunction& m : check.missing) count += atLeast(upTo, m.version) ? 1 : 0;
    return count;
}

std::string missingFunctionsText(const FunctionCheck& check, GlVersion upTo, std::size_t most) {
    std::string text;
    std::size_t listed = 0;
    for (const MissingFunction& m : check.missing) {
        if (!atLeast(upTo, m.version) || listed == most) continue;
        text += (listed++ > 0 ? ", " : "") + m.name + " (" + versionNumber(m.version) + ")";
    }
    const std::size_t all = missingUpTo(check, upTo);
    if (all > listed) text += ", and " + grouped(all - listed) + " more";
    return text;
}

std::string unresolvedText(const FunctionCheck& check, GlVersion upTo, const char* then, std::size_t most) {
    const std::size_t n = missingUpTo(check, upTo);
    return grouped(n) + (n == 1 ? " of its functions does not resolve" : " of its functions do not resolve") + then +
           missingFunctionsText(check, upTo, most);
}

std::string functionCheckText(const FunctionCheck& c, GlProfile profile) {
    if (!c.checked) return "not checked: no context was made";
    const bool core = profile == GlProfile::Core;
    const std::string claimed = "OpenGL " + versionNumber(c.claimed) + (core ? " core profile" : "");
    std::string reach;
    if (c.reach == FunctionCheck::Reach::RegistryEnds) {
        reach = claimed + " claimed; the registry this program knows goes to " + versionNumber(c.upTo) + ", checked that far: ";
    } else if (c.reach == FunctionCheck::Reach::VersionUnread) {
        reach = "the version string gives no version, so only OpenGL 1.0 and 1.1 are checked: ";
    }
    if (c.missing.empty()) {
        const std::string scope = core ? "the OpenGL " + versionNumber(c.upTo) + " core profile"
                                  : c.upTo == GlVersion{1, 0} ? std::string("OpenGL 1.0")
                                  : c.upTo == GlVersion{1, 1} ? std::string("OpenGL 1.0 and 1.1")
                                                              : "OpenGL 1.0 to " + versionNumber(c.upTo);
        return reach + "every function of " + scope + " resolves (" + grouped(c.resolved) + ")";
    }
    const std::string count = grouped(c.missing.size()) + " of its functions missing: ";
    return (reach.empty() ? claimed + " claimed, " : reach) + count + missingFunctionsText(c, c.upTo, 20);
}
