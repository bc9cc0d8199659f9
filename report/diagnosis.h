#pragma once
// What the facts say is wrong, in words a person understands: the first word
// of "Implementation", the one-sentence summary, the machine's display
// adapters and session. Rules only, no Windows.
#include <string>
#include <vector>

#include "report/facts.h"

// How the context is served: "hardware", "accelerated" or "software", and why;
// a null word when there is no context, or no pixel format in use and nothing
// else that tells.
struct ImplementationKind {
    const char* word = nullptr;
    std::string reason;
};
ImplementationKind classifyImplementation(const ReportFacts& facts);

// Whether the frame the rendering test read back is the cube it drew.
struct RenderingResult {
    enum class Kind { NotRun, Passed, Failed } kind = Kind::NotRun;
    std::string detail;  // what was seen, or why it did not run
};
RenderingResult renderingResult(const ReportFacts& facts);

// OpenGL served over another graphics interface: Microsoft's OpenCL and
// OpenGL Compatibility Pack over Direct3D 12 ("D3D12 (<adapter>)"), or Mesa's
// Zink over Vulkan ("zink (<device>)").
struct TranslationLayer {
    const char* over = nullptr;  // "Direct3D 12" or "Vulkan"; null: none
    const char* by = nullptr;    // what provides it
    std::string version;         // the Compatibility Pack's, from the serving module's path; empty: not known
    std::string device;          // what the renderer names beneath it
};
TranslationLayer translationLayer(const ReportFacts& facts);

// The known software rasteriser that the renderer string names, or null.
const char* softwareRasteriser(const std::string& renderer);

// Where OpenGL cannot reach a display driver from this process, in words
// ("in session 0 as SYSTEM"): session 0, a window station with no display, a
// disconnected session, a service account. Empty where none holds.
std::string whereNotMeasurable(const SessionFacts& session);

enum class Verdict {
    Hardware,  // a driver's OpenGL on a graphics adapter
    Software,  // a software rasteriser other than Windows' own
    Generic,   // Windows' built-in OpenGL 1.1
    None,      // no context could be made
    Unknown,   // a context, with no pixel format that would tell how it is served
    NotMeasurable,  // a session where OpenGL cannot reach a display driver (session 0, a service, no display)
};

struct Summary {
    Verdict verdict = Verdict::None;
    std::string text;  // one sentence, or two where a fact shows the cause
};
// From the facts and what was worked out of them already: the implementation's
// kind, the layer it is served over, the rendering test's result, and the
// adapters OpenGL runs on (renderingAdapters).
Summary summarise(const ReportFacts& facts, const ImplementationKind& kind, const TranslationLayer& layer,
                  const RenderingResult& rendering, const std::vector<bool>& rendersOpenGl);

// The virtual machine that a display adapter's name or PCI vendor shows,
// e.g. "VMware"; empty when none does.
std::string virtualMachine(const std::vector<AdapterFacts>& adapters);

// Whether OpenGL runs on this adapter: the renderer query's PCI ids are its
// own, or the renderer string names it.
bool rendersOpenGl(const AdapterFacts& adapter, const ReportFacts& facts);
// The same for every adapter, in order; none where two match alike.
std::vector<bool> renderingAdapters(const ReportFacts& facts);

// The vendor and device of a PNP id such as "PCI\VEN_10DE&DEV_2504&SUBSYS_...".
void parsePciIds(const std::string& deviceId, unsigned* vendor, unsigned* device);
