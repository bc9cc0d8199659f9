#include "program/application.h"

namespace {

constexpr unsigned kX86 = 0x014C;

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool contains(const std::string& text, const char* piece) { return lower(text).find(piece) != std::string::npos; }

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

bool is64Bit(unsigned machine) { return machine != 0 && machine != kX86; }

// A 32-bit program on 64-bit Windows, x86 ones on ARM64 too, reads the Wow
// value; the others the plain one.
bool readsWow(const ApplicationFacts& p, const SystemView& s) { return p.image.machine == kX86 && s.windows64; }

std::string driverFor(const ApplicationFacts& p, const SystemView& s, const AdapterView& a) {
    // What the system tells opengl32 holds for programs of this tool's own bitness.
    const bool sameBitness = is64Bit(p.image.machine) == is64Bit(s.toolMachine);
    if (sameBitness && !a.toldDriver.empty()) return a.toldDriver;
    return readsWow(p, s) ? a.driverWow : a.driver;
}

// The adapter OpenGL runs on: the one the report found, else the primary one.
const AdapterView* openGlAdapter(const SystemView& s) {
    for (const AdapterView& a : s.adapters) {
        if (a.renders) return &a;
    }
    for (const AdapterView& a : s.adapters) {
        if (a.primary) return &a;
    }
    return s.adapters.empty() ? nullptr : &s.adapters[0];
}

const char* bits(const ApplicationFacts& p) { return is64Bit(p.image.machine) ? "64-bit" : "32-bit"; }

bool olderIntel(const std::string& driver) {
    const std::string d = lower(driver);
    return d == "ig4icd32.dll" || d == "ig4icd64.dll" || d.find("\\ig4icd32.dll") != std::string::npos ||
           d.find("\\ig4icd64.dll") != std::string::npos;
}

std::string besideWords(const BesideDll& dll) {
    const bool mesa = contains(dll.company, "mesa") || contains(dll.product, "mesa") || lower(dll.file) == "opengl32sw.dll";
    std::string what = mesa ? "Mesa, a software renderer" : !dll.product.empty() ? dll.product : dll.company;
    if (!dll.version.empty()) what += (what.empty() ? "version " : " ") + dll.version;
    return dll.file + (what.empty() ? std::string() : " (" + what + ")");
}

// Which adapter its own choice picks, and why; null where it makes none.
const AdapterView* chosenAdapter(const ApplicationFacts& p, const SystemView& s, std::string* why) {
    bool high = false, low = false;
    if (p.gpuPreference == 2) {
        high = true;
        *why = "its GPU preference in Windows' graphics settings is high performance";
    } else if (p.gpuPreference == 1) {
        low = true;
        *why = "its GPU preference in Windows' graphics settings is power saving";
    } else if (p.image.nvOptimusEnablement.exported && p.image.nvOptimusEnablement.value != 0) {
        high = true;
        *why = "it exports NvOptimusEnablement = " + std::to_string(p.image.nvOptimusEnablement.value);
    } else if (p.image.amdPowerXpress.exported && p.image.amdPowerXpress.value != 0) {
        high = true;
        *why = "it exports AmdPowerXpressRequestHighPerformance = " + std::to_string(p.image.amdPowerXpress.value);
    }
    for (const AdapterView& a : s.adapters) {
        if ((high && a.highPerformance) || (low && a.powerSaving)) return &a;
    }
    return nullptr;
}

bool rolesDiffer(const SystemView& s) {
    const AdapterView* high = nullptr;
    const AdapterView* low = nullptr;
    for (const AdapterView& a : s.adapters) {
        if (a.highPerformance) high = &a;
        if (a.powerSaving) low = &a;
    }
    return s.rolesKnown && high != nullptr && low != nullptr && high != low;
}

}  // namespace

ProgramVerdict judgeProgram(const ApplicationFacts& p, const SystemView& s) {
    ProgramVerdict verdict;
    for (const AdapterView& a : s.adapters) verdict.drivers.push_back(driverFor(p, s, a));
    const AdapterView* runs = openGlAdapter(s);
    const std::string driver = runs != nullptr ? driverFor(p, s, *runs) : std::string();

    if (!p.beside.empty()) {
        // Windows looks in a program's own folder first: opengl32.dll there
        // is loaded instead of the system's; Qt loads opengl32sw.dll itself.
        const BesideDll& dll = p.beside.front();
        verdict.summary = "It most likely gets the " + besideWords(dll) + " beside it, not Windows' OpenGL.";
        return verdict;
    }
    if (runs != nullptr && driver.empty() && s.driversDecide) {
        verdict.summary = std::string("Only Windows' built-in OpenGL 1.1: the display adapter ") + quoted(runs->name) +
                          " registers no OpenGL driver for " + bits(p) + " programs.";
        return verdict;
    }
    bool lie = false;
    for (const std::string& layer : p.layers) lie = lie || isVersionLie(layer);
    if (runs != nullptr && s.driversDecide && p.declaresWindows10 && !lie && olderIntel(driver)) {
        verdict.summary = "Only Windows' built-in OpenGL 1.1: its manifest declares Windows 10, and Intel's driver for "
                          "older graphics (" + driver + ") unloads in such programs; a compatibility layer such as "
                          "WIN7RTM undoes it.";
        return verdict;
    }
    std::string why;
    const AdapterView* chosen = rolesDiffer(s) ? chosenAdapter(p, s, &why) : nullptr;
    if (chosen != nullptr && chosen != runs) {
        const std::string there = driverFor(p, s, *chosen);
        verdict.summary = "It runs on " + quoted(chosen->name) + ", as " + why + ", not on " +
                          (runs != nullptr ? quoted(runs->name) : std::string("the adapter")) + " that this report shows" +
                          (there.empty() ? "; that adapter registers no OpenGL driver for " + std::string(bits(p)) + " programs."
                                         : ", with the OpenGL driver " + there + ".");
        return verdict;
    }
    verdict.summary = "Nothing known sets it apart: it gets what this report shows" +
                      (driver.empty() || !s.driversDecide ? std::string(".")
                                                          : ", with the OpenGL driver " + driver + " for " + bits(p) + " programs.");
    return verdict;
}

long parseGpuPreference(const std::string& value) {
    const std::string key = "gpupreference=";
    const std::string text = lower(value);
    std::size_t at = text.find(key);
    if (at == std::string::npos) return -1;
    at += key.size();
    long n = -1;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && n < 1000; ++at) n = (n < 0 ? 0 : n * 10) + (text[at] - '0');
    return n;
}

std::vector<std::string> parseLayers(const std::string& value) {
    std::vector<std::string> layers;
    std::string word;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        const char c = i < value.size() ? value[i] : ' ';
        if (c == ' ' || c == '\t') {
            // "~" (per user) and the flags "$" and "#" stand before the layers.
            if (!word.empty() && word != "~" && word != "$" && word != "#") layers.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return layers;
}
