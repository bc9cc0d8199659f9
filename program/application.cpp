#include "program/application.h"

#include <cstdio>

#include "platform/ascii.h"

namespace {

// First builds of Windows on ARM that changed what runs there.
constexpr unsigned long kX64EmulationBuild = 22000;   // Windows 11: x64 programs run emulated
constexpr unsigned long kNoArm32Build = 26100;        // Windows 11 24H2: 32-bit ARM programs no longer run

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

bool isArm32(unsigned machine) { return machine == kMachineArm || machine == kMachineArmNt || machine == 0x01C2; }

// What a program is, for where it runs: its header, or for .NET code alone
// (IL only) in a PE32 file, its CLR header's flags.
enum class Kind { X86, X64, Arm64, Arm32, AnyCpu, AnyCpuArm64, Needs32, Other };

bool ilOnlyPe32(const ProgramImage& image) {
    return image.hasClrHeader && (image.clrFlags & kClrIlOnly) != 0 && !image.plus && image.machine == kMachineX86;
}

Kind kindOf(const ApplicationFacts& p) {
    const ProgramImage& image = p.image;
    if (ilOnlyPe32(image)) {
        if ((image.clrFlags & kClr32BitRequired) != 0) return Kind::Needs32;
        return p.manifestSupportsArm64 ? Kind::AnyCpuArm64 : Kind::AnyCpu;
    }
    if (image.machine == kMachineX86) return Kind::X86;
    if (image.machine == kMachineX64) return Kind::X64;
    if (image.machine == kMachineArm64) return Kind::Arm64;
    if (isArm32(image.machine)) return Kind::Arm32;
    return Kind::Other;
}

// Where each kind of program runs, and as what: the first row for this
// Windows and kind, within its builds, decides; no row, it cannot run.
struct RunsRow {
    unsigned windows;
    Kind kind;
    unsigned process;
    bool emulated;
    unsigned long fromBuild, beforeBuild;  // 0: any
};
const RunsRow kRuns[] = {
    {kMachineX86, Kind::X86, kMachineX86, false, 0, 0},
    {kMachineX86, Kind::AnyCpu, kMachineX86, false, 0, 0},
    {kMachineX86, Kind::AnyCpuArm64, kMachineX86, false, 0, 0},
    {kMachineX86, Kind::Needs32, kMachineX86, false, 0, 0},
    {kMachineX64, Kind::X86, kMachineX86, false, 0, 0},
    {kMachineX64, Kind::AnyCpu, kMachineX64, false, 0, 0},
    {kMachineX64, Kind::AnyCpuArm64, kMachineX64, false, 0, 0},
    {kMachineX64, Kind::Needs32, kMachineX86, false, 0, 0},
    {kMachineX64, Kind::X64, kMachineX64, false, 0, 0},
    {kMachineArm64, Kind::X86, kMachineX86, true, 0, 0},
    {kMachineArm64, Kind::Needs32, kMachineX86, true, 0, 0},
    {kMachineArm64, Kind::X64, kMachineX64, true, kX64EmulationBuild, 0},
    {kMachineArm64, Kind::AnyCpu, kMachineX64, true, kX64EmulationBuild, 0},
    {kMachineArm64, Kind::AnyCpu, kMachineX86, true, 0, kX64EmulationBuild},
    {kMachineArm64, Kind::AnyCpuArm64, kMachineArm64, false, 0, 0},
    {kMachineArm64, Kind::Arm64, kMachineArm64, false, 0, 0},
    {kMachineArm64, Kind::Arm32, kMachineArmNt, false, 0, kNoArm32Build},
};

std::string machineWords(unsigned machine) {
    const char* name = machineName(machine);
    if (name == nullptr) return "not reported";
    if (machine != kMachineX86 && machine != kMachineX64 && machine != kMachineArm64 && !isArm32(machine)) {
        char text[32];
        std::snprintf(text, sizeof text, "machine 0x%04X", machine & 0xFFFF);
        return text;
    }
    return std::string(name) + (is64BitMachine(machine) ? " (64-bit)" : " (32-bit)");
}

const char* windowsWords(unsigned machine) {
    return machine == kMachineX86 ? "32-bit" : machine == kMachineX64 ? "x64" : "ARM64";
}

std::string headerWords(const ApplicationFacts& p) {
    const ProgramImage& image = p.image;
    const std::string machine = machineWords(image.machine);
    if (!image.hasClrHeader) return machine;
    if (!ilOnlyPe32(image)) return machine + " header, .NET";
    const bool needs32 = (image.clrFlags & kClr32BitRequired) != 0;
    if (needs32 && (image.clrFlags & kClr32BitPreferred) != 0) return machine + " header, .NET preferring 32-bit";
    if (needs32) return machine + " header, .NET, 32-bit required";
    return machine + " header, .NET for any CPU" + (p.manifestSupportsArm64 ? " (ARM64 in its manifest)" : "");
}

// Why a kind of program finds no row here.
std::string whyNot(Kind kind, unsigned windows, unsigned long build, const ApplicationFacts& p) {
    const std::string is = "it is an " + std::string(machineName(p.image.machine) != nullptr ? machineName(p.image.machine) : "unknown") +
                           " program, and this is " + windowsWords(windows) + " Windows";
    if (windows == kMachineArm64 && (kind == Kind::X64)) {
        return "x64 programs run on ARM64 Windows from Windows 11 on, and this is build " + std::to_string(build);
    }
    if (windows == kMachineArm64 && kind == Kind::Arm32) return "32-bit ARM programs no longer run on ARM64 Windows from Windows 11 24H2 on";
    if (kind == Kind::Other) {
        return "its machine (" + machineWords(p.image.machine) + ") is not one Windows runs programs of here";
    }
    return is;
}

const char* bitsWord(unsigned machine) { return is64BitMachine(machine) ? "64-bit" : "32-bit"; }

// A 32-bit process on 64-bit Windows reads the Wow value; the others the plain one.
bool readsWow(unsigned process, const SystemView& s) {
    return !is64BitMachine(process) && s.windowsMachine != 0 && s.windowsMachine != kMachineX86;
}

std::string driverFor(unsigned process, const SystemView& s, const AdapterView& a) {
    // What the system tells opengl32 holds for processes like this tool's own.
    if (process == s.toolMachine && !a.toldDriver.empty()) return a.toldDriver;
    return readsWow(process, s) ? a.driverWow : a.driver;
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

bool olderIntel(const std::string& driver) {
    const std::string d = asciiLower(driver);
    return d == "ig4icd32.dll" || d == "ig4icd64.dll" || d.find("\\ig4icd32.dll") != std::string::npos ||
           d.find("\\ig4icd64.dll") != std::string::npos;
}

// The DLL in its own words: the product and company its version resource names.
std::string besideWords(const BesideDll& dll) {
    std::string what = dll.product;
    if (!dll.company.empty() && asciiLower(what).find(asciiLower(dll.company)) == std::string::npos) what += (what.empty() ? "" : ", ") + dll.company;
    if (!dll.version.empty()) what += (what.empty() ? "version " : ", version ") + dll.version;
    return dll.file + (what.empty() ? std::string() : " (" + what + ")");
}

// Why Windows, or Qt, would not load a DLL beside the program; empty: it would.
std::string besideWhyNot(const BesideDll& dll, const ApplicationFacts& p, unsigned process) {
    if (p.inSystemFolder) return "the program is in the system folder, where this is Windows' own";
    if (dll.machine == 0) return "it is no DLL this reads";
    if (process != 0 && dll.machine != process) {
        return "it is " + machineWords(dll.machine) + " and the program runs as " + machineWords(process);
    }
    if (asciiLower(dll.file) == "opengl32sw.dll" && !p.image.importsQt && !p.qtBeside) {
        return "only Qt loads it, and the program uses no Qt";
    }
    return std::string();
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

const char* machineName(unsigned machine) {
    switch (machine) {
    case 0: return nullptr;
    case kMachineX86: return "x86";
    case kMachineX64: return "x64";
    case kMachineArm64: return "ARM64";
    case kMachineArm:
    case 0x01C2:
    case kMachineArmNt: return "ARM";
    default: return "other";
    }
}

bool is64BitMachine(unsigned machine) {
    // IA-64 and the 64-bit Alpha and LoongArch/RISC-V forms are 64-bit too.
    return machine == kMachineX64 || machine == kMachineArm64 || machine == 0x0200 || machine == 0x0284 ||
           machine == 0x6264 || machine == 0x5064;
}

RunsAs runsAs(const ApplicationFacts& p, unsigned windows, unsigned long build) {
    RunsAs runs;
    runs.header = headerWords(p);
    if (p.manifestBroken) {
        // The loader reads the manifest before any code runs, on every Windows.
        runs.runs = false;
        runs.whyNot = std::string("its manifest") + (p.manifestFrom == ApplicationFacts::ManifestFrom::Beside ? " beside it" : "") +
                      " is not well-formed XML, and Windows refuses to start it (a side-by-side configuration error)";
        runs.how = "cannot run here: " + runs.whyNot;
        return runs;
    }
    const Kind kind = kindOf(p);
    if (windows == 0) {
        // Windows unknown: the header's own machine, or x86 for .NET code alone.
        runs.machine = kind == Kind::Other ? 0 : ilOnlyPe32(p.image) ? kMachineX86 : p.image.machine;
        return runs;
    }
    for (const RunsRow& row : kRuns) {
        if (row.windows != windows || row.kind != kind) continue;
        if ((row.fromBuild != 0 && build < row.fromBuild) || (row.beforeBuild != 0 && build >= row.beforeBuild)) continue;
        runs.machine = row.process;
        runs.emulated = row.emulated;
        runs.how = std::string("runs ") + (row.emulated ? "emulated " : "") + "as a " + bitsWord(row.process) + " " +
                   (isArm32(row.process) ? "ARM " : row.emulated ? std::string(machineName(row.process)) + " " : "") + "process here";
        return runs;
    }
    runs.runs = false;
    runs.whyNot = whyNot(kind, windows, build, p);
    runs.how = "cannot run here: " + runs.whyNot;
    return runs;
}

ProgramVerdict judgeProgram(const ApplicationFacts& p, const SystemView& s) {
    ProgramVerdict verdict;
    verdict.runs = runsAs(p, s.windowsMachine, s.windowsBuild);
    const unsigned process = verdict.runs.machine;
    for (const BesideDll& dll : p.beside) verdict.besideWhyNot.push_back(besideWhyNot(dll, p, process));
    if (!verdict.runs.runs) {
        verdict.drivers.assign(s.adapters.size(), std::string());
        verdict.summary = "It cannot run here: " + verdict.runs.whyNot + ".";
        return verdict;
    }
    for (const AdapterView& a : s.adapters) verdict.drivers.push_back(driverFor(process, s, a));
    const AdapterView* runs = openGlAdapter(s);
    const std::string driver = runs != nullptr ? driverFor(process, s, *runs) : std::string();

    for (std::size_t k = 0; k < p.beside.size(); ++k) {
        if (!verdict.besideWhyNot[k].empty()) continue;
        // Windows looks in a program's own folder first: opengl32.dll there
        // is loaded instead of the system's; Qt loads opengl32sw.dll itself.
        verdict.summary = "It most likely gets the " + besideWords(p.beside[k]) + " beside it, not Windows' OpenGL.";
        return verdict;
    }
    if (runs != nullptr && driver.empty() && s.driversDecide) {
        verdict.summary = std::string("Only Windows' built-in OpenGL 1.1: the display adapter ") + quoted(runs->name) +
                          " registers no OpenGL driver for " + bitsWord(process) + " programs.";
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
        const std::string there = driverFor(process, s, *chosen);
        verdict.summary = "It runs on " + quoted(chosen->name) + ", as " + why + ", not on " +
                          (runs != nullptr ? quoted(runs->name) : std::string("the adapter")) +
                          (s.reportShown ? " that this report shows" : " where this tool's OpenGL runs") +
                          (there.empty() ? "; that adapter registers no OpenGL driver for " + std::string(bitsWord(process)) + " programs."
                                         : ", with the OpenGL driver " + there + ".");
        return verdict;
    }
    // Another bitness than this tool's may mean another driver file.
    const std::string own = runs != nullptr ? driverFor(s.toolMachine, s, *runs) : std::string();
    if (s.driversDecide && is64BitMachine(process) != is64BitMachine(s.toolMachine) && !driver.empty() && asciiLower(driver) != asciiLower(own)) {
        verdict.summary = "It gets the OpenGL driver " + driver + " for " + bitsWord(process) + " programs, not " +
                          (own.empty() ? std::string("Windows' built-in OpenGL") : own) + " that this " + bitsWord(s.toolMachine) +
                          " tool gets; the " + bitsWord(process) + " build of this tool shows what that driver gives.";
        return verdict;
    }
    const std::string with = driver.empty() || !s.driversDecide
                                 ? std::string()
                                 : ", with the OpenGL driver " + driver + " for " + bitsWord(process) + " programs";
    if (s.reportShown) {
        verdict.summary = "Nothing known sets it apart: it gets what this report shows" + with + ".";
    } else if (!s.openGl.empty()) {
        // No report beside it: what that OpenGL is, in words.
        verdict.summary = "Nothing known sets it apart: it gets the same OpenGL as this tool, " + s.openGl + with + ".";
    } else {
        verdict.summary = "Nothing known sets it apart, but this tool could not start OpenGL here" +
                          (with.empty() ? std::string(".") : ": it would get the OpenGL driver " + driver + " for " + bitsWord(process) + " programs.");
    }
    return verdict;
}

long parseGpuPreference(const std::string& value) {
    const std::string key = "gpupreference=";
    const std::string text = asciiLower(value);
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

bool isOneOfFolders(const std::string& folder, const std::vector<std::string>& folders) {
    const auto plain = [](std::string f) {
        while (!f.empty() && (f.back() == '\\' || f.back() == '/')) f.pop_back();
        return asciiLower(f);
    };
    const std::string mine = plain(folder);
    for (const std::string& f : folders) {
        if (!f.empty() && plain(f) == mine) return true;
    }
    return false;
}
