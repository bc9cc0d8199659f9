#pragma once
// The plain-text report for bug reports, put together from plain values that
// the glue collects (report/collect.cpp), so that the text needs no Windows.
#include <cstdint>
#include <string>
#include <utility>
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

enum class Bitness {
    Unknown,
    Windows32,  // a 32-bit program on 32-bit Windows
    Wow64,      // a 32-bit program on 64-bit Windows
    Windows64,  // a 64-bit program
};

// The loaded module that serves the context through the driver interface.
struct DriverModuleFacts {
    bool found = false;   // false: opengl32 serves the context itself
    std::string path;
    std::string version;  // empty: not reported
    std::string company;  // empty: not reported
};

// An optional text the implementation may answer null for.
struct Answer {
    bool reported = false;
    std::string text;
};

struct CoreProfileFacts {
    enum class State { NotOffered, None, Made } state = State::NotOffered;
    Answer version;
    Answer shadingLanguage;
};

// The limits listed, in the report's order, and when each is there to read.
struct Limit {
    const char* label;
    const char* key;  // its name in the JSON report
    unsigned name;  // the GL enum queried
    int count;      // values it answers: 1, or 2 for the viewport
    bool isFloat;
    int major, minor;            // the GL version that has it, 0.0 for always
    const char* extensions[3];   // or any of these extensions, up to a null
};
constexpr int kLimitCount = 9;
extern const Limit kLimits[kLimitCount];

struct LimitReading {
    bool applies = false;   // false: "n/a"
    bool reported = false;  // false: the implementation wrote nothing
    double values[2] = {0, 0};
};

struct VideoMemoryFacts {
    enum class Source { None, Nvx, Ati } source = Source::None;
    // In KiB, as the extensions give them; a value never written stays unreported.
    LimitReading dedicated, totalAvailable, currentAvailable, atiFreeTexture;
};

struct PixelFormatCounts {
    int all = 0;
    int windowOpenGl = 0;    // draw to a window with OpenGL
    int driversOwn = 0;      // of those, not the generic implementation's
};

struct ReportFacts {
    std::string programName;
    std::string programVersion;
    unsigned long windowsMajor = 0;
    unsigned long windowsMinor = 0;
    unsigned long windowsBuild = 0;
    unsigned long platformId = 0;  // as GetVersionExA gives it
    Bitness bitness = Bitness::Unknown;
    // False when no context could be made: then only what is known without
    // one is reported, with a line that says so.
    bool openGlInitialised = true;
    Answer vendor;
    Answer renderer;
    Answer version;
    std::string openGlLibrary;  // full path of the opengl32.dll in use, or why there is none
    PixelFormatFacts pixelFormat;
    std::vector<std::string> extensions;  // in the list's order
    std::vector<std::string> driverRows;  // "name: data", as the driver list shows them
    std::vector<std::pair<std::string, std::string>> driverValues;  // the same, name and data apart
    int selectedDriverRow = -1;

    DriverModuleFacts driverModule;
    Answer shadingLanguage;  // asked only from OpenGL 2.0 on
    CoreProfileFacts coreProfile;
    LimitReading limits[kLimitCount];
    VideoMemoryFacts videoMemory;
    PixelFormatCounts pixelFormats;
};

// Major and minor of a GL_VERSION text ("4.5 (Core Profile) Mesa ..."); 0.0
// when it does not start with them.
struct GlVersion {
    int major = 0;
    int minor = 0;
};
GlVersion parseGlVersion(const std::string& text);
bool atLeast(GlVersion version, int major, int minor);

// Whether the version or one of the extensions provides the limit.
bool limitApplies(const Limit& limit, GlVersion version, const std::vector<std::string>& extensions);
bool hasExtension(const std::vector<std::string>& extensions, const char* name);

// Labelled lines with CR LF ends.
std::string formatReport(const ReportFacts& facts);

// The message shown, and written into reports, when no context can be made.
extern const char kInitializationFailed[];
