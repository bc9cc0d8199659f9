#include <gtest/gtest.h>

#include "report/diagnosis.h"
#include "report/json.h"
#include "report/words.h"
#include "report/text.h"
#include "report/requirements.h"

namespace {

constexpr std::uint32_t kDriversOwn = 0x25;        // window, OpenGL, double buffer
constexpr std::uint32_t kGeneric = 0x25 | 0x40;    // and PFD_GENERIC_FORMAT

ReportFacts context(const char* vendor, const char* renderer, const char* version, std::uint32_t flags) {
    ReportFacts f;
    f.vendor = Answer{true, vendor};
    f.renderer = Answer{true, renderer};
    f.version = Answer{true, version};
    f.pixelFormat = PixelFormatFacts{7, 32, 8, 24, 8, flags};
    return f;
}

AdapterFacts adapter(const char* name, unsigned vendorId = 0, unsigned deviceId = 0) {
    AdapterFacts a;
    a.name = name;
    a.primary = a.attached = true;
    a.vendorId = vendorId;
    a.deviceId = deviceId;
    return a;
}

}  // namespace

// One case per cause the summary may name, and the implementation's first word.
TEST(Diagnosis, NamesTheCauseThatTheFactsShow) {
    const ReportFacts gdi = context("Microsoft Corporation", "GDI Generic", "1.1.0", kGeneric);

    ReportFacts remote = gdi;
    remote.session.remote = true;
    remote.adapters = {adapter("Microsoft Remote Display Adapter")};

    ReportFacts basic = gdi;
    basic.adapters = {adapter("Microsoft Basic Display Adapter", 0x10DE, 0x2504)};

    ReportFacts vmware = gdi;
    vmware.adapters = {adapter("VMware SVGA 3D", 0x15AD, 0x0405)};

    ReportFacts noIcd = gdi;  // a vendor's driver that registers no OpenGL driver
    noIcd.adapters = {adapter("Acme Graphics")};
    noIcd.adapters[0].provider = Answer{true, "Acme"};

    // Mesa under Wine: Wine presents its formats as a driver's own.
    ReportFacts llvmpipe = context("Mesa/X.org", "llvmpipe (LLVM 15.0.6, 256 bits)", "4.5 (Compatibility Profile) Mesa 22.3.6",
                                   kDriversOwn);
    llvmpipe.session.wine = true;
    llvmpipe.session.wineVersion = Answer{true, "8.0"};
    llvmpipe.rendererQuery.offered = true;
    llvmpipe.rendererQuery.accelerated = LimitReading{true, true, {0, 0}};

    ReportFacts nvidia = context("NVIDIA Corporation", "NVIDIA GeForce RTX 3060/PCIe/SSE2", "4.6.0 NVIDIA 551.23", kDriversOwn);
    nvidia.driverModule = DriverModuleFacts{true, "C:\\Windows\\System32\\nvoglv32.dll", "31.0.15.5123", "NVIDIA Corporation", "2026-01-14"};
    nvidia.coreProfile = CoreProfileFacts{CoreProfileFacts::State::Made, Answer{true, "4.6.0 NVIDIA 551.23"}, Answer{true, "4.60"}, {}};

    ReportFacts twoAdapters = context("Intel", "Intel(R) UHD Graphics 630", "4.6.0 - Build 31.0.101.2111", kDriversOwn);
    twoAdapters.adapters = {adapter("NVIDIA GeForce RTX 3060"), adapter("Intel(R) UHD Graphics 630")};

    ReportFacts none;
    none.openGlInitialised = false;
    none.session.remote = true;

    ReportFacts unloadable;  // the library named could not be loaded at all
    unloadable.openGlInitialised = false;
    unloadable.openGlLibrary = "C:\\nope\\opengl32.dll";
    unloadable.openGlLibraryProblem = "The specified module could not be found. (error 126)";

    // Two cards of one name: the renderer query's ids tell which one renders.
    ReportFacts twins = context("NVIDIA Corporation", "NVIDIA GeForce RTX 3060/PCIe/SSE2", "4.6.0", kDriversOwn);
    twins.adapters = {adapter("NVIDIA GeForce RTX 3060", 0x10DE, 0x2504), adapter("NVIDIA GeForce RTX 3060", 0x10DE, 0x2503)};
    twins.rendererQuery.offered = true;
    twins.rendererQuery.vendorId = LimitReading{true, true, {0x10DE, 0}};
    twins.rendererQuery.deviceId = LimitReading{true, true, {0x2503, 0}};
    ReportFacts twinsByName = twins;  // without ids both match: neither is named
    twinsByName.rendererQuery = RendererQueryFacts{};

    ReportFacts unnamed = context("V", "", "3.3 V", kDriversOwn);

    const std::string kPolicy = "\"Use hardware graphics adapters for all Remote Desktop Services sessions\"";
    ReportFacts remoteWithGpu = remote;
    remoteWithGpu.session.remoteHardwarePolicy = 1;

    ReportFacts arm = gdi;  // an x86 program on ARM64 Windows, whose adapter's driver has no OpenGL
    arm.bitness = Bitness::Wow64;
    arm.programMachine = kMachineX86;
    arm.nativeMachine = kMachineArm64;
    arm.adapters = {adapter("Qualcomm(R) Adreno(TM) 690 GPU")};
    arm.adapters[0].provider = Answer{true, "Qualcomm Technologies, Inc."};

    ReportFacts d3d12 = context("Microsoft Corporation", "D3D12 (Qualcomm(R) Adreno(TM) 690 GPU)", "3.3 (Compatibility Profile) Mesa 23.1.0",
                                kDriversOwn);
    d3d12.driverModule = DriverModuleFacts{
        true, "C:\\Program Files\\WindowsApps\\Microsoft.D3DMappingLayers_1.2302.1.0_x86__8wekyb3d8bbwe\\x86\\OpenGLOn12.dll", "", "", ""};
    ReportFacts warp = context("Microsoft Corporation", "D3D12 (Microsoft Basic Render Driver)", "3.3 Mesa", kDriversOwn);
    ReportFacts zinkSoftware = context("Mesa", "zink (lavapipe)", "4.6 (Compatibility Profile) Mesa 24.0", kDriversOwn);
    ReportFacts zink = context("Mesa", "zink (AMD Radeon RX 6800 (RADV NAVI21))", "4.6 Mesa 24.0", kDriversOwn);

    ReportFacts notLoaded = gdi;  // the adapter names a driver, and opengl32 served the context itself
    notLoaded.bitness = Bitness::Windows64;
    notLoaded.adapters = {adapter("NVIDIA GeForce RTX 3060")};
    notLoaded.adapters[0].provider = Answer{true, "NVIDIA"};
    notLoaded.adapters[0].openGlDriver = Answer{true, "nvoglv64.dll"};
    ReportFacts only64 = notLoaded;  // the same key, read by a 32-bit program
    only64.bitness = Bitness::Wow64;
    ReportFacts toldBySystem = only64;  // the system names this bitness's driver, whatever the registry holds
    toldBySystem.adapters[0].openGlInfo = OpenGlInfoFacts{true, "nvoglv32.dll", 2, 0};

    ReportFacts parsec = gdi;
    parsec.adapters = {adapter("Parsec Virtual Display Adapter")};
    parsec.adapters[0].provider = Answer{true, "Parsec Cloud, Inc."};

    ReportFacts mesaWide = context("Mesa", "llvmpipe (LLVM 17.0.6, 256 bits)", "4.5 (Compatibility Profile) Mesa 24.0", kDriversOwn);
    mesaWide.driverValues = {{"Software (MICROSOFT)", "OpenGL32.dll"}, {"MSOGL", "C:\\Windows\\System32\\mesadrv.dll"}};
    ReportFacts noFormat = context("V", "R", "3.3 V", kDriversOwn);
    noFormat.pixelFormat = PixelFormatFacts{};

    struct Case {
        const char* what;
        const ReportFacts& facts;
        Verdict verdict;
        const char* word;  // the implementation's first word; null: unknown
        std::string summary;
    };
    const Case cases[] = {
        {"GDI Generic", gdi, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: no graphics driver provides OpenGL here."},
        {"in a remote session", remote, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: no graphics driver provides OpenGL here. This is a remote "
         "desktop session, where Windows offers no driver's OpenGL unless the policy " + kPolicy + " (bEnumerateHWBeforeSW) is set."},
        {"in a remote session with the policy set", remoteWithGpu, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: no graphics driver provides OpenGL here. This is a remote "
         "desktop session, with the policy " + kPolicy + " set, yet no driver's OpenGL serves it."},
        {"on the basic display adapter", basic, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: the display adapter \"Microsoft Basic Display Adapter\" has no "
         "vendor driver installed."},
        {"in a VMware virtual machine", vmware, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: the display adapter \"VMware SVGA 3D\" is a VMware virtual "
         "machine's, and no OpenGL driver serves it."},
        {"a driver without OpenGL", noIcd, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: the display adapter \"Acme Graphics\" has a driver by Acme that "
         "registers no OpenGL driver."},
        {"llvmpipe with a driver's own format", llvmpipe, Verdict::Software, "software",
         "OpenGL 4.5 in software (llvmpipe), under Wine 8.0."},
        {"a vendor's driver with a core profile", nvidia, Verdict::Hardware, "hardware",
         "OpenGL 4.6 on NVIDIA GeForce RTX 3060, in hardware, by the graphics vendor's driver; core profile 4.6."},
        {"two adapters", twoAdapters, Verdict::Hardware, "hardware",
         "OpenGL 4.6 on Intel(R) UHD Graphics 630, in hardware. This machine has 2 display adapters; OpenGL runs on "
         "\"Intel(R) UHD Graphics 630\", not on \"NVIDIA GeForce RTX 3060\"."},
        {"no context", none, Verdict::None, nullptr,
         "OpenGL could not be initialised: no pixel format or context could be made. This is a remote desktop session, "
         "where Windows offers no driver's OpenGL unless the policy " + kPolicy + " (bEnumerateHWBeforeSW) is set."},
        {"x86 on Windows on ARM", arm, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: no vendor ships a desktop OpenGL driver for Windows on ARM; "
         "Microsoft's OpenCL and OpenGL Compatibility Pack, from the Microsoft Store, provides OpenGL over Direct3D 12."},
        {"OpenGL on Direct3D 12", d3d12, Verdict::Hardware, "hardware",
         "OpenGL 3.3 on Qualcomm(R) Adreno(TM) 690 GPU over Direct3D 12 (Microsoft's OpenCL and OpenGL Compatibility "
         "Pack 1.2302.1.0), in hardware."},
        {"WARP", warp, Verdict::Software, "software",
         "OpenGL 3.3 in software (Microsoft Basic Render Driver) over Direct3D 12 (Microsoft's OpenCL and OpenGL "
         "Compatibility Pack)."},
        {"Zink on lavapipe", zinkSoftware, Verdict::Software, "software", "OpenGL 4.6 in software (lavapipe) over Vulkan (Mesa's Zink)."},
        {"Zink on a GPU", zink, Verdict::Hardware, "hardware",
         "OpenGL 4.6 on AMD Radeon RX 6800 (RADV NAVI21) over Vulkan (Mesa's Zink), in hardware."},
        {"a registered driver that did not load", notLoaded, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: the display adapter \"NVIDIA GeForce RTX 3060\" registers the "
         "OpenGL driver nvoglv64.dll, which did not load."},
        {"a driver for 64-bit programs only", only64, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: the display adapter \"NVIDIA GeForce RTX 3060\" registers an "
         "OpenGL driver for 64-bit programs only (nvoglv64.dll), so 32-bit programs get Windows' own; the 64-bit build, "
         "gl-renderer-info-x64.exe, shows what 64-bit programs get."},
        {"the system's answer over the registry's", toldBySystem, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: the display adapter \"NVIDIA GeForce RTX 3060\" registers the "
         "OpenGL driver nvoglv32.dll, which did not load."},
        {"the desktop on a virtual display", parsec, Verdict::Generic, "software",
         "Only Windows' built-in OpenGL 1.1, in software: the desktop is on the virtual display adapter \"Parsec Virtual "
         "Display Adapter\" (Parsec), which has no OpenGL driver of its own."},
        {"Mesa installed system-wide", mesaWide, Verdict::Software, "software",
         "OpenGL 4.5 in software (llvmpipe). Mesa is installed system-wide: the OpenGL drivers value \"MSOGL\" names "
         "C:\\Windows\\System32\\mesadrv.dll, which serves OpenGL where no vendor's driver does."},
        {"a library that cannot be loaded", unloadable, Verdict::None, nullptr,
         "OpenGL could not be initialised: the OpenGL library C:\\nope\\opengl32.dll could not be used: The specified "
         "module could not be found. (error 126)."},
        {"two adapters of one name", twins, Verdict::Hardware, "hardware",
         "OpenGL 4.6 on NVIDIA GeForce RTX 3060, in hardware. This machine has 2 display adapters; OpenGL runs on "
         "\"NVIDIA GeForce RTX 3060\" (adapter 2), not on \"NVIDIA GeForce RTX 3060\" (adapter 1)."},
        {"two adapters of one name, no ids", twinsByName, Verdict::Hardware, "hardware",
         "OpenGL 4.6 on NVIDIA GeForce RTX 3060, in hardware."},
        {"an empty renderer", unnamed, Verdict::Hardware, "hardware", "OpenGL 3.3 on a renderer that gives no name, in hardware."},
        {"no pixel format", noFormat, Verdict::Unknown, nullptr,
         "OpenGL 3.3 on R; whether in hardware is not known: no pixel format is in use."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Summary s = makeReport(c.facts).findings.summary;
        EXPECT_EQ(s.verdict, c.verdict);
        EXPECT_EQ(s.text, c.summary);
        const ImplementationKind kind = classifyImplementation(c.facts);
        EXPECT_EQ(kind.word == nullptr ? "unknown" : kind.word, std::string(c.word == nullptr ? "unknown" : c.word));
        const std::string report = formatReport(makeReport(c.facts));
        EXPECT_NE(report.find("\r\nSummary: " + c.summary + "\r\n"), std::string::npos);
    }
    // Why llvmpipe is software, although its format looks like a driver's own.
    EXPECT_EQ(classifyImplementation(llvmpipe).reason,
              "llvmpipe is a software rasteriser; WGL_WINE_query_renderer says it is not accelerated");
    EXPECT_NE(formatReport(makeReport(twoAdapters)).find("\r\n  Intel(R) UHD Graphics 630: primary, attached; provider not reported, "
                                             "version not reported, date not reported; video memory not reported; OpenGLDriverName not reported; "
                                             "PCI ids not reported; OpenGL driver from the system not reported; "
                                             "DXGI's GPU preferences not reported; OpenGL runs here\r\n"),
              std::string::npos);
    const std::string armReport = formatReport(makeReport(arm));
    EXPECT_NE(armReport.find("\r\nWindows: 0.0 build 0, Win32s, x86 program on ARM64 Windows\r\n"), std::string::npos) << armReport;
    const std::string told = formatReport(makeReport(toldBySystem));
    EXPECT_NE(told.find("; OpenGL driver for this bitness, from the system: nvoglv32.dll (version 2, flags 0x0)"), std::string::npos);
    EXPECT_NE(formatReport(makeReport(remoteWithGpu)).find(", remote sessions use the hardware graphics adapters (policy bEnumerateHWBeforeSW = 1)\r\n"),
              std::string::npos);
    EXPECT_EQ(virtualMachine({adapter("Red Hat QXL controller")}), "QEMU");
    EXPECT_EQ(virtualMachine({adapter("Standard display", 0x80EE)}), "VirtualBox");
    EXPECT_EQ(virtualMachine({adapter("Wine Adapter")}), "");
}

TEST(Diagnosis, MatchesAdaptersAndRequirements) {
    unsigned vendor = 1, device = 1;
    parsePciIds("PCI\\VEN_10DE&DEV_2504&SUBSYS_88031043&REV_A1", &vendor, &device);
    EXPECT_EQ(vendor, 0x10DEu);
    EXPECT_EQ(device, 0x2504u);
    for (const char* odd : {"PCI\\VEN_0000&DEV_0000", "ROOT\\BasicDisplay", "PCI\\VEN_10D", ""}) {
        parsePciIds(odd, &vendor, &device);
        EXPECT_EQ(vendor, 0u) << odd;
    }
    // The renderer query's ids decide where they are known, the names otherwise.
    ReportFacts f = context("Mesa", "AMD Radeon RX 6800 (navi21, LLVM 15.0.6, DRM 3.49)", "4.6", kDriversOwn);
    f.rendererQuery.offered = true;
    f.rendererQuery.vendorId = LimitReading{true, true, {0x1002, 0}};
    f.rendererQuery.deviceId = LimitReading{true, true, {0x73BF, 0}};
    EXPECT_TRUE(rendersOpenGl(adapter("Wine Adapter", 0x1002, 0x73BF), f));
    EXPECT_FALSE(rendersOpenGl(adapter("AMD Radeon RX 6800", 0x1002, 0x1234), f));
    f.rendererQuery.vendorId.values[0] = 0xFFFFFFFF;  // Wine does not know them
    EXPECT_TRUE(rendersOpenGl(adapter("AMD Radeon RX 6800"), f));

    ReportFacts mesa = context("Mesa", "llvmpipe", "4.5 (Compatibility Profile) Mesa 22.3.6", kDriversOwn);
    mesa.coreProfile.state = CoreProfileFacts::State::Made;
    mesa.coreProfile.version = Answer{true, "4.5 (Core Profile) Mesa 22.3.6"};
    mesa.glExtensions = {"GL_ARB_multisample"};
    mesa.wglExtensions = {"WGL_ARB_pbuffer"};
    ReportFacts old = context("Double", "Double", "1.1 Double", kDriversOwn);
    // A high compatibility version and no core profile: a core profile asked
    // for is missing, however high the compatibility version.
    ReportFacts compatibilityOnly = context("Vendor", "Renderer", "4.6 Compatibility", kDriversOwn);
    compatibilityOnly.coreProfile.state = CoreProfileFacts::State::None;
    ReportFacts failed;
    failed.openGlInitialised = false;
    struct Case {
        const ReportFacts& facts;
        int major, minor;
        bool core;
        std::vector<std::string> extensions;
        std::vector<std::string> missing;
    };
    const Case cases[] = {
        {mesa, 3, 3, false, {}, {}},
        {mesa, 4, 5, true, {"GL_ARB_multisample", "WGL_ARB_pbuffer"}, {}},
        {mesa, 4, 6, false, {}, {"OpenGL 4.6"}},
        {mesa, 9, 9, true, {"GL_NO_such"}, {"OpenGL 9.9 core profile", "GL_NO_such"}},
        {old, 1, 1, false, {}, {}},
        {old, 2, 0, false, {}, {"OpenGL 2.0"}},
        {old, 3, 2, true, {}, {"OpenGL 3.2 core profile"}},  // no core profile made
        {compatibilityOnly, 3, 3, true, {}, {"OpenGL 3.3 core profile"}},
        {compatibilityOnly, 4, 7, false, {}, {"OpenGL 4.7"}},  // minor above, major equal
        {mesa, 5, 0, false, {}, {"OpenGL 5.0"}},               // major above, minor below
        {failed, 1, 0, false, {"GL_a"}, {"OpenGL 1.0", "GL_a"}},
    };
    for (const Case& c : cases) {
        Requirements r;
        r.hasVersion = true;
        r.version = RequiredVersion{c.major, c.minor, c.core};
        r.extensions = c.extensions;
        const RequirementCheck check = checkRequirements(r, c.facts, renderingResult(c.facts));
        EXPECT_EQ(check.missing, c.missing) << c.major << "." << c.minor;
        EXPECT_EQ(check.met, c.missing.empty());
    }
    Request asked;
    asked.requirements.hasVersion = true;
    asked.requirements.version = RequiredVersion{3, 3, false};
    EXPECT_EQ(requirementsLine(makeReport(mesa, asked)), "OpenGL requirements met: 4.5 (Compatibility Profile) Mesa 22.3.6");
    asked.requirements.version = RequiredVersion{3, 3, true};  // met by the core profile, which it names
    EXPECT_EQ(requirementsLine(makeReport(mesa, asked)), "OpenGL requirements met: core profile 4.5 (Core Profile) Mesa 22.3.6");
    asked.requirements.version = RequiredVersion{4, 6, false};
    asked.requirements.extensions = {"GL_x"};
    EXPECT_EQ(requirementsLine(makeReport(mesa, asked)),
              "OpenGL requirements not met: missing OpenGL 4.6, GL_x. OpenGL 4.5 in software (llvmpipe).");
}

// A request for a pixel format answered as a program would find it: the
// chooser's match, else any listed format where ChoosePixelFormat alone was
// asked; the renderer's kind beside "accelerated"; counts past the list said so.
TEST(Diagnosis, APixelFormatRequestIsAnsweredAsAProgramFindsIt) {
    ReportFacts f = context("Mesa", "llvmpipe (LLVM 15.0.6, 256 bits)", "4.5 Mesa 22.3.6", kDriversOwn);
    f.pixelFormatTable.source = PixelFormatTable::Source::Describe;
    f.pixelFormatTable.count = 2;
    DescribedFormat shallow{0x25, 0, 32, 8, 8, 8, 8, 0, 16, 0, 0}, deep{0x25, 0, 32, 8, 8, 8, 8, 0, 24, 8, 0};
    f.pixelFormatTable.rows = {rowFromDescription(1, shallow), rowFromDescription(2, deep)};
    f.requestedFormat = ReportFacts::RequestedFormat{true, 1, false};  // ChoosePixelFormat's closest: 16 bits
    Request asked;
    std::string error;
    ASSERT_TRUE(parsePixelFormatRequest("depth=24,stencil=8", &asked.requirements.pixelFormat, &error));
    const Report found = makeReport(f, asked);
    EXPECT_TRUE(found.findings.requirements.met);
    EXPECT_EQ(found.findings.requirements.pixelFormat, 2);
    EXPECT_NE(requirementsLine(found).find("format 2; ChoosePixelFormat's closest match, format 1, does not meet it"), std::string::npos)
        << requirementsLine(found);
    // wglChoosePixelFormatARB's answer is what a program that asks it gets: no list walked.
    ReportFacts arb = f;
    arb.requestedFormat = ReportFacts::RequestedFormat{true, 0, true};
    EXPECT_FALSE(makeReport(arb, asked).findings.requirements.met);
    // Neither has it: what none has is named.
    ASSERT_TRUE(parsePixelFormatRequest("depth=32", &asked.requirements.pixelFormat, &error));
    EXPECT_EQ(makeReport(f, asked).findings.requirements.noFormatHas, "depth=32");

    // "accelerated" is the format's word; the renderer's kind stands beside it.
    ASSERT_TRUE(parsePixelFormatRequest("accelerated", &asked.requirements.pixelFormat, &error));
    f.requestedFormat = ReportFacts::RequestedFormat{true, 2, false};
    const std::string software = requirementsLine(makeReport(f, asked));
    EXPECT_EQ(software.rfind("OpenGL requirements met: ", 0), 0u) << software;
    EXPECT_NE(software.find("the format says accelerated, but the renderer is software"), std::string::npos) << software;
    ReportFacts hardware = f;
    hardware.renderer = Answer{true, "NVIDIA GeForce RTX 4070/PCIe/SSE2"};
    EXPECT_EQ(requirementsLine(makeReport(hardware, asked)).find("software"), std::string::npos);
    ASSERT_TRUE(parsePixelFormatRequest("depth=16", &asked.requirements.pixelFormat, &error));
    EXPECT_EQ(requirementsLine(makeReport(f, asked)).find("software"), std::string::npos) << "not asked for acceleration";

    // One format is a count like any other; none says none.
    f.pixelFormats = PixelFormatCounts{1, 1, 0};
    EXPECT_NE(formatReport(makeReport(f)).find("\r\nPixel formats: 1 in all, 1 draw to a window with OpenGL, 0 of those a driver's own\r\n"),
              std::string::npos);
    f.pixelFormats = PixelFormatCounts{0, 0, 0};
    EXPECT_NE(formatReport(makeReport(f)).find("\r\nPixel formats: none\r\n"), std::string::npos);
    // The counts line at the list's limit and one past it.
    f.pixelFormats = PixelFormatCounts{kMostPixelFormats, 300, 20};
    EXPECT_NE(formatReport(makeReport(f)).find("\r\nPixel formats: 1024 in all, 300 draw to a window with OpenGL, 20 of those a driver's own\r\n"),
              std::string::npos);
    f.pixelFormats.all = kMostPixelFormats + 1;
    EXPECT_NE(formatReport(makeReport(f)).find("\r\nPixel formats: 1025 in all; of the first 1024, 300 draw to a window with OpenGL, "
                                               "20 of those a driver's own\r\n"),
              std::string::npos)
        << formatReport(makeReport(f));
}

// Every software rasteriser by the renderer string its implementation writes,
// as it writes it; drivers' names are none of them.
TEST(Diagnosis, KnowsEverySoftwareRasteriserByItsOwnName) {
    const char* software[] = {
        "GDI Generic",                                  // Windows' own
        "llvmpipe (LLVM 15.0.6, 256 bits)",             // Mesa's Gallium
        "Gallium 0.4 on llvmpipe (LLVM 3.4, 128 bits)", // older Mesa
        "Gallium 0.4 on softpipe",
        "Software Rasterizer",                          // Mesa's classic swrast
        "Mesa X11",
        "Mesa OffScreen",
        "Google SwiftShader",
        "D3D12 (Microsoft Basic Render Driver)",        // WARP
        "Apple Software Renderer",
        "zink (lavapipe)",
    };
    for (const char* renderer : software) {
        EXPECT_NE(softwareRasteriser(renderer), nullptr) << renderer;
        const ReportFacts f = context("Vendor", renderer, "3.3", kDriversOwn);
        EXPECT_STREQ(classifyImplementation(f).word, "software") << renderer;
    }
    for (const char* driver : {"NVIDIA GeForce RTX 3060/PCIe/SSE2", "AMD Radeon RX 6800 (navi21, LLVM 15.0.6, DRM 3.49)",
                               "Intel(R) UHD Graphics 630", "Mesa Intel(R) UHD Graphics 630 (CFL GT2)"}) {
        EXPECT_EQ(softwareRasteriser(driver), nullptr) << driver;
    }
}

// Cases whose values tell two rules apart, each table row and other branch,
// and the first and last value of every range the words are looked up by.
TEST(Diagnosis, TellsApartWhatLooksAlike) {
    // Microsoft's renderers: only "D3D12 (...)" by Microsoft is over Direct3D 12.
    EXPECT_EQ(translationLayer(context("Microsoft Corporation", "GDI Generic", "1.1.0", kGeneric)).over, nullptr);
    EXPECT_EQ(translationLayer(context("Acme", "D3D12 (Acme GPU)", "3.3", kDriversOwn)).over, nullptr);
    EXPECT_STREQ(translationLayer(context("Microsoft Corporation", "D3D12 (Acme GPU)", "3.3", kDriversOwn)).over, "Direct3D 12");
    EXPECT_STREQ(translationLayer(context("Mesa", "ZINK (X)", "4.6", kDriversOwn)).over, "Vulkan");
    ReportFacts failed = context("Microsoft Corporation", "D3D12 (Acme GPU)", "3.3", kDriversOwn);
    failed.openGlInitialised = false;
    EXPECT_EQ(translationLayer(failed).over, nullptr);

    // Every virtual display the table knows, by its own words.
    const std::pair<const char*, const char*> displays[] = {
        {"IddSampleDriver Device", "the indirect display sample driver"},
        {"Microsoft Indirect Display Device", "an indirect display driver"},
        {"spacedesk Graphics Adapter", "spacedesk"},
        {"USB Mobile Monitor Virtual Display", "usbmmidd"},
        {"usbmmidd", "usbmmidd"},
    };
    for (const auto& d : displays) {
        ReportFacts f = context("Microsoft Corporation", "GDI Generic", "1.1.0", kGeneric);
        f.adapters = {adapter(d.first)};
        f.adapters[0].provider = Answer{true, "Someone"};
        EXPECT_NE(makeReport(f).findings.summary.text.find(std::string("(") + d.second + "), which has no OpenGL driver"), std::string::npos)
            << d.first << ": " << makeReport(f).findings.summary.text;
    }
    // A driver provided by Microsoft is no vendor's: registering no OpenGL says nothing of it.
    ReportFacts microsoft = context("Microsoft Corporation", "GDI Generic", "1.1.0", kGeneric);
    microsoft.adapters = {adapter("Acme Display")};
    microsoft.adapters[0].provider = Answer{true, "Microsoft"};
    EXPECT_EQ(makeReport(microsoft).findings.summary.text, "Only Windows' built-in OpenGL 1.1, in software: no graphics driver provides OpenGL here.");
    // The remote policy's 0 is set, and not to hardware: unlike 1, and unlike unset.
    ReportFacts remote = microsoft;
    remote.session.remote = true;
    remote.session.remoteHardwarePolicy = 0;
    EXPECT_NE(makeReport(remote).findings.summary.text.find("unless the policy"), std::string::npos);
    EXPECT_NE(formatJson(makeReport(remote)).find("\"remote_hardware_policy\":0"), std::string::npos);
    remote.session.remoteHardwarePolicy = 1;
    EXPECT_NE(makeReport(remote).findings.summary.text.find("set, yet no driver's OpenGL serves it"), std::string::npos);
    // Mesa switched off by this program's own switch ("~" before its name) serves nothing.
    ReportFacts mesa = context("Microsoft Corporation", "GDI Generic", "1.1.0", kGeneric);
    mesa.driverValues = {{"Software (MICROSOFT)", "OpenGL32.dll"}, {"~MSOGL", "C:\\Windows\\System32\\mesadrv.dll"}};
    EXPECT_EQ(makeReport(mesa).findings.summary.text.find("Mesa is installed"), std::string::npos);
    mesa.driverValues[1].first = "MSOGL";
    EXPECT_NE(makeReport(mesa).findings.summary.text.find("Mesa is installed"), std::string::npos);

    // Two adapters with a role each, told apart in the text and the JSON.
    ReportFacts two = context("Intel", "Intel(R) UHD Graphics 630", "4.6", kDriversOwn);
    two.adapters = {adapter("NVIDIA GeForce RTX 3060"), adapter("Intel(R) UHD Graphics 630")};
    two.adapters[1].primary = false;
    two.adapters[0].highPerformance = true;
    two.adapters[1].powerSaving = true;
    two.gpuRolesReported = true;
    const std::string text = formatReport(makeReport(two));
    EXPECT_NE(text.find("  NVIDIA GeForce RTX 3060: primary, attached;"), std::string::npos);
    EXPECT_NE(text.find("  Intel(R) UHD Graphics 630: attached;"), std::string::npos);
    const std::size_t first = text.find("  NVIDIA GeForce RTX 3060: "), second = text.find("  Intel(R) UHD Graphics 630: ");
    const std::string nvidiaLine = text.substr(first, text.find("\r\n", first) - first);
    const std::string intelLine = text.substr(second, text.find("\r\n", second) - second);
    EXPECT_NE(nvidiaLine.find("high-performance"), std::string::npos) << nvidiaLine;
    EXPECT_EQ(nvidiaLine.find("power-saving"), std::string::npos) << nvidiaLine;
    EXPECT_NE(intelLine.find("power-saving"), std::string::npos) << intelLine;
    EXPECT_EQ(intelLine.find("high-performance"), std::string::npos) << intelLine;
    const std::string json = formatJson(makeReport(two));
    EXPECT_NE(json.find("\"high_performance\":true,\"power_saving\":false"), std::string::npos);
    EXPECT_NE(json.find("\"high_performance\":false,\"power_saving\":true"), std::string::npos);

    // The first and last of every range, and past them.
    EXPECT_STREQ(platformWords(0).text, "Win32s");
    EXPECT_STREQ(platformWords(2).json, "NT");
    EXPECT_STREQ(platformWords(3).text, "unknown family");
    EXPECT_EQ(platformWords(3).json, nullptr);
    EXPECT_EQ(platformWords(0xFFFFFFFFul).json, nullptr);
    EXPECT_EQ(bitnessWords(Bitness::Unknown).text, nullptr);
    EXPECT_STREQ(bitnessWords(Bitness::Windows64).json, "64-bit");
    EXPECT_STREQ(gpuPreferenceWord(-1), "not set");
    EXPECT_STREQ(gpuPreferenceWord(0), "let Windows decide");
    EXPECT_STREQ(gpuPreferenceWord(2), "high performance");
    EXPECT_STREQ(gpuPreferenceWord(3), "a value Windows does not know");
    EXPECT_STREQ(gpuPreferenceWord(-2), "a value Windows does not know");
    EXPECT_EQ(machineWord(0), nullptr);
    EXPECT_STREQ(machineWord(0x01C4), "ARM");
    EXPECT_STREQ(machineWord(0xAA64), "ARM64");
    EXPECT_STREQ(machineWord(0x0200), "other");
    EXPECT_STREQ(verdictWord(Verdict::None), "none");
    EXPECT_STREQ(verdictWord(Verdict::Unknown), "unknown");
    EXPECT_EQ(hexId(0x10DE), "10DE");
    EXPECT_EQ(hexId(0x12345), "2345");
}

// What a program asked about gets, where OpenGL could not start here: the
// registered drivers still decide, except under Wine.
TEST(Diagnosis, AProgramsFindingsHoldWithoutOpenGl) {
    ReportFacts f;
    f.openGlInitialised = false;
    f.bitness = Bitness::Wow64;
    f.programMachine = kMachineX86;
    f.adapters = {adapter("NVIDIA GeForce RTX 3060")};
    f.adapters[0].openGlDriver = Answer{true, "nvoglv64.dll"};
    f.applicationAsked = true;
    f.application.name = "game.exe";
    f.application.image.machine = kMachineX86;
    EXPECT_EQ(makeReport(f).findings.program.summary,
              "Only Windows' built-in OpenGL 1.1: the display adapter \"NVIDIA GeForce RTX 3060\" registers no OpenGL driver "
              "for 32-bit programs.");
    f.session.wine = true;
    EXPECT_EQ(makeReport(f).findings.program.summary.find("registers no OpenGL driver"), std::string::npos);
    // A GPU preference of 0 is set (let Windows decide), and written as 0, not as null.
    f.application.gpuPreference = 0;
    EXPECT_NE(formatJson(makeReport(f)).find("\"gpu_preference\":0,"), std::string::npos);
    f.tool.gpuPreference = 0;
    EXPECT_NE(formatJson(makeReport(f)).find("\"declares_windows_10\":null,\"gpu_preference\":0}"), std::string::npos);
}

// Where OpenGL cannot reach a display driver: each cause alone, with values
// that tell them apart, says so first and blames nothing of the machine; an
// interactive session is measured as always.
TEST(Diagnosis, ASessionWithoutADisplayIsNoMeasureOfTheMachine) {
    ReportFacts generic = context("Microsoft Corporation", "GDI Generic", "1.1.0", kGeneric);
    generic.adapters = {adapter("NVIDIA GeForce RTX 4070")};
    Request asked;
    asked.requirements.hasVersion = true;
    asked.requirements.version = RequiredVersion{3, 3, false};
    using Account = SessionFacts::Account;
    const struct {
        long id;
        int station;
        Account account;
        bool disconnected;
        const char* where;  // null: measurable
    } cases[] = {
        {0, 1, Account::Other, false, "in session 0"},
        {2, 0, Account::Other, false, "in a window station with no display"},
        {3, 1, Account::LocalSystem, false, "as SYSTEM"},
        {3, 1, Account::LocalService, false, "as LocalService"},
        {3, 1, Account::NetworkService, false, "as NetworkService"},
        {4, 1, Account::Other, true, "in a disconnected remote session"},
        {0, 0, Account::LocalSystem, false, "in session 0 and in a window station with no display as SYSTEM"},
        {1, 1, Account::Other, false, nullptr},
        {-1, -1, Account::NotReported, false, nullptr},  // nothing reported: measured as always
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where != nullptr ? c.where : "measurable");
        ReportFacts f = generic;
        f.session.sessionId = c.id;
        f.session.interactiveStation = c.station;
        f.session.account = c.account;
        f.session.disconnected = c.disconnected;
        EXPECT_EQ(whereNotMeasurable(f.session), c.where != nullptr ? c.where : "");
        const Report r = makeReport(f, asked);
        if (c.where == nullptr) {
            EXPECT_EQ(r.findings.summary.verdict, Verdict::Generic);
            EXPECT_FALSE(r.findings.requirements.cannotJudge);
            continue;
        }
        EXPECT_EQ(r.findings.summary.verdict, Verdict::NotMeasurable);
        EXPECT_EQ(r.findings.summary.text, "OpenGL cannot be measured here: this runs " + std::string(c.where) +
                                               ", where Windows gives every program only its built-in OpenGL 1.1. Run it in the "
                                               "user's session.");
        EXPECT_TRUE(r.findings.requirements.cannotJudge && !r.findings.requirements.met);
        EXPECT_EQ(r.findings.rendering.kind, RenderingResult::Kind::NotRun);
        EXPECT_EQ(requirementsLine(r).rfind("OpenGL requirements cannot be judged here. OpenGL cannot be measured here", 0), 0u);
        const std::string json = formatJson(r);
        EXPECT_NE(json.find("\"verdict\":\"not_measurable\""), std::string::npos);
        EXPECT_NE(json.find("\"can_be_judged\":false"), std::string::npos);
        EXPECT_NE(json.find("\"measurable\":false"), std::string::npos);
    }
    // Without a requirement there is nothing to judge, and nothing cannot be.
    ReportFacts service = generic;
    service.session.sessionId = 0;
    EXPECT_FALSE(makeReport(service).findings.requirements.cannotJudge);
    EXPECT_NE(formatReport(makeReport(service)).find("\r\nSession: local, no virtual machine recognised, session 0\r\n"),
              std::string::npos);
}

// The driver date as the registry keeps it, in ISO 8601; what is no date is
// kept and marked, never guessed; video memory in the adapter's line.
TEST(Diagnosis, DriverDatesAndVideoMemoryReadAsTheRegistryKeepsThem) {
    const struct {
        const char* registry;
        const char* iso;  // null: not understood
    } dates[] = {{"12-9-2026", "2026-12-09"}, {"1-1-2001", "2001-01-01"}, {"02-29-2024", "2024-02-29"},
                 {"2023-12-01", "2023-12-01"}, {"12-31-1999", "1999-12-31"}, {"13-1-2020", nullptr},
                 {"2-29-2023", nullptr},       {"0-1-2020", nullptr},         {"4-31-2020", nullptr},
                 {"12/9/2026", nullptr},       {"", nullptr},                 {"12-9-26", nullptr},
                 {"12-9-2026x", nullptr},      {"1-2-3-4", nullptr},          {"2026-12-9", nullptr},
                 {"2-30-2024", nullptr},       {"1-1-1980", "1980-01-01"},    {"12-31-1979", nullptr},
                 {"12-9-", nullptr},           {"2-28-2023", "2023-02-28"},
                 // Every month's last day, and the day after where it has 30.
                 {"1-31-2021", "2021-01-31"},  {"3-31-2021", "2021-03-31"},  {"5-31-2021", "2021-05-31"},
                 {"7-31-2021", "2021-07-31"},  {"8-31-2021", "2021-08-31"},  {"10-31-2021", "2021-10-31"},
                 {"4-30-2021", "2021-04-30"},  {"6-30-2021", "2021-06-30"},  {"9-30-2021", "2021-09-30"},
                 {"11-30-2021", "2021-11-30"}, {"6-31-2021", nullptr},       {"9-31-2021", nullptr},
                 {"11-31-2021", nullptr}};
    for (const auto& d : dates) {
        const DriverDate date = isoDriverDate(d.registry);
        EXPECT_EQ(date.understood, d.iso != nullptr) << d.registry;
        if (d.iso != nullptr) {
            EXPECT_EQ(date.iso, d.iso) << d.registry;
        }
    }
    ReportFacts f = context("NVIDIA Corporation", "NVIDIA GeForce RTX 4070/PCIe/SSE2", "4.6.0", kDriversOwn);
    f.adapters = {adapter("A"), adapter("B")};
    f.adapters[0].driverDate = Answer{true, "12-9-2026"};
    f.adapters[0].memoryReported = true;
    f.adapters[0].memoryBytes = 12ull * 1024 * 1024 * 1024;  // past 4 GiB, where WMI stops
    f.adapters[1].driverDate = Answer{true, "13-40-2026"};
    const std::string text = formatReport(makeReport(f));
    EXPECT_NE(text.find("date 2026-12-09; video memory 12288 MiB;"), std::string::npos) << text;
    EXPECT_NE(text.find("date 13-40-2026 (not understood); video memory not reported;"), std::string::npos);
    const std::string json = formatJson(makeReport(f));
    EXPECT_NE(json.find("\"driver_date\":\"2026-12-09\",\"driver_date_understood\":true,\"video_memory_bytes\":12884901888,"),
              std::string::npos) << json;
    EXPECT_NE(json.find("\"driver_date\":\"13-40-2026\",\"driver_date_understood\":false,\"video_memory_bytes\":null,"),
              std::string::npos);
}
