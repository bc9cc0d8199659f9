#include "app/report.h"

#include <cstdarg>
#include <cstdio>

namespace {

constexpr std::uint32_t kDoubleBuffer = 0x00000001;        // PFD_DOUBLEBUFFER
constexpr std::uint32_t kGenericFormat = 0x00000040;       // PFD_GENERIC_FORMAT
constexpr std::uint32_t kGenericAccelerated = 0x00001000;  // PFD_GENERIC_ACCELERATED

const char* platformFamily(unsigned long platformId) {
    switch (platformId) {
    case 0: return "Win32s";
    case 1: return "95 family";
    case 2: return "NT family";
    default: return "unknown family";
    }
}

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

}  // namespace

std::string pixelFormatKind(std::uint32_t flags) {
    if ((flags & kGenericFormat) == 0) return "hardware (an OpenGL driver's own format)";
    if ((flags & kGenericAccelerated) != 0) return "accelerated (generic format, accelerated by a driver)";
    return "software (the generic format, not accelerated)";
}

std::string formatReport(const ReportFacts& f) {
    std::string out;
    line(out, "Program: " + f.programName + " " + f.programVersion);
    line(out, printed("Windows: %lu.%lu build %lu, %s", f.windowsMajor, f.windowsMinor, f.windowsBuild,
                      platformFamily(f.platformId)));
    line(out, "Vendor: " + f.vendor);
    line(out, "Renderer: " + f.renderer);
    line(out, "Version: " + f.version);
    line(out, "OpenGL library: " + f.openGlLibrary);
    const PixelFormatFacts& p = f.pixelFormat;
    if (p.index > 0) {
        line(out, printed("Pixel format: %d, colour %d bits, alpha %d, depth %d, stencil %d, %s", p.index,
                          p.colourBits, p.alphaBits, p.depthBits, p.stencilBits,
                          (p.flags & kDoubleBuffer) != 0 ? "double-buffered" : "single-buffered"));
        line(out, "Implementation: " + pixelFormatKind(p.flags));
    } else {
        line(out, "Pixel format: none");
        line(out, "Implementation: unknown");
    }
    line(out, printed("Extensions: %lu", static_cast<unsigned long>(f.extensions.size())));
    for (const std::string& name : f.extensions) line(out, "  " + name);
    line(out, "Drivers (* selected):");
    for (std::size_t k = 0; k < f.driverRows.size(); ++k) {
        line(out, (static_cast<int>(k) == f.selectedDriverRow ? "* " : "  ") + f.driverRows[k]);
    }
    return out;
}
