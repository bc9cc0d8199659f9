#include "report/diagnosis.h"

namespace {

constexpr std::uint32_t kGenericFormat = 0x00000040;       // PFD_GENERIC_FORMAT
constexpr std::uint32_t kGenericAccelerated = 0x00001000;  // PFD_GENERIC_ACCELERATED
constexpr unsigned long kUnknownId = 0xFFFFFFFFul;         // what Wine answers for ids it does not know

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool contains(const std::string& text, const char* piece) { return lower(text).find(lower(piece)) != std::string::npos; }


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
    return "OpenGL " + std::to_string(v.major) + "." + std::to_string(v.minor);
}

bool isGeneric(const ReportFacts& f) { return f.openGlInitialised && contains(f.renderer.text, "GDI Generic"); }

// A display adapter Windows installs when no vendor's driver is there.
bool isBasicAdapter(const AdapterFacts& a) {
    return contains(a.name, "Microsoft Basic Display Adapter") || contains(a.name, "Microsoft Basic Render Driver") ||
           contains(a.name, "Standard VGA Graphics Adapter");
}

bool registersOpenGl(const AdapterFacts& a, const ReportFacts& f) {
    return a.openGlDriver.reported || (f.bitness == Bitness::Wow64 && a.openGlDriverWow.reported);
}

// A vendor's driver that names no OpenGL driver of its own.
bool registersNoOpenGl(const AdapterFacts& a, const ReportFacts& f) {
    return a.attached && a.provider.reported && !contains(a.provider.text, "Microsoft") && !registersOpenGl(a, f);
}

const AdapterFacts* firstAdapter(const ReportFacts& f, bool (*test)(const AdapterFacts&, const ReportFacts&)) {
    for (const AdapterFacts& a : f.adapters) {
        if (test(a, f)) return &a;
    }
    return nullptr;
}

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

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// The causes a fact can show, in the order they are named. The first that
// holds and can say why only Windows' own OpenGL is there ends the generic
// summary's first sentence; every other one that holds adds its sentence for
// the verdict, if it has one.
struct Cause {
    bool (*holds)(const ReportFacts&);
    std::string (*why)(const ReportFacts&);  // null: it cannot explain the generic case
    std::string (*sentence)(const ReportFacts&, Verdict);
};

const Cause kCauses[] = {
    {[](const ReportFacts& f) { return firstAdapter(f, hasBasicAdapter) != nullptr; }, basicAdapterWords,
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
    {[](const ReportFacts& f) { return firstAdapter(f, registersNoOpenGl) != nullptr; }, noOpenGlWords,
     [](const ReportFacts& f, Verdict v) { return v == Verdict::Hardware ? std::string() : capitalised(noOpenGlWords(f)); }},
    {[](const ReportFacts& f) { return f.session.remote; }, nullptr,
     [](const ReportFacts&, Verdict v) {
         return std::string(v == Verdict::Hardware ? "This is a remote desktop session."
                                                   : "This is a remote desktop session, where Windows offers no driver's OpenGL.");
     }},
    // Where a version is named, the first sentence names Wine too.
    {[](const ReportFacts& f) { return f.session.wine; }, nullptr,
     [](const ReportFacts& f, Verdict v) {
         return v == Verdict::Generic || v == Verdict::None ? "This runs under " + wineWords(f) + "." : std::string();
     }},
};

// "This machine has 2 display adapters; OpenGL runs on "A", not on "B"."
std::string adaptersSentence(const ReportFacts& f) {
    if (f.adapters.size() < 2) return std::string();
    const std::vector<bool> renders = renderingAdapters(f);
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

Summary summarise(const ReportFacts& f, const ImplementationKind& kind) {
    Summary summary;
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
        first = versionWords(f.version.text) + " in software" + (name.empty() ? "" : " (" + name + ")") +
                (f.session.wine ? ", under " + wineWords(f) : std::string()) + ".";
    } else if (word.empty()) {
        // A context with no pixel format in use: nothing shows how it is served.
        summary.verdict = Verdict::Unknown;
        first = versionWords(f.version.text) + onRenderer(f) + "; whether in hardware is not known: no pixel format is in use.";
    } else {
        summary.verdict = Verdict::Hardware;
        first = versionWords(f.version.text) + onRenderer(f) + ", ";
        first += word == "accelerated" ? "accelerated by the display driver through Windows' generic implementation"
                                       : std::string("in hardware");
        if (f.driverModule.found) first += ", by the graphics vendor's driver";
        if (f.session.wine) first += ", under " + wineWords(f);
        const GlVersion core = parseGlVersion(f.coreProfile.version.text);
        if (f.coreProfile.state == CoreProfileFacts::State::Made && core.major > 0) {
            first += "; core profile " + std::to_string(core.major) + "." + std::to_string(core.minor);
        }
        first += ".";
    }

    bool explained = summary.verdict != Verdict::Generic;
    std::string more;
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
        const std::string adapters = adaptersSentence(f);
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
    const std::string renderer = lower(rendererName(f));
    const std::string name = lower(a.name);
    return name.size() >= 4 && !renderer.empty() && (renderer.find(name) != std::string::npos || name.find(renderer) != std::string::npos);
}

void parsePciIds(const std::string& deviceId, unsigned* vendor, unsigned* device) {
    *vendor = *device = 0;
    const std::string id = lower(deviceId);
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
