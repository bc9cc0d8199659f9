#pragma once
// The report's facts: plain values that the glue collects (report/collect.cpp),
// so that the text, the diagnosis and the JSON made of them need no Windows.
// Every text here is UTF-8: the glue converts what the system gives, and
// converts the report back to the system's code page where 8-bit text is due.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "program/application.h"
#include "render/frame_check.h"
#include "render/gl_registry.h"
#include "render/pixel_formats.h"

// What DescribePixelFormat says of the format in use; index 0: none.
struct PixelFormatFacts {
    int index = 0;
    int colourBits = 0;
    int alphaBits = 0;
    int depthBits = 0;
    int stencilBits = 0;
    std::uint32_t flags = 0;  // PFD_* flags
};

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
    std::string date;     // its file's last change, "2026-05-01" (UTC); empty: not reported
};

// An optional text the implementation may answer null for.
struct Answer {
    bool reported = false;
    std::string text;
};
// An answer that says something: given, and not empty.
inline bool given(const Answer& answer) { return answer.reported && !answer.text.empty(); }

struct CoreProfileFacts {
    enum class State { NotOffered, None, Made } state = State::NotOffered;
    Answer version;
    Answer shadingLanguage;
    FunctionCheck functions;  // the core profile's functions of its version
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
// Whether a reading holds a value that can be: written, finite, not negative,
// and whole where the query answers integers. Anything else is not reported.
bool plausible(const LimitReading& reading, int count = 1, bool isFloat = false);

struct VideoMemoryFacts {
    enum class Source { None, Nvx, Ati, WineQuery } source = Source::None;
    // In KiB, as the extensions give them; a value never written stays unreported.
    LimitReading dedicated, totalAvailable, currentAvailable, atiFreeTexture;
    LimitReading wineVideoMemory;  // in MiB, from WGL_WINE_query_renderer
};

// WGL_WINE_query_renderer's answers about the current renderer.
struct RendererQueryFacts {
    bool offered = false;
    LimitReading accelerated;   // 0 or 1
    LimitReading videoMemoryMib;
    LimitReading vendorId;      // PCI ids; 0xFFFFFFFF where Wine does not know them
    LimitReading deviceId;
};

// What the system itself tells opengl32 about an adapter's OpenGL driver, for
// this process's bitness (D3DKMTQueryAdapterInfo, KMTQAITYPE_UMOPENGLINFO).
struct OpenGlInfoFacts {
    bool reported = false;
    std::string file;  // the driver's file name
    unsigned version = 0;
    unsigned flags = 0;
};

// One display adapter, however many outputs it drives; its driver's values
// come from the registry key the system names for it.
struct AdapterFacts {
    std::string name;
    bool primary = false;   // drives the primary display
    bool attached = false;  // part of the desktop
    Answer provider;
    Answer driverVersion;
    Answer driverDate;       // as the registry keeps it: month-day-year
    // HardwareInformation.qwMemorySize, or .MemorySize where only that one is there.
    bool memoryReported = false;
    unsigned long long memoryBytes = 0;
    Answer openGlDriver;     // OpenGLDriverName
    Answer openGlDriverWow;  // OpenGLDriverNameWow: the 32-bit one on 64-bit Windows
    unsigned vendorId = 0;   // PCI ids; 0: not reported
    unsigned deviceId = 0;
    OpenGlInfoFacts openGlInfo;
    // DXGI's choice for each GPU preference, matched by the adapter's LUID;
    // meaningful only where ReportFacts::gpuRolesReported.
    bool highPerformance = false;
    bool powerSaving = false;
};

struct SessionFacts {
    bool remote = false;  // a remote desktop session
    bool wine = false;
    Answer wineVersion;
    Answer wineHost;      // the host system, e.g. "Linux 6.1.0"
    // The policy "Use hardware graphics adapters for all Remote Desktop
    // Services sessions" (bEnumerateHWBeforeSW); -1 when it is not set.
    long remoteHardwarePolicy = -1;
    // Where this process runs: what decides whether OpenGL can reach a display driver at all.
    long sessionId = -1;          // -1: not reported
    int interactiveStation = -1;  // the window station has a display (WSF_VISIBLE): 1 or 0; -1: not reported
    enum class Account { NotReported, Other, LocalSystem, LocalService, NetworkService } account = Account::NotReported;
    bool disconnected = false;    // a remote session that is disconnected
};

// The adapter's driver date as the registry keeps it ("12-9-2026", month-day-
// year) in ISO 8601 ("2026-12-09"); an ISO date is taken as it is. Anything
// else is not understood, and never guessed.
struct DriverDate {
    bool understood = false;
    std::string iso;
};
DriverDate isoDriverDate(const std::string& registry);

// A service account by its name ("SYSTEM", "LocalService", "NetworkService")
// and its JSON word ("local_system", ...); null for another account.
struct AccountWords {
    const char* name;
    const char* json;
};
AccountWords accountWords(SessionFacts::Account account);

struct PixelFormatCounts {
    int all = 0;
    int windowOpenGl = 0;    // draw to a window with OpenGL
    int driversOwn = 0;      // of those, not the generic implementation's
};

// What this tool's own process is, which decides what OpenGL it gets itself.
struct ToolFacts {
    bool manifestRead = false;
    bool declaresWindows10 = false;
    long gpuPreference = -1;  // Windows' graphics settings for this program; -1: not set
};

struct ReportFacts {
    std::string madeAt;  // when the report was made, ISO 8601 in UTC: "2026-12-09T16:50:03Z"
    std::string programName;
    std::string programVersion;
    std::string glRegistry;  // the Khronos registry's release the functions are checked against
    ToolFacts tool;
    unsigned long windowsMajor = 0;
    unsigned long windowsMinor = 0;
    unsigned long windowsBuild = 0;
    unsigned long platformId = 0;  // as GetVersionExA gives it
    Bitness bitness = Bitness::Unknown;
    unsigned programMachine = 0;  // what this program is built for
    unsigned nativeMachine = 0;   // what the system runs natively (IsWow64Process2); 0: not reported
    // False when no context could be made: then only what is known without
    // one is reported, with a line that says so.
    bool openGlInitialised = true;
    Answer vendor;
    Answer renderer;
    Answer version;
    std::string openGlLibrary;         // full path of the opengl32.dll in use, or of the one named
    std::string openGlLibraryProblem;  // why the one named could not be used; empty when it is in use
    PixelFormatFacts pixelFormat;
    FunctionCheck functions;  // every function of the version claimed, in the dialog's context
    std::vector<std::string> extensions;  // the list's rows, in its order (empty rows too)
    // Each part's names in the implementation's order, without empty pieces
    // or repeats.
    std::vector<std::string> glExtensions;
    std::vector<std::string> wglExtensions;
    std::vector<std::string> driverRows;  // "name: data", as the driver list shows them
    std::vector<std::pair<std::string, std::string>> driverValues;  // the same, name and data apart
    int selectedDriverRow = -1;

    DriverModuleFacts driverModule;
    Answer shadingLanguage;  // asked only from OpenGL 2.0 on
    CoreProfileFacts coreProfile;
    LimitReading limits[kLimitCount];
    VideoMemoryFacts videoMemory;
    PixelFormatCounts pixelFormats;
    PixelFormatTable pixelFormatTable;  // every format, bounded
    // The format a program's request (--require-pixel-format) gets here.
    struct RequestedFormat {
        bool asked = false;
        int index = 0;        // 0: none
        bool viaArb = false;  // wglChoosePixelFormatARB, or ChoosePixelFormat
    } requestedFormat;

    RendererQueryFacts rendererQuery;
    FrameReading renderingTest;  // one frame of the cube, drawn and read back
    std::vector<AdapterFacts> adapters;
    // DXGI named the high-performance and power-saving adapters, and every
    // adapter's LUID is known to match them against.
    bool gpuRolesReported = false;
    SessionFacts session;

    // The program the user asked about (--app, "Check a program..."), read from its file.
    bool applicationAsked = false;
    ApplicationFacts application;
};


// Whether the version or one of the extensions provides the limit.
bool limitApplies(const Limit& limit, GlVersion version, const std::vector<std::string>& extensions);
bool hasExtension(const std::vector<std::string>& extensions, const char* name);
// GL_SHADING_LANGUAGE_VERSION exists from OpenGL 2.0 on.
bool hasShadingLanguage(GlVersion version);

// The names of an extension string: its pieces between spaces, without empty
// ones or repeats, in their order.
std::vector<std::string> extensionNames(const std::string& text);
// The list's rows without the empty ones.
std::vector<std::string> withoutEmptyRows(const std::vector<std::string>& rows);

// The message shown, and written into reports, when no context can be made.
extern const char kInitializationFailed[];
