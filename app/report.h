#pragma once
// The plain-text report that "Copy report" puts on the clipboard, put
// together from plain values that the glue collects.
#include <cstdint>
#include <string>
#include <vector>

// What DescribePixelFormat says of the format in use; index 0: none.
struct PixelFormatFacts {
    int index = 0;
    int colourBits = 0;
    int alphaBits = 0;
    int depthBits = 0;
    int stencilBits = 0;
    std::uint32_t flags = 0;  // PFD_* flags
};

// "hardware" (an OpenGL driver's own format), "accelerated" (generic, with a
// driver's acceleration) or "software" (the generic, unaccelerated one), and
// a few words more.
std::string pixelFormatKind(std::uint32_t flags);

struct ReportFacts {
    std::string programName;
    std::string programVersion;
    unsigned long windowsMajor = 0;
    unsigned long windowsMinor = 0;
    unsigned long windowsBuild = 0;
    unsigned long platformId = 0;  // as GetVersionExA gives it
    std::string vendor;
    std::string renderer;
    std::string version;
    std::string openGlLibrary;  // full path of the opengl32.dll in use
    PixelFormatFacts pixelFormat;
    std::vector<std::string> extensions;  // in the list's order
    std::vector<std::string> driverRows;
    int selectedDriverRow = -1;
};

// Labelled lines with CR LF ends.
std::string formatReport(const ReportFacts& facts);
