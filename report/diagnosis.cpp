#include "report/diagnosis.h"

#include <cstdio>

#include "platform/ascii.h"
#include "report/words.h"

namespace {

constexpr std::uint32_t kGenericFormat = 0x00000040;       // PFD_GENERIC_FORMAT
constexpr std::uint32_t kGenericAccelerated = 0x00001000;  // PFD_GENERIC_ACCELERATED
constexpr unsigned long kUnknownId = 0xFFFFFFFFul;         // what Wine answers for ids it does not know

bool contains(const std::string& text, const char* piece) { return asciiLower(text).find(asciiLower(piece)) != std::string::npos; }

// The renderer without what drivers add after a slash: "NVIDIA GeForce RTX 3060/PCIe/SSE2".
std::string rendererName(const ReportFacts& f) {
    if (!f.renderer.reported) return std::string();
    std::string name = f.renderer.text.substr(0, f.renderer.text.find('/'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

// " on NVIDIA GeForce RTX 3060", or the words for a renderer without a name.
std::string onRenderer(const ReportFacts& f) {
    const std::string name = rendererName(f);
    return name.empty() ? " on a renderer that gives no name" : " on " + name;
}

// An adapter by its name, and by its place in the list where another has the same name.
std::string adapterLabel(const ReportFacts& f, const AdapterFacts& a) {
    int same = 0;
    for (const AdapterFacts& other : f.adapters) same += other.name == a.name ? 1 : 0;
    const std::string label = "\"" + a.name + "\"";
    if (same < 2) return label;
    return label + " (adapter " + std::to_string(&a - f.adapters.data() + 1) + ")";
}

std::string versionWords(const std::string& versionText) {
    const GlVersion v = parseGlVersion(versionText);
    if (v.major == 0) return "OpenGL";
    return "OpenGL " + versionNumber(v);
}

// A version claimed whose functions are not all there: a program that trusts
// the version fails on the first one it calls.
std::string missingFunctionsWords(const FunctionCheck& c, const char* who) {
    if (!c.checked || c.missing.empty()) return std::string();
    const std::string count = unresolvedText(c, c.upTo, " (", 3) + ").";
    if (c.reach == FunctionCheck::Reach::VersionUnread) return " " + std::string(who) + " does not fully have OpenGL 1.1: " + count;
    return " " + std::string(who) + " claims OpenGL " + versionNumber(c.claimed) + " but does not fully have it: " + count;
}

bool isGeneric(const ReportFacts& f) { return f.openGlInitialised && contains(f.renderer.text, "GDI Generic"); }

// A display adapter Windows installs when no vendor's driver is there.
bool isBasicAdapter(const AdapterFacts& a) {
    return contains(a.name, "Microsoft Basic Display Adapter") || contains(a.name, "Microsoft Basic Render Driver") ||
           contains(a.name, "Standard VGA Graphics Adapter");
}

const AdapterFacts* firstAdapter(const ReportFacts& f, bool (*test)(const AdapterFacts&, const ReportFacts&)) {
    for (const AdapterFacts& a : f.adapters) {
        if (test(a, f)) return &a;
    }
    return nullptr;
}

bool onArm64(const ReportFacts& f) { return f.nativeMachine == kMachineArm64; }

// Virtual display adapters that streaming and second-screen tools install: the
// desktop on one has no OpenGL driver, or OpenGL lands on another GPU.
const char* virtualDisplay(const AdapterFacts& a) {
    static const char* const kKnown[][2] = {
        {"Parsec Virtual Display", "Parsec"},
        {"IddSampleDriver", "the indirect display sample driver"},
        {"Indirect Display", "an indirect display driver"},
        {"spacedesk", "spacedesk"},
        {"USB Mobile Monitor Virtual Display", "usbmmidd"},
        {"usbmmidd", "usbmmidd"},
    };
    for (const auto& known : kKnown) {
        if (contains(a.name, known[0])) return known[1];
    }
    return nullptr;
}

// The OpenGL driver a program of this bitness loads for the adapter: what the
// system tells opengl32 where it says, else the registry's value for that
// bitness (the Wow one for a 32-bit program on 64-bit Windows, ARM64's too).
std::string driverFor(const AdapterFacts& a, const ReportFacts& f) {
    if (a.openGlInfo.reported) return a.openGlInfo.file;
    const Answer& value = f.bitness == Bitness::Wow64 ? a.openGlDriverWow : a.openGlDriver;
    return given(value) ? value.text : std::string();
}

// A vendor's driver that names no OpenGL driver of its own. On Windows on ARM
// no vendor ships one, and saying so would send people after drivers that do
// not exist.
bool registersNoOpenGl(const AdapterFacts& a, const ReportFacts& f) {
    return !onArm64(f) && a.attached && virtualDisplay(a) == nullptr && a.provider.reported && !contains(a.provider.text, "Microsoft") &&
           driverFor(a, f).empty() && !(f.bitness == Bitness::Wow64 && given(a.openGlDriver));
}

// A driver that registers OpenGL for 64-bit programs only: 32-bit ones get Windows' own.
bool registers64BitOnly(const AdapterFacts& a, const ReportFacts& f) {
    return !onArm64(f) && a.attached && f.bitness == Bitness::Wow64 && driverFor(a, f).empty() && given(a.openGlDriver);
}

// A driver registered for this bitness, while opengl32 served the context itself.
bool registeredButNotLoaded(const AdapterFacts& a, const ReportFacts& f) {
    return !onArm64(f) && a.attached && f.openGlInitialised && !f.driverModule.found && !driverFor(a, f).empty();
}

bool onVirtualDisplay(const AdapterFacts& a, const ReportFacts&) { return a.attached && virtualDisplay(a) != nullptr; }

std::string virtualDisplayWords(const ReportFacts& f) {
    const AdapterFacts* a = firstAdapter(f, onVirtualDisplay);
    return "the desktop is on the virtual display adapter " + adapterLabel(f, *a) + " (" + virtualDisplay(*a) + ")";
}

// Mesa's system-wide deployment registers mesadrv.dll in the drivers key; a
// value switched off (its name after a "~", as this program's switch leaves
// it) serves nothing.
const std::pair<std::string, std::string>* mesaSystemWide(const ReportFacts& f) {
    for (const auto& value : f.driverValues) {
        if (!value.first.empty() && value.first[0] == '~') continue;
        const std::string data = asciiLower(value.second);
        const std::string name = "mesadrv.dll";
        if (data.size() >= name.size() && data.compare(data.size() - name.size(), name.size(), name) == 0 &&
            (data.size() == name.size() || data[data.size() - name.size() - 1] == '\\')) {
            return &value;
        }
    }
    return nullptr;
}

const char* kRemotePolicy = "\"Use hardware graphics adapters for all Remote Desktop Services sessions\"";

std::string wineWords(const ReportFacts& f) {
    return f.session.wine ? "Wine " + (f.session.wineVersion.reported ? f.session.wineVersion.text : std::string("(version not reported)"))
                          : std::string();
}

struct VmRule {
    const char* name;
    const char* adapterWords[3];
    unsigned vendorIds[3];
};
const VmRule kVirtualMachines[] = {
    {"VMware", {"VMware", nullptr}, {0x15AD, 0}},
    {"VirtualBox", {"VirtualBox", nullptr}, {0x80EE, 0}},
    {"Hyper-V", {"Hyper-V", nullptr}, {0x1414, 0}},
    {"QEMU", {"QXL", "virtio", "QEMU"}, {0x1AF4, 0x1B36, 0x1234}},
    {"Parallels", {"Parallels", nullptr}, {0x1AB8, 0}},
};

const AdapterFacts* virtualAdapter(const std::vector<AdapterFacts>& adapters, const char** vm) {
    for (const AdapterFacts& a : adapters) {
        for (const VmRule& rule : kVirtualMachines) {
            bool found = false;
            for (const char* word : rule.adapterWords) found = found || (word != nullptr && contains(a.name, word));
            for (unsigned id : rule.vendorIds) found = found || (id != 0 && a.vendorId == id);
            if (found) {
                *vm = rule.name;
                return &a;
            }
        }
    }
    return nullptr;
}

bool hasBasicAdapter(const AdapterFacts& a, const ReportFacts&) { return a.attached && isBasicAdapter(a); }

std::string basicAdapterWords(const ReportFacts& f) {
    return "the display adapter " + adapterLabel(f, *firstAdapter(f, hasBasicAdapter)) + " has no vendor driver installed.";
}

std::string noOpenGlWords(const ReportFacts& f) {
    const AdapterFacts* a = firstAdapter(f, registersNoOpenGl);
    return "the display adapter " + adapterLabel(f, *a) + " has a driver by " + a->provider.text +
           " that registers no OpenGL driver.";
}

std::string only64BitWords(const ReportFacts& f) {
    const AdapterFacts* a = firstAdapter(f, registers64BitOnly);
    return "the display adapter " + adapterLabel(f, *a) + " registers an OpenGL driver for 64-bit programs only (" +
           a->openGlDriver.text +
           "), so 32-bit programs get Windows' own; the 64-bit build, gl-renderer-info-x64.exe, shows what 64-bit "
           "programs get.";
}

std::string notLoadedWords(const ReportFacts& f) {
    const AdapterFacts* a = firstAdapter(f, registeredButNotLoaded);
    return "the display adapter " + adapterLabel(f, *a) + " registers the OpenGL driver " + driverFor(*a, f) +
           ", which did not load.";
}

std::string remoteWords(const ReportFacts& f, Verdict v) {
    if (v == Verdict::Hardware) {
        return f.session.remoteHardwarePolicy == 1
                   ? std::string("This is a remote desktop session, with the policy ") + kRemotePolicy + " set."
                   : std::string("This is a remote desktop session.");
    }
    if (f.session.remoteHardwarePolicy == 1) {
        return std::string("This is a remote desktop session, with the policy ") + kRemotePolicy +
               " set, yet no driver's OpenGL serves it.";
    }
    return std::string("This is a remote desktop session, where Windows offers no driver's OpenGL unless the policy ") +
           kRemotePolicy + " (bEnumerateHWBeforeSW) is set.";
}

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// The causes a fact can show, in the order they are named. The first that
// holds and can say why only Windows' own OpenGL is there ends the generic
// summary's first sentence; every other one that holds adds its sentence for
// the verdict, if it has one.
// ChoosePixelFormat gave the generic format while the driver offers one of
// its own that meets the same request: a cause of software rendering of its own.
int betterFormat(const ReportFacts& f) {
    return f.openGlInitialised ? ownFormatInsteadOfGeneric(f.pixelFormatTable, f.pixelFormat.index) : 0;
}

std::string betterFormatWords(const ReportFacts& f) {
    return "ChoosePixelFormat gave this tool the generic format " + std::to_string(f.pixelFormat.index) +
           ", although the driver's own format " + std::to_string(betterFormat(f)) + " meets the same request.";
}

struct Cause {
    bool (*holds)(const ReportFacts&);
    std::string (*why)(const ReportFacts&);  // null: it cannot explain the generic case
    std::string (*sentence)(const ReportFacts&, Verdict);
};

const Cause kCauses[] = {
    {onArm64,
     [](const ReportFacts&) {
         return std::string("no vendor ships a desktop OpenGL driver for Windows on ARM; Microsoft's OpenCL and OpenGL "
                            "Compatibility Pack, from the Microsoft Store, provides OpenGL over Direct3D 12.");
     },
     [](const ReportFacts&, Verdict) { return std::string(); }},
    {[](const ReportFacts& f) { return betterFormat(f) > 0; }, betterFormatWords,
     [](const ReportFacts& f, Verdict) { return betterFormatWords(f); }},
    {[](const ReportFacts& f) { return !onArm64(f) && firstAdapter(f, hasBasicAdapter) != nullptr; }, basicAdapterWords,
     [](const ReportFacts& f, Verdict v) { return v == Verdict::Hardware ? std::string() : capitalised(basicAdapterWords(f)); }},
    {[](const ReportFacts& f) { return !virtualMachine(f.adapters).empty(); },
     [](const ReportFacts& f) {
         const char* vm = nullptr;
         const AdapterFacts* a = virtualAdapter(f.adapters, &vm);
         return "the display adapter " + adapterLabel(f, *a) + " is a " + vm + " virtual machine's, and no OpenGL driver serves it.";
     },
     [](const ReportFacts& f, Verdict) {
         const char* vm = nullptr;
         const AdapterFacts* a = virtualAdapter(f.adapters, &vm);
         return std::string("This is a ") + vm + " virtual machine (display adapter " + adapterLabel(f, *a) + ").";
     }},
    {[](const ReportFacts& f) { return firstAdapter(f, onVirtualDisplay) != nullptr; },
     [](const ReportFacts& f) { return virtualDisplayWords(f) + ", which has no OpenGL driver of its own."; },
     [](const ReportFacts& f, Verdict) {
         return capitalised(virtualDisplayWords(f)) + ", where OpenGL fails or runs on another GPU.";
     }},
    {[](const ReportFacts& f) { return firstAdapter(f, registers64BitOnly) != nullptr; }, only64BitWords,
     [](const ReportFacts& f, Verdict v) { return v == Verdict::Generic ? capitalised(only64BitWords(f)) : std::string(); }},
    {[](const ReportFacts& f) { return firstAdapter(f, registeredButNotLoaded) != nullptr; }, notLoadedWords,
     [](const ReportFacts& f, Verdict v) { return v == Verdict::Generic ? capitalised(notLoadedWords(f)) : std::string(); }},
    {[](const ReportFacts& f) { return firstAdapter(f, registersNoOpenGl) != nullptr; }, noOpenGlWords,
     [](const ReportFacts& f, Verdict v) { return v == Verdict::Hardware ? std::string() : capitalised(noOpenGlWords(f)); }},
    {[](const ReportFacts& f) { return f.session.remote; }, nullptr, remoteWords},
    {[](const ReportFacts& f) { return mesaSystemWide(f) != nullptr; }, nullptr,
     [](const ReportFacts& f, Verdict) {
         return "Mesa is installed system-wide: the OpenGL drivers value \"" + mesaSystemWide(f)->first + "\" names " +
                mesaSystemWide(f)->second + ", which serves OpenGL where no vendor's driver does.";
     }},
    // A frame drawn on a format without depth bits is drawn without depth testing.
    {[](const ReportFacts& f) { return f.openGlInitialised && f.pixelFormat.index > 0 && f.pixelFormat.depthBits == 0; }, nullptr,
     [](const ReportFacts& f, Verdict) {
         return "The dialog's pixel format " + std::to_string(f.pixelFormat.index) +
                " has no depth buffer, so the cube is drawn without depth testing.";
     }},
    // Where a version is named, the first sentence names Wine too.
    {[](const ReportFacts& f) { return f.session.wine; }, nullptr,
     [](const ReportFacts& f, Verdict v) {
         return v == Verdict::Generic || v == Verdict::None ? "This runs under " + wineWords(f) + "." : std::string();
     }},
};

// " over Direct3D 12 (Microsoft's OpenCL and OpenGL Compatibility Pack 1.2302.1.0)"
std::string overLayer(const TranslationLayer& layer) {
    if (layer.over == nullptr) return std::string();
    return std::string(" over ") + layer.over + " (" + layer.by + (layer.version.empty() ? "" : " " + layer.version) + ")";
}

// "This machine has 2 display adapters; OpenGL runs on "A", not on "B"."
std::string adaptersSentence(const ReportFacts& f, const std::vector<bool>& renders) {
    if (f.adapters.size() < 2) return std::string();
    const AdapterFacts* runs = nullptr;
    std::string others;
    for (std::size_t k = 0; k < f.adapters.size(); ++k) {
        if (renders[k]) {
            runs = &f.adapters[k];
        } else {
            others += (others.empty() ? "" : " or ") + adapterLabel(f, f.adapters[k]);
        }
    }
    if (runs == nullptr) return std::string();
    return "This machine has " + std::to_string(f.adapters.size()) + " display adapters; OpenGL runs on " +
           adapterLabel(f, *runs) + ", not on " + others + ".";
}

}  // namespace

TranslationLayer translationLayer(const ReportFacts& f) {
    TranslationLayer layer;
    if (!f.openGlInitialised || !given(f.renderer)) return layer;
    const std::string& renderer = f.renderer.text;
    const std::size_t open = renderer.find('(');
    const std::size_t close = renderer.rfind(')');
    const std::string device = open != std::string::npos && close != std::string::npos && close > open
                                   ? renderer.substr(open + 1, close - open - 1)
                                   : std::string();
    if (renderer.compare(0, 5, "D3D12") == 0 && contains(f.vendor.text, "Microsoft")) {
        layer.over = "Direct3D 12";
        layer.by = "Microsoft's OpenCL and OpenGL Compatibility Pack";
        layer.device = device;
        // ...\WindowsApps\Microsoft.D3DMappingLayers_1.2302.1.0_x64__8wekyb3d8bbwe\...\OpenGLOn12.dll
        const std::string package = "microsoft.d3dmappinglayers_";
        const std::string path = asciiLower(f.driverModule.path);
        const std::size_t at = path.find(package);
        if (f.driverModule.found && at != std::string::npos) {
            const std::size_t from = at + package.size();
            layer.version = f.driverModule.path.substr(from, f.driverModule.path.find('_', from) - from);
        }
    } else if (asciiLower(renderer).compare(0, 4, "zink") == 0) {
        layer.over = "Vulkan";
        layer.by = "Mesa's Zink";
        layer.device = device;
    }
    return layer;
}

RenderingResult renderingResult(const ReportFacts& f) {
    RenderingResult result;
    const std::string where = whereNotMeasurable(f.session);
    if (!where.empty()) {
        result.detail = "OpenGL cannot be measured " + where;
        return result;
    }
    const FrameReading& read = f.renderingTest;
    switch (read.state) {
    case FrameReading::State::NotRun:
        result.detail = !read.notRunBecause.empty() ? read.notRunBecause
                        : f.openGlInitialised  ? "the context was not current"
                                               : "no context was made";
        break;
    case FrameReading::State::ReadFailed: {
        char code[16];
        std::snprintf(code, sizeof code, "0x%04X", read.glError);
        result.kind = RenderingResult::Kind::Failed;
        result.detail = std::string("reading pixels failed: GL error ") + code;
        break;
    }
    case FrameReading::State::Read: {
        const FrameJudgement judged = judgeFrame(read.samples);
        result.kind = judged.kind == FrameJudgement::Kind::Passed ? RenderingResult::Kind::Passed : RenderingResult::Kind::Failed;
        result.detail = judged.detail;
        break;
    }
    }
    return result;
}

const char* softwareRasteriser(const std::string& renderer) {
    static const char* const kKnown[] = {
        "GDI Generic", "llvmpipe",       "softpipe",      "swrast",  "Software Rasterizer", "SwiftShader",
        "Microsoft Basic Render Driver", "Mesa X11",      "Mesa OffScreen", "Apple Software Renderer", "lavapipe",
    };
    for (const char* name : kKnown) {
        if (contains(renderer, name)) return name;
    }
    return nullptr;
}

ImplementationKind classifyImplementation(const ReportFacts& f) {
    ImplementationKind kind;
    if (!f.openGlInitialised) return kind;
    // Without a pixel format only the renderer's own words can tell.
    const std::uint32_t flags = f.pixelFormat.index > 0 ? f.pixelFormat.flags : 0;
    std::string software;
    const auto add = [&software](const std::string& reason) { software += (software.empty() ? "" : "; ") + reason; };
    if ((flags & kGenericFormat) != 0 && (flags & kGenericAccelerated) == 0) add("the generic format, not accelerated");
    if (const char* rasteriser = softwareRasteriser(f.renderer.text)) add(std::string(rasteriser) + " is a software rasteriser");
    const RendererQueryFacts& q = f.rendererQuery;
    if (q.offered && q.accelerated.reported && q.accelerated.values[0] == 0) {
        add("WGL_WINE_query_renderer says it is not accelerated");
    }
    if (!software.empty()) {
        kind.word = "software";
        kind.reason = software;
    } else if (f.pixelFormat.index <= 0) {
        return kind;
    } else if ((flags & kGenericFormat) != 0) {
        kind.word = "accelerated";
        kind.reason = "generic format, accelerated by a driver";
    } else {
        kind.word = "hardware";
        kind.reason = "an OpenGL driver's own format";
    }
    return kind;
}

std::string whereNotMeasurable(const SessionFacts& s) {
    std::string where;
    const auto add = [&where](const char* place) { where += (where.empty() ? "in " : " and in ") + std::string(place); };
    if (s.sessionId == 0) add("session 0");
    if (s.interactiveStation == 0) add("a window station with no display");
    if (s.disconnected) add("a disconnected remote session");
    const char* account = accountWords(s.account).name;
    if (account != nullptr) where += (where.empty() ? "as " : " as ") + std::string(account);
    return where;
}

Summary summarise(const ReportFacts& f, const ImplementationKind& kind, const TranslationLayer& layer,
                  const RenderingResult& rendering, const std::vector<bool>& rendersOpenGl) {
    Summary summary;
    // Here nothing tells the machine's OpenGL: no driver or adapter is blamed.
    const std::string where = whereNotMeasurable(f.session);
    if (!where.empty()) {
        summary.verdict = Verdict::NotMeasurable;
        summary.text = "OpenGL cannot be measured here: this runs " + where +
                       ", where Windows gives every program only its built-in OpenGL 1.1. Run it in the user's session.";
        return summary;
    }
    std::string first;
    const std::string word = kind.word != nullptr ? kind.word : "";
    if (!f.openGlInitialised) {
        summary.verdict = Verdict::None;
        if (f.openGlLibraryProblem.empty()) {
            first = "OpenGL could not be initialised: no pixel format or context could be made.";
        } else {
            std::string problem = f.openGlLibraryProblem;
            if (!problem.empty() && problem.back() == '.') problem.pop_back();
            first = "OpenGL could not be initialised: the OpenGL library " + f.openGlLibrary + " could not be used: " + problem + ".";
        }
    } else if (isGeneric(f)) {
        summary.verdict = Verdict::Generic;
        first = "Only Windows' built-in OpenGL 1.1, in software: ";
    } else if (word == "software") {
        summary.verdict = Verdict::Software;
        const char* rasteriser = softwareRasteriser(f.renderer.text);
        const std::string name = rasteriser != nullptr ? rasteriser : rendererName(f);
        first = versionWords(f.version.text) + " in software" + (name.empty() ? "" : " (" + name + ")") + overLayer(layer) +
                (f.session.wine ? ", under " + wineWords(f) : std::string()) + ".";
    } else if (word.empty()) {
        // A context with no pixel format in use: nothing shows how it is served.
        summary.verdict = Verdict::Unknown;
        first = versionWords(f.version.text) + onRenderer(f) + "; whether in hardware is not known: no pixel format is in use.";
    } else {
        summary.verdict = Verdict::Hardware;
        first = versionWords(f.version.text) +
                (layer.over != nullptr && !layer.device.empty() ? " on " + layer.device : onRenderer(f)) + overLayer(layer) +
                ", ";
        first += word == "accelerated" ? "accelerated by the display driver through Windows' generic implementation"
                                       : std::string("in hardware");
        if (f.driverModule.found && layer.over == nullptr) first += ", by the graphics vendor's driver";
        if (f.session.wine) first += ", under " + wineWords(f);
        const GlVersion core = parseGlVersion(f.coreProfile.version.text);
        if (f.coreProfile.state == CoreProfileFacts::State::Made && core.major > 0) {
            first += "; core profile " + std::to_string(core.major) + "." + std::to_string(core.minor);
        }
        first += ".";
    }

    bool explained = summary.verdict != Verdict::Generic;
    std::string more;
    // Strings that read well prove nothing when nothing draws.
    if (rendering.kind == RenderingResult::Kind::Failed) more += " The rendering test failed: " + rendering.detail + ".";
    if (f.openGlInitialised) more += missingFunctionsWords(f.functions, "The driver");
    if (f.coreProfile.state == CoreProfileFacts::State::Made) more += missingFunctionsWords(f.coreProfile.functions, "Its core profile");
    for (const Cause& cause : kCauses) {
        if (!cause.holds(f)) continue;
        if (!explained && cause.why != nullptr) {
            first += cause.why(f);
            explained = true;
            continue;
        }
        const std::string sentence = cause.sentence(f, summary.verdict);
        if (!sentence.empty()) more += " " + sentence;
    }
    if (!explained) first += "no graphics driver provides OpenGL here.";
    if (summary.verdict == Verdict::Hardware || summary.verdict == Verdict::Unknown) {
        const std::string adapters = adaptersSentence(f, rendersOpenGl);
        if (!adapters.empty()) more += " " + adapters;
    }
    summary.text = first + more;
    return summary;
}

std::vector<bool> renderingAdapters(const ReportFacts& f) {
    std::vector<bool> renders;
    int count = 0;
    for (const AdapterFacts& a : f.adapters) {
        renders.push_back(rendersOpenGl(a, f));
        count += renders.back() ? 1 : 0;
    }
    // Two that match alike (one name, or the same card twice): which one
    // renders is not known, and none is named.
    if (count > 1) renders.assign(renders.size(), false);
    return renders;
}

std::string virtualMachine(const std::vector<AdapterFacts>& adapters) {
    const char* vm = nullptr;
    return virtualAdapter(adapters, &vm) != nullptr ? vm : "";
}

bool rendersOpenGl(const AdapterFacts& a, const ReportFacts& f) {
    if (!f.openGlInitialised || !given(f.renderer)) return false;
    const RendererQueryFacts& q = f.rendererQuery;
    const bool queryIds = q.offered && q.vendorId.reported && q.deviceId.reported && q.vendorId.values[0] != 0 &&
                          q.vendorId.values[0] != kUnknownId;
    if (queryIds && a.vendorId != 0) {
        return a.vendorId == q.vendorId.values[0] && a.deviceId == q.deviceId.values[0];
    }
    const std::string renderer = asciiLower(rendererName(f));
    const std::string name = asciiLower(a.name);
    return name.size() >= 4 && !renderer.empty() && (renderer.find(name) != std::string::npos || name.find(renderer) != std::string::npos);
}

void parsePciIds(const std::string& deviceId, unsigned* vendor, unsigned* device) {
    *vendor = *device = 0;
    const std::string id = asciiLower(deviceId);
    const auto hex = [&id](const char* key) -> unsigned {
        const size_t at = id.find(key);
        if (at == std::string::npos) return 0;
        unsigned value = 0;
        int digits = 0;
        for (size_t i = at + std::char_traits<char>::length(key); i < id.size() && digits < 4; ++i, ++digits) {
            const char c = id[i];
            const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (d < 0) return 0;
            value = value * 16 + static_cast<unsigned>(d);
        }
        return digits == 4 ? value : 0;
    };
    *vendor = hex("ven_");
    *device = *vendor != 0 ? hex("dev_") : 0;
}
