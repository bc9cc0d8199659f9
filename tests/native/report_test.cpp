#include <gtest/gtest.h>

#include "report/diagnosis.h"
#include "report/json.h"
#include "report/text.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <GL/gl.h>
#include <GL/glext.h>

TEST(Report, LaysOutEveryLabelledLineWithCrLf) {
    ReportFacts f;
    f.programName = "OpenGL Renderer infos";
    f.programVersion = "1.0.0.11";
    f.programMachine = kMachineX86;
    f.tool = ToolFacts{true, false, -1};
    f.windowsMajor = 6;
    f.windowsMinor = 1;
    f.windowsBuild = 7601;
    f.platformId = 2;
    f.vendor = Answer{true, "V"};
    f.renderer = Answer{true, std::string(1500, 'r')};  // longer than the information text shows
    f.version = Answer{true, "1.1"};
    f.openGlLibrary = "C:\\Windows\\system32\\opengl32.dll";
    f.pixelFormat = PixelFormatFacts{9, 32, 6, 24, 8, 0x25};  // every field its own value
    f.extensions = {"GL_b", "", "GL_a"};
    f.glExtensions = {"GL_a", "GL_b"};
    f.driverRows = {"Software (MICROSOFT): OpenGL32.dll", "Acme: a.dll"};
    f.selectedDriverRow = 1;
    EXPECT_EQ(formatReport(makeReport(f)),
              "Program: OpenGL Renderer infos 1.0.0.11 (32-bit, its manifest declares no Windows 10, GPU preference not set)\r\n"
              "Summary: OpenGL 1.1 on " + std::string(1500, 'r') + ", in hardware.\r\n"
              "Windows: 6.1 build 7601, NT family\r\n"
              "Session: local, no virtual machine recognised\r\n"
              "Vendor: V\r\n"
              "Renderer: " + std::string(1500, 'r') + "\r\n"
              "Version: 1.1\r\n"
              "OpenGL library: C:\\Windows\\system32\\opengl32.dll\r\n"
              "Pixel format: 9, colour 32 bits, alpha 6, depth 24, stencil 8, double-buffered\r\n"
              "Implementation: hardware (an OpenGL driver's own format)\r\n"
              "Rendering test: not run: the context was not current\r\n"
              "Drivers (* selected):\r\n"
              "  Software (MICROSOFT): OpenGL32.dll\r\n"
              "* Acme: a.dll\r\n"
              "Display adapters:\r\n"
              "  none reported\r\n"
              "OpenGL driver: none: opengl32 serves the context itself\r\n"
              "Shading language: not offered\r\n"
              "Core profile: not offered\r\n"
              "Limits:\r\n"
              "  Max texture size: n/a\r\n"
              "  Max 3D texture size: n/a\r\n"
              "  Max cube map texture size: n/a\r\n"
              "  Max viewport dims: n/a\r\n"
              "  Max renderbuffer size: n/a\r\n"
              "  Max samples: n/a\r\n"
              "  Max texture image units: n/a\r\n"
              "  Max vertex attribs: n/a\r\n"
              "  Max anisotropy: n/a\r\n"
              "Video memory: not reported\r\n"
              "Pixel formats: none\r\n"
              "Extensions: 2 (2 from OpenGL, 0 from WGL)\r\n"
              "  GL_b\r\n"
              "  GL_a\r\n");

    // No format in use, the 95 family, nothing listed, nothing selected.
    ReportFacts bare;
    bare.platformId = 1;
    const std::string text = formatReport(makeReport(bare));
    EXPECT_NE(text.find("\r\nWindows: 0.0 build 0, 95 family\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nPixel format: none\r\nImplementation: unknown\r\nRendering test: not run: the context was not current\r\n"
                        "Drivers (* selected):\r\n"),
              std::string::npos);
    const std::string last = "\r\nExtensions: 0 (0 from OpenGL, 0 from WGL)\r\n";
    EXPECT_EQ(text.rfind(last), text.size() - last.size()) << "the long list last";
    EXPECT_EQ(text.find("\r\n* "), std::string::npos);
    EXPECT_EQ(text.find(kInitializationFailed), std::string::npos);

    // No context could be made: the report says so where OpenGL's lines begin.
    bare.openGlInitialised = false;
    EXPECT_NE(formatReport(makeReport(bare)).find("\r\nOpenGL Error : Initialization Failed\r\nVendor: not reported\r\n"),
              std::string::npos);
}

TEST(Report, NamesThePixelFormatsKindByItsFlags) {
    struct Case {
        std::uint32_t flags;
        const char* firstWord;
    };
    const Case cases[] = {
        {0x25, "hardware"},              // no generic flag: the driver's own
        {0x25 | 0x40, "software"},       // PFD_GENERIC_FORMAT alone
        {0x25 | 0x40 | 0x1000, "accelerated"},  // with PFD_GENERIC_ACCELERATED
        {0x25 | 0x1000, "hardware"},     // accelerated without generic is no generic format
    };
    for (const Case& c : cases) {
        ReportFacts f;
        f.pixelFormat = PixelFormatFacts{1, 32, 8, 24, 8, c.flags};
        EXPECT_STREQ(classifyImplementation(f).word, c.firstWord) << std::hex << c.flags;
    }
    ReportFacts single;
    single.pixelFormat = PixelFormatFacts{1, 24, 0, 16, 0, 0x24 | 0x40};
    EXPECT_NE(formatReport(makeReport(single)).find(", single-buffered\r\nImplementation: software"), std::string::npos);
}

namespace {

std::string lineOf(const std::string& report, const std::string& label) {
    const size_t at = report.find("\r\n" + label);
    if (at == std::string::npos) return "<missing " + label + ">";
    return report.substr(at + 2, report.find("\r\n", at + 2) - at - 2);
}

LimitReading reading(double a, double b = 0) {
    LimitReading r;
    r.applies = r.reported = true;
    r.values[0] = a;
    r.values[1] = b;
    return r;
}

}  // namespace

// The support desk's lines: what the implementation gave, and plain words
// where it gave nothing.
TEST(Report, SaysWhatTheImplementationGaveAndNothingMore) {
    ReportFacts full;
    full.bitness = Bitness::Wow64;
    full.version = Answer{true, "4.6.0 NVIDIA 551.23"};
    full.driverModule = DriverModuleFacts{true, "C:\\Windows\\System32\\nvoglv32.dll", "31.0.15.5123", "NVIDIA Corporation", "2026-01-14"};
    full.shadingLanguage = Answer{true, "4.60 NVIDIA"};
    full.coreProfile = CoreProfileFacts{CoreProfileFacts::State::Made, Answer{true, "4.6.0 NVIDIA 551.23"}, Answer{true, "4.60 NVIDIA"}, {}};
    const double values[kLimitCount][2] = {{32768}, {16384}, {32768}, {32768, 32768}, {32768}, {32}, {32}, {16}, {16}};
    for (int i = 0; i < kLimitCount; ++i) full.limits[i] = reading(values[i][0], values[i][1]);
    full.videoMemory.source = VideoMemoryFacts::Source::Nvx;
    full.videoMemory.dedicated = reading(8388608);
    full.videoMemory.totalAvailable = reading(8388608);
    full.videoMemory.currentAvailable = reading(7340032);
    full.pixelFormats = PixelFormatCounts{540, 130, 118};

    ReportFacts hostile;
    hostile.bitness = Bitness::Windows32;
    hostile.version = Answer{true, "3.0 Hostile"};  // shading language due, but answered null
    hostile.driverModule = DriverModuleFacts{true, "D:\\icd.dll", "", "", ""};
    hostile.coreProfile.state = CoreProfileFacts::State::None;
    hostile.limits[0].applies = true;  // asked, never written
    hostile.limits[3] = reading(8192, 4096);
    hostile.limits[8].applies = true;
    hostile.videoMemory.source = VideoMemoryFacts::Source::Ati;

    struct Case {
        const ReportFacts& facts;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {full,
         {"Windows: 0.0 build 0, Win32s, 32-bit program on 64-bit Windows",
          "OpenGL driver: C:\\Windows\\System32\\nvoglv32.dll, version 31.0.15.5123, NVIDIA Corporation, dated 2026-01-14",
          "Shading language: 4.60 NVIDIA", "Core profile: 4.6.0 NVIDIA 551.23, shading language 4.60 NVIDIA",
          "  Max texture size: 32768", "  Max viewport dims: 32768 x 32768", "  Max samples: 32", "  Max anisotropy: 16",
          "Video memory: dedicated 8192 MiB, total available 8192 MiB, currently available 7168 MiB (GL_NVX_gpu_memory_info)",
          "Pixel formats: 540 in all, 130 draw to a window with OpenGL, 118 of those a driver's own"}},
        {hostile,
         {"Windows: 0.0 build 0, Win32s, 32-bit Windows", "OpenGL driver: D:\\icd.dll, version not reported, company not reported",
          "Shading language: not reported", "Core profile: none", "  Max texture size: not reported",
          "  Max 3D texture size: n/a", "  Max viewport dims: 8192 x 4096", "  Max anisotropy: not reported",
          "Video memory: free texture memory not reported (GL_ATI_meminfo)", "Pixel formats: none"}},
    };
    for (const Case& c : cases) {
        const std::string report = formatReport(makeReport(c.facts));
        for (const std::string& expected : c.lines) {
            EXPECT_EQ(lineOf(report, expected.substr(0, expected.find(':') + 1)), expected);
        }
    }
}

TEST(Report, KnowsWhichLimitsAVersionOrExtensionProvides) {
    // The table's enums are those of the published headers.
    const unsigned enums[kLimitCount] = {GL_MAX_TEXTURE_SIZE, GL_MAX_3D_TEXTURE_SIZE, GL_MAX_CUBE_MAP_TEXTURE_SIZE,
                                         GL_MAX_VIEWPORT_DIMS, GL_MAX_RENDERBUFFER_SIZE, GL_MAX_SAMPLES,
                                         GL_MAX_TEXTURE_IMAGE_UNITS, GL_MAX_VERTEX_ATTRIBS, GL_MAX_TEXTURE_MAX_ANISOTROPY};
    for (int i = 0; i < kLimitCount; ++i) EXPECT_EQ(kLimits[i].name, enums[i]) << kLimits[i].label;
    EXPECT_FALSE(hasShadingLanguage(GlVersion{1, 5}));
    EXPECT_TRUE(hasShadingLanguage(GlVersion{2, 0}));

    EXPECT_EQ(parseGlVersion("4.5 (Core Profile) Mesa 22.3.6").major, 4);
    EXPECT_EQ(parseGlVersion("4.5 (Core Profile) Mesa 22.3.6").minor, 5);
    EXPECT_EQ(parseGlVersion("1.1 Double").minor, 1);
    EXPECT_EQ(versionNumber(parseGlVersion("\t 10.12 Future")), "10.12");
    EXPECT_EQ(versionNumber(parseGlVersion("4.99999999999 Odd")), "4.2147483647");
    for (const char* odd : {"", "OpenGL ES 3.2", "4", "x.y"}) EXPECT_EQ(parseGlVersion(odd).major, 0) << odd;

    struct Case {
        const char* version;
        std::vector<std::string> extensions;
        const char* label;
        bool applies;
    };
    const Case cases[] = {
        {"1.1", {}, "Max texture size", true},
        {"", {}, "Max viewport dims", true},
        {"1.1", {}, "Max 3D texture size", false},
        {"1.1", {"GL_EXT_texture3D"}, "Max 3D texture size", true},
        {"1.2", {}, "Max 3D texture size", true},
        {"2.1", {}, "Max samples", false},
        {"2.1", {"GL_EXT_framebuffer_multisample"}, "Max samples", true},
        {"3.0", {}, "Max renderbuffer size", true},
        {"4.5", {}, "Max anisotropy", false},
        {"4.6", {}, "Max anisotropy", true},
        {"1.4", {"GL_EXT_texture_filter_anisotropic"}, "Max anisotropy", true},
    };
    for (const Case& c : cases) {
        for (const Limit& limit : kLimits) {
            if (std::string(limit.label) != c.label) continue;
            EXPECT_EQ(limitApplies(limit, parseGlVersion(c.version), c.extensions), c.applies) << c.version << " " << c.label;
        }
    }
}

// The findings are worked out once, when the report is made; both writers
// write what the report holds and work out nothing again.
TEST(Report, WritersWriteTheFindingsTheyAreGiven) {
    ReportFacts f;
    f.renderer = Answer{true, "GDI Generic"};
    f.adapters.resize(2);
    f.adapters[0].name = "First";
    f.adapters[1].name = "Second";
    Report r = makeReport(f);
    EXPECT_EQ(r.findings.rendersOpenGl, std::vector<bool>({false, false}));
    r.findings.summary = Summary{Verdict::Software, "Written as given."};
    r.findings.rendersOpenGl = {false, true};
    r.findings.virtualMachine = "Given";
    const std::string text = formatReport(r);
    EXPECT_NE(text.find("\r\nSummary: Written as given.\r\n"), std::string::npos);
    EXPECT_EQ(lineOf(text, "  First:").find("OpenGL runs here"), std::string::npos);
    EXPECT_NE(lineOf(text, "  Second:").find("; OpenGL runs here"), std::string::npos);
    EXPECT_NE(text.find("\r\nSession: local, Given virtual machine\r\n"), std::string::npos);
    const std::string json = formatJson(r);
    EXPECT_NE(json.find("\"summary\":{\"text\":\"Written as given.\",\"verdict\":\"software\"}"), std::string::npos);
    EXPECT_NE(json.find("\"virtual_machine\":\"Given\""), std::string::npos);
    EXPECT_NE(json.find("\"name\":\"Second\",\"primary\":false,\"attached\":false"), std::string::npos);
    EXPECT_NE(json.find("\"renders_opengl\":true"), std::string::npos);
}

// The program asked about: its summary right after the report's, its block
// after the session, and the same in the JSON.
TEST(Report, SaysWhatTheProgramAskedAboutGets) {
    ReportFacts f;
    f.bitness = Bitness::Windows64;
    f.programMachine = kMachineX64;
    f.adapters.resize(1);
    f.adapters[0].name = "Adapter";
    f.adapters[0].primary = true;
    f.adapters[0].openGlDriver = Answer{true, "vendor64.dll"};
    f.driverModule = DriverModuleFacts{true, "C:\\Windows\\System32\\vendor64.dll", "", "", ""};  // the tool's own context
    f.applicationAsked = true;
    f.application.path = "C:\\Games\\game.exe";
    f.application.name = "game.exe";
    f.application.image.machine = kMachineX86;
    f.application.image.nvOptimusEnablement = ExportedValue{true, 1};
    f.application.manifestFrom = ApplicationFacts::ManifestFrom::Beside;
    f.application.gpuPreference = 2;
    f.application.layers = {"WIN7RTM"};
    const std::string text = formatReport(makeReport(f));
    EXPECT_NE(text.find("\r\nSummary for game.exe: Only Windows' built-in OpenGL 1.1: the display adapter \"Adapter\" registers "
                        "no OpenGL driver for 32-bit programs.\r\nWindows: "),
              std::string::npos)
        << text.substr(0, 400);
    EXPECT_NE(text.find("\r\nApplication: C:\\Games\\game.exe\r\n  Machine: x86 (32-bit): runs as a 32-bit process here\r\n  Manifest: beside it, does not "
                        "declare Windows 10\r\n  Exports: NvOptimusEnablement = 1, AmdPowerXpressRequestHighPerformance not "
                        "exported\r\n  Imports opengl32.dll: no\r\n  OpenGL DLLs beside it: none\r\n  GPU preference: high "
                        "performance\r\n  Compatibility layers: WIN7RTM\r\n  OpenGL driver it loads:\r\n    Adapter: none registered\r\n"),
              std::string::npos)
        << text;
    const std::string json = formatJson(makeReport(f));
    EXPECT_NE(json.find("\"nv_optimus_enablement\":1,\"amd_power_xpress_request_high_performance\":null,"), std::string::npos);
    EXPECT_NE(json.find("\"machine\":\"x86\",\"dotnet\":null,\"can_run\":true,\"runs_as\":\"x86\",\"emulated\":false,"), std::string::npos);
    EXPECT_NE(json.find("\"drivers\":[{\"adapter\":\"Adapter\",\"driver\":null}],\"summary\":\"Only Windows'"), std::string::npos);
    EXPECT_EQ(formatJson(makeReport(ReportFacts{})).find("\"application\""), std::string::npos);  // only when asked
}

// The report's room holds what compiles without Windows: its data, findings,
// writers, reader and comparison; what asks Windows or OpenGL lives in gather/.
TEST(Report, ItsRoomNeedsNoWindows) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GRI_SOURCE_DIR "/report")) {
        std::ifstream file(entry.path());
        std::stringstream text;
        text << file.rdbuf();
        ++files;
        for (const char* outside : {"<windows.h>", "\"gather/", "\"app/", "<GL/"}) {
            EXPECT_EQ(text.str().find(std::string("#include ") + outside), std::string::npos) << entry.path() << " includes " << outside;
        }
    }
    EXPECT_GT(files, 10);
}
