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
