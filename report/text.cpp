#include "report/text.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "report/words.h"

namespace {

constexpr std::uint32_t kDoubleBuffer = 0x00000001;        // PFD_DOUBLEBUFFER

void line(std::string& out, const std::string& text) {
    out += text;
    out += "\r\n";
}

std::string printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string printed(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string answered(const Answer& answer) { return given(answer) ? answer.text : "not reported"; }

std::string number(const Limit& limit, double value) {
    return limit.isFloat ? printed("%g", value) : printed("%.0f", value);
}

std::string limitText(const Limit& limit, const LimitReading& reading) {
    if (!reading.applies) return "n/a";
    if (!plausible(reading, limit.count, limit.isFloat)) return "not reported";
    std::string text = number(limit, reading.values[0]);
    if (limit.count == 2) text += " x " + number(limit, reading.values[1]);
    return text;
}

std::string mebibytes(const char* what, const LimitReading& kib) {
    return std::string(what) + " " + (plausible(kib) ? printed("%.0f MiB", kib.values[0] / 1024.0) : "not reported");
}

std::string videoMemoryText(const VideoMemoryFacts& v) {
    std::string text;
    switch (v.source) {
    case VideoMemoryFacts::Source::WineQuery:
        text = plausible(v.wineVideoMemory) ? printed("%.0f MiB", v.wineVideoMemory.values[0]) : std::string("not reported");
        break;
    case VideoMemoryFacts::Source::Nvx:
        text = mebibytes("dedicated", v.dedicated) + ", " + mebibytes("total available", v.totalAvailable) + ", " +
               mebibytes("currently available", v.currentAvailable);
        break;
    case VideoMemoryFacts::Source::Ati:
        text = mebibytes("free texture memory", v.atiFreeTexture);
        break;
    default:
        return "not reported";
    }
    return text + " (" + videoMemorySource(v.source) + ")";
}

std::string driverText(const ReportFacts& f) {
    const DriverModuleFacts& d = f.driverModule;
    if (!f.openGlInitialised) return "not reported: no context was made";
    if (!d.found) return "none: opengl32 serves the context itself";
    return d.path + ", version " + (d.version.empty() ? "not reported" : d.version) + ", " +
           (d.company.empty() ? "company not reported" : d.company) + (d.date.empty() ? std::string() : ", dated " + d.date);
}

std::string coreProfileText(const CoreProfileFacts& c) {
    switch (c.state) {
    case CoreProfileFacts::State::Made:
        return answered(c.version) + ", shading language " + answered(c.shadingLanguage);
    case CoreProfileFacts::State::None:
        return "none";
    default:
        return "not offered";
    }
}

std::string adapterLine(const Report& r, std::size_t k) {
    const AdapterFacts& a = r.facts.adapters[k];
    std::string text = "  " + a.name + ": " + (a.primary ? "primary, attached" : a.attached ? "attached" : "not attached");
    const DriverDate date = isoDriverDate(a.driverDate.text);
    text += "; provider " + answered(a.provider) + ", version " + answered(a.driverVersion) + ", date " +
            (!given(a.driverDate) ? std::string("not reported") : date.understood ? date.iso : a.driverDate.text + " (not understood)");
    text += a.memoryReported ? printed("; video memory %" PRIu64 " MiB", static_cast<std::uint64_t>(a.memoryBytes / (1024ull * 1024ull)))
                             : std::string("; video memory not reported");
    text += "; OpenGLDriverName " + answered(a.openGlDriver);
    if (r.facts.bitness == Bitness::Wow64) text += ", OpenGLDriverNameWow " + answered(a.openGlDriverWow);
    text += "; PCI " + (a.vendorId == 0 ? std::string("ids not reported") : hexId(a.vendorId) + ":" + hexId(a.deviceId));
    // What the system itself tells opengl32 for this program's bitness.
    const OpenGlInfoFacts& info = a.openGlInfo;
    text += info.reported ? printed("; OpenGL driver for this bitness, from the system: %s (version %u, flags 0x%X)",
                                    info.file.c_str(), info.version, info.flags)
                          : std::string("; OpenGL driver from the system not reported");
    if (r.facts.gpuRolesReported) {
        text += a.highPerformance && a.powerSaving ? "; DXGI's high-performance and power-saving adapter"
                : a.highPerformance                ? "; DXGI's high-performance adapter"
                : a.powerSaving                    ? "; DXGI's power-saving adapter"
                                                   : "";
    } else {
        text += "; DXGI's GPU preferences not reported";
    }
    if (r.facts.adapters.size() > 1 && r.findings.rendersOpenGl[k]) text += "; OpenGL runs here";
    return text;
}

std::string sessionText(const Report& r) {
    const SessionFacts& s = r.facts.session;
    const std::string& vm = r.findings.virtualMachine;
    std::string text = s.remote ? "remote desktop" : "local";
    text += vm.empty() ? ", no virtual machine recognised" : ", " + vm + " virtual machine";
    if (s.wine) {
        text += ", Wine " + answered(s.wineVersion) + " on " + (s.wineHost.reported ? s.wineHost.text : "a host not reported");
    }
    // Where this runs, where a fact says so.
    if (s.sessionId >= 0) text += printed(", session %ld", s.sessionId);
    if (s.interactiveStation == 0) text += ", window station with no display";
    if (s.disconnected) text += ", disconnected";
    if (const char* account = accountWords(s.account).name) text += std::string(", as ") + account;
    if (s.remoteHardwarePolicy >= 0) {
        text += printed(", remote sessions %s (policy bEnumerateHWBeforeSW = %ld)",
                        s.remoteHardwarePolicy != 0 ? "use the hardware graphics adapters" : "use software graphics",
                        s.remoteHardwarePolicy);
    }
    return text;
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

// "met (OpenGL 3.3, GL_x)" or "not met: missing ...".
std::string requirementsText(const Report& r) {
    const Requirements& asked = r.request.requirements;
    std::string required;
    if (asked.hasVersion) required = "OpenGL " + requiredVersionText(asked.version);
    for (const std::string& e : asked.extensions) required += (required.empty() ? "" : ", ") + e;
    if (asked.pixelFormat.asked) required += (required.empty() ? "" : ", ") + std::string("pixel format ") + asked.pixelFormat.text;
    if (r.findings.requirements.cannotJudge) return "cannot be judged here (" + required + ")";
    if (r.findings.requirements.met) return "met (" + required + ")";
    return "not met: missing " + joined(r.findings.requirements.missing);
}

std::string exportedText(const char* name, const ExportedValue& value) {
    return std::string(name) + (value.exported ? " = " + std::to_string(value.value) : std::string(" not exported"));
}

// The program asked about, and what decides which OpenGL it gets.
void applicationBlock(std::string& out, const Report& r) {
    const ApplicationFacts& a = r.facts.application;
    const RunsAs& runs = r.findings.program.runs;
    line(out, "Application: " + a.path);
    line(out, "  Machine: " + runs.header + (runs.how.empty() ? std::string() : ": " + runs.how));
    const char* from = a.manifestFrom == ApplicationFacts::ManifestFrom::Embedded ? "embedded"
                       : a.manifestFrom == ApplicationFacts::ManifestFrom::Beside ? "beside it"
                                                                                   : nullptr;
    line(out, std::string("  Manifest: ") +
                  (from == nullptr     ? std::string("none")
                   : a.manifestBroken ? std::string(from) + ", not well-formed XML"
                                       : std::string(from) + (a.declaresWindows10 ? ", declares Windows 10" : ", does not declare Windows 10")));
    line(out, "  Exports: " + exportedText("NvOptimusEnablement", a.image.nvOptimusEnablement) + ", " +
                  exportedText("AmdPowerXpressRequestHighPerformance", a.image.amdPowerXpress));
    line(out, std::string("  Imports opengl32.dll: ") + (a.image.importsOpenGl32 ? "yes" : "no"));
    std::string beside;
    for (std::size_t k = 0; k < a.beside.size(); ++k) {
        const BesideDll& dll = a.beside[k];
        const std::string& whyNot = k < r.findings.program.besideWhyNot.size() ? r.findings.program.besideWhyNot[k] : std::string();
        const char* machine = machineWord(dll.machine);
        beside += (beside.empty() ? "" : "; ") + dll.file + " (version " + (dll.version.empty() ? "not reported" : dll.version) +
                  ", " + (dll.company.empty() ? "company not reported" : dll.company) + ", " +
                  (machine != nullptr ? machine : "no DLL this reads") + ")" + (whyNot.empty() ? "" : ", not loaded: " + whyNot);
    }
    line(out, "  OpenGL DLLs beside it: " + (beside.empty() ? std::string("none") : beside));
    line(out, std::string("  GPU preference: ") + gpuPreferenceWord(a.gpuPreference));
    line(out, "  Compatibility layers: " + (a.layers.empty() ? std::string("none") : joined(a.layers)));
    if (!runs.runs) {
        line(out, "  OpenGL driver it loads: none, it cannot run here");
        return;
    }
    line(out, "  OpenGL driver it loads:");
    if (r.facts.adapters.empty()) line(out, "    no display adapter reported");
    for (std::size_t k = 0; k < r.facts.adapters.size(); ++k) {
        const std::string& driver = k < r.findings.program.drivers.size() ? r.findings.program.drivers[k] : std::string();
        line(out, "    " + r.facts.adapters[k].name + ": " + (driver.empty() ? std::string("none registered") : driver));
    }
}

// The format a program's request gets, or what no format has.
std::string requestedFormatText(const Report& r) {
    const PixelFormatRequest& asked = r.request.requirements.pixelFormat;
    const RequirementCheck& check = r.findings.requirements;
    const char* how = r.facts.requestedFormat.viaArb ? "wglChoosePixelFormatARB" : "ChoosePixelFormat";
    if (check.pixelFormat > 0) {
        // The format's own word for acceleration, beside what the report found the renderer to be.
        const char* kind = r.findings.implementation.word;
        const std::string software = asked.accelerated && kind != nullptr && std::string(kind) == "software"
                                         ? "; the format says accelerated, but the renderer is software (see Implementation)"
                                         : std::string();
        const std::string chooser = check.notTheChoosers
                                        ? printed("; %s's closest match, format %d, does not meet it", how, r.facts.requestedFormat.index)
                                        : std::string(" (") + how + ")";
        return asked.text + ": format " + std::to_string(check.pixelFormat) + chooser + software;
    }
    return asked.text + ": none (" + how + ")" +
           (check.noFormatHas.empty() ? std::string(": no format has all of them at once") : ": no format has " + check.noFormatHas);
}

const char* yes(bool value) { return value ? "y" : "-"; }

std::string count(int value) { return value < 0 ? std::string("?") : std::to_string(value); }

// Every pixel format, one row each, as OpenGL information tools print them.
void pixelFormatTable(std::string& out, const ReportFacts& f) {
    const PixelFormatTable& t = f.pixelFormatTable;
    const char* source = t.source == PixelFormatTable::Source::Arb ? "from WGL_ARB_pixel_format"
                         : t.source == PixelFormatTable::Source::Describe ? "from DescribePixelFormat"
                                                                           : "none reported";
    line(out, printed("Pixel format list (%s; %ld formats", source, t.count) +
                  (t.cut ? printed(", the first %d listed", kMostPixelFormats) : std::string()) +
                  (t.arbCount > t.count ? printed("; WGL_ARB_pixel_format knows %ld, the %ld past these for pbuffers alone, not listed",
                                                  t.arbCount, t.arbCount - t.count)
                                        : std::string()) +
                  (t.describedInstead > 0 ? printed(", %d of them from DescribePixelFormat where the ARB query failed", t.describedInstead)
                                          : std::string()) +
                  "):");
    line(out, "  * the dialog's; accel: f full (the driver's own), g generic accelerated, s generic software;");
    line(out, "  draw: w window, b bitmap, p pbuffer; api: o OpenGL, g GDI; db double-buffered, st stereo;");
    line(out, "  swap: x exchange, c copy, u undefined; type: rgba, ci colour index, f float; ms sample buffers/samples;");
    line(out, "  ? not reported");
    line(out, "      id accel draw api db st swap type  col  r  g  b  a dep ste accum aux   ms srgb");
    for (const PixelFormatRow& row : t.rows) {
        const char acc = row.acceleration == PixelFormatRow::Acceleration::Full                 ? 'f'
                         : row.acceleration == PixelFormatRow::Acceleration::GenericAccelerated ? 'g'
                         : row.acceleration == PixelFormatRow::Acceleration::Software           ? 's'
                                                                                                : '?';
        const char* swap = row.swap == PixelFormatRow::Swap::Exchange ? "x" : row.swap == PixelFormatRow::Swap::Copy ? "c"
                           : row.swap == PixelFormatRow::Swap::Undefined                                          ? "u"
                                                                                                                   : "?";
        const char* type = row.type == PixelFormatRow::Type::Rgba ? "rgba" : row.type == PixelFormatRow::Type::ColourIndex ? "ci"
                           : row.type == PixelFormatRow::Type::Float                                                  ? "f"
                                                                                                                       : "?";
        const std::string draw = std::string(row.window ? "w" : "-") + (row.bitmap ? "b" : "-") +
                                 (row.pbuffer < 0 ? "?" : row.pbuffer == 1 ? "p" : "-");
        const std::string api = std::string(row.opengl ? "o" : "-") + (row.gdi ? "g" : "-");
        const std::string ms = count(row.sampleBuffers) + "/" + count(row.samples);
        line(out, printed("  %s %4d   %c   %-4s %-3s %-2s %-2s %-4s %-4s %4s %2s %2s %2s %2s %3s %3s %5s %3s %4s %s",
                          row.index == f.pixelFormat.index ? "*" : " ", row.index, acc, draw.c_str(), api.c_str(),
                          yes(row.doubleBuffer), yes(row.stereo), swap, type, count(row.colour).c_str(), count(row.red).c_str(),
                          count(row.green).c_str(), count(row.blue).c_str(), count(row.alpha).c_str(), count(row.depth).c_str(),
                          count(row.stencil).c_str(), count(row.accum).c_str(), count(row.aux).c_str(), ms.c_str(),
                          row.srgb < 0 ? "?" : row.srgb == 1 ? "y" : "-"));
    }
}

// What this tool's own process is, which decides what OpenGL it gets itself.
std::string toolText(const ReportFacts& f) {
    const ToolFacts& t = f.tool;
    return std::string(f.programMachine == kMachineX64 ? "64-bit" : "32-bit") + ", " +
           (!t.manifestRead ? "its manifest not read" : t.declaresWindows10 ? "its manifest declares Windows 10"
                                                                               : "its manifest declares no Windows 10") +
           ", GPU preference " + gpuPreferenceWord(t.gpuPreference) +
           (f.glRegistry.empty() ? std::string() : ", OpenGL's functions from the Khronos registry " + f.glRegistry);
}

// The report's head: this program, the verdict, what was asked, Windows and the session.
void headLines(std::string& out, const Report& r) {
    const ReportFacts& f = r.facts;
    line(out, "Program: " + f.programName + " " + f.programVersion + " (" + toolText(f) + ")");
    if (!f.madeAt.empty()) line(out, "Made: " + f.madeAt);
    line(out, "Summary: " + r.findings.summary.text);
    if (f.applicationAsked) line(out, "Summary for " + f.application.name + ": " + r.findings.program.summary);
    if (r.compared) out += changesText(r.changes);
    if (r.request.requirements.any()) line(out, "Requirements: " + requirementsText(r));
    // Emulated on ARM64 Windows, the program's own machine is what matters.
    const std::string arm = f.nativeMachine == kMachineArm64 && machineWord(f.programMachine) != nullptr
                                ? std::string(machineWord(f.programMachine)) + " program on ARM64 Windows"
                                : std::string();
    const char* bitness = !arm.empty() ? arm.c_str() : bitnessWords(f.bitness).text;
    line(out, printed("Windows: %lu.%lu build %lu, %s%s%s", f.windowsMajor, f.windowsMinor, f.windowsBuild,
                      platformWords(f.platformId).text, bitness != nullptr ? ", " : "", bitness != nullptr ? bitness : ""));
    line(out, "Session: " + sessionText(r));
    if (f.applicationAsked) applicationBlock(out, r);
}

}  // namespace

std::string requirementsLine(const Report& r) {
    const RequirementCheck& check = r.findings.requirements;
    const Requirements& asked = r.request.requirements;
    // What met it: the core profile's version where one was asked for.
    const std::string format = asked.pixelFormat.asked ? "; pixel format " + requestedFormatText(r) : std::string();
    if (check.cannotJudge) return "OpenGL requirements cannot be judged here. " + r.findings.summary.text;
    if (check.met && asked.hasVersion && asked.version.core) {
        return "OpenGL requirements met: core profile " + r.facts.coreProfile.version.text + format;
    }
    if (check.met) return "OpenGL requirements met: " + r.facts.version.text + format;
    return "OpenGL requirements not met: missing " + joined(check.missing) + ". " + r.findings.summary.text;
}

std::string applicationText(const Report& r) {
    std::string out;
    line(out, "Summary for " + r.facts.application.name + ": " + r.findings.program.summary);
    applicationBlock(out, r);
    return out;
}

std::string extensionsText(const Report& r) {
    const ReportFacts& f = r.facts;
    const std::vector<std::string> names = withoutEmptyRows(f.extensions);
    std::string out;
    line(out, printed("Extensions: %lu (%lu from OpenGL, %lu from WGL)", static_cast<unsigned long>(names.size()),
                      static_cast<unsigned long>(f.glExtensions.size()), static_cast<unsigned long>(f.wglExtensions.size())));
    for (const std::string& name : names) line(out, "  " + name);
    return out;
}

std::string pixelFormatListText(const Report& r) {
    std::string out;
    if (r.request.listPixelFormats) pixelFormatTable(out, r.facts);
    return out;
}

std::string formatReport(const Report& r) { return formatReportFacts(r) + extensionsText(r) + pixelFormatListText(r); }

std::string formatReportFacts(const Report& r) {
    const ReportFacts& f = r.facts;
    std::string out;
    headLines(out, r);
    if (!f.openGlInitialised) line(out, kInitializationFailed);
    line(out, "Vendor: " + answered(f.vendor));
    line(out, "Renderer: " + answered(f.renderer));
    line(out, "Version: " + answered(f.version));
    line(out, "OpenGL library: " + f.openGlLibrary +
                  (f.openGlLibraryProblem.empty() ? std::string() : " (not loaded: " + f.openGlLibraryProblem + ")"));
    const PixelFormatFacts& p = f.pixelFormat;
    line(out, p.index > 0 ? printed("Pixel format: %d, colour %d bits, alpha %d, depth %d, stencil %d, %s", p.index,
                                    p.colourBits, p.alphaBits, p.depthBits, p.stencilBits,
                                    (p.flags & kDoubleBuffer) != 0 ? "double-buffered" : "single-buffered")
                          : std::string("Pixel format: none"));
    const ImplementationKind& kind = r.findings.implementation;
    line(out, kind.word != nullptr ? std::string("Implementation: ") + kind.word + " (" + kind.reason + ")"
                                   : std::string("Implementation: unknown"));
    const RenderingResult& rendering = r.findings.rendering;
    line(out, std::string("Rendering test: ") +
                  (rendering.kind == RenderingResult::Kind::Passed   ? "passed: "
                   : rendering.kind == RenderingResult::Kind::Failed ? "failed: "
                                                                     : "not run: ") +
                  rendering.detail);
    if (f.functions.checked) line(out, "Functions: " + functionCheckText(f.functions, GlProfile::Compatibility));
    line(out, "Drivers (* selected):");
    for (std::size_t k = 0; k < f.driverRows.size(); ++k) {
        line(out, (static_cast<int>(k) == f.selectedDriverRow ? "* " : "  ") + f.driverRows[k]);
    }
    if (f.driverRows.size() <= 1) {
        line(out, "  none registered here; display drivers since Windows Vista register theirs with the adapter "
                  "(see Display adapters)");
    }
    line(out, "Display adapters:");
    if (f.adapters.empty()) line(out, "  none reported");
    for (std::size_t k = 0; k < f.adapters.size(); ++k) line(out, adapterLine(r, k));
    line(out, "OpenGL driver: " + driverText(f));
    line(out, "Shading language: " +
                  (hasShadingLanguage(parseGlVersion(f.version.text)) ? answered(f.shadingLanguage) : std::string("not offered")));
    line(out, "Core profile: " + coreProfileText(f.coreProfile));
    if (f.coreProfile.state == CoreProfileFacts::State::Made) {
        line(out, "Core profile functions: " + functionCheckText(f.coreProfile.functions, GlProfile::Core));
    }
    line(out, "Limits:");
    for (int i = 0; i < kLimitCount; ++i) line(out, std::string("  ") + kLimits[i].label + ": " + limitText(kLimits[i], f.limits[i]));
    line(out, "Video memory: " + videoMemoryText(f.videoMemory));
    const PixelFormatCounts& c = f.pixelFormats;
    // Past the formats read, only the first ones are counted, and the line says so.
    line(out, c.all <= 0                  ? std::string("Pixel formats: none")
              : c.all > kMostPixelFormats ? printed("Pixel formats: %d in all; of the first %d, %d draw to a window with OpenGL, "
                                                    "%d of those a driver's own",
                                                    c.all, kMostPixelFormats, c.windowOpenGl, c.driversOwn)
                                          : printed("Pixel formats: %d in all, %d draw to a window with OpenGL, %d of those a driver's own",
                                                    c.all, c.windowOpenGl, c.driversOwn));
    const PixelFormatTable& table = f.pixelFormatTable;
    const std::string best = bestWindowFormat(table);
    if (!best.empty()) {
        line(out, "Pixel formats at best: " + best + (table.cut ? printed(" (of the first %d)", kMostPixelFormats) : std::string()));
    }
    if (r.request.requirements.pixelFormat.asked) line(out, "Pixel format requested: " + requestedFormatText(r));
    return out;
}
