#include <gtest/gtest.h>

#include "pe_builder.h"
#include "program/application.h"
#include "program/manifest.h"
#include "program/pe_image.h"

namespace {

const std::string kWindows10 =
    "<assembly><compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\"><application>"
    "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>"
    "<supportedOS Id=\"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}\"/></application></compatibility></assembly>";
const std::string kWindows7 =
    "<assembly><!-- {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a} --><compatibility><application>"
    "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/></application></compatibility></assembly>";

ImageReading read(const std::vector<std::uint8_t>& bytes) { return readProgramImage(bytes.data(), bytes.size()); }

bool declaresWindows10(const std::string& manifest) { return readManifestText(manifest).declaresWindows10; }

std::vector<std::uint8_t> bytesOf(const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); }

}  // namespace

// What a program's file says, read from crafted bytes; every odd file is refused
// with a reason, never read past its end.
TEST(Program, ReadsWhatTheFileSays) {
    PeRecipe game;
    game.exports = {{"NvOptimusEnablement", 1}, {"AmdPowerXpressRequestHighPerformance", 0}};
    game.imports = {"KERNEL32.dll", "OPENGL32.dll"};
    game.manifest = kWindows10;
    const ImageReading read64 = read(buildPe(game));
    ASSERT_TRUE(read64.read) << read64.problem;
    EXPECT_EQ(read64.image.machine, 0x8664u);
    EXPECT_TRUE(read64.image.nvOptimusEnablement.exported);
    EXPECT_EQ(read64.image.nvOptimusEnablement.value, 1u);
    EXPECT_TRUE(read64.image.amdPowerXpress.exported);
    EXPECT_EQ(read64.image.amdPowerXpress.value, 0u);
    EXPECT_TRUE(read64.image.importsOpenGl32);
    EXPECT_TRUE(declaresWindows10(read64.image.manifest));

    PeRecipe old;
    old.machine = 0x14C;
    old.plus = false;
    old.imports = {"user32.dll"};
    old.manifest = kWindows7;
    const ImageReading read32 = read(buildPe(old));
    ASSERT_TRUE(read32.read) << read32.problem;
    EXPECT_EQ(read32.image.machine, 0x14Cu);
    EXPECT_FALSE(read32.image.nvOptimusEnablement.exported);
    EXPECT_FALSE(read32.image.importsOpenGl32);
    EXPECT_FALSE(declaresWindows10(read32.image.manifest)) << "a comment that holds the GUID declares nothing";
    std::string utf16 = "\xFF\xFE";
    for (char c : kWindows10) utf16 += std::string(1, c) + '\0';
    EXPECT_TRUE(declaresWindows10(utf16));

    // How it runs is in its headers: .NET's CLR flags, a DLL's mark, the
    // subsystem; the manifest Windows reads is the one with ID 1; Qt and a
    // delay-loaded opengl32.dll are among the imports.
    PeRecipe anyCpu = old;
    anyCpu.clr = true;
    anyCpu.clrFlags = kClrIlOnly | kClr32BitPreferred;
    anyCpu.manifestId = 2;
    anyCpu.imports = {"Qt5Core.dll"};
    anyCpu.delayImports = {"opengl32.dll"};
    const ImageReading dotnet = read(buildPe(anyCpu));
    ASSERT_TRUE(dotnet.read) << dotnet.problem;
    EXPECT_TRUE(dotnet.image.hasClrHeader);
    EXPECT_EQ(dotnet.image.clrFlags, kClrIlOnly | kClr32BitPreferred);
    EXPECT_FALSE(dotnet.image.plus);
    EXPECT_FALSE(dotnet.image.hasManifest) << "a manifest with ID 2 is no process's";
    EXPECT_TRUE(dotnet.image.importsQt);
    EXPECT_TRUE(dotnet.image.importsOpenGl32) << "delay-loaded";
    // Layouts other linkers write: descriptors without lookup tables, and
    // Visual C++ 6's delay-load form, which holds addresses from the image base.
    PeRecipe borland = old;
    borland.imports = {"kernel32.dll", "OPENGL32.DLL"};
    borland.noLookupTables = true;
    EXPECT_TRUE(read(buildPe(borland)).image.importsOpenGl32);
    PeRecipe vc6 = old;
    vc6.delayImports = {"kernel32.dll", "opengl32.dll"};
    vc6.oldDelayForm = true;
    EXPECT_TRUE(read(buildPe(vc6)).image.importsOpenGl32) << "the old delay-load form";
    vc6.delayImports = {"kernel32.dll"};
    EXPECT_FALSE(read(buildPe(vc6)).image.importsOpenGl32);
    vc6.delayImports = {"opengl32.dll"};
    vc6.imageBase = 0x10000000;
    EXPECT_TRUE(read(buildPe(vc6)).image.importsOpenGl32) << "another image base";
    EXPECT_FALSE(read64.image.hasClrHeader);
    EXPECT_FALSE(read64.image.importsQt);
    PeRecipe dll = game;
    dll.characteristics = 0x2022;
    const std::vector<std::uint8_t> dllBytes = buildPe(dll);
    const ImageReading asImage = readPeImage(dllBytes.data(), dllBytes.size());
    ASSERT_TRUE(asImage.read) << "any PE image is read as one";
    EXPECT_TRUE(asImage.image.isDll);
    EXPECT_EQ(asImage.image.machine, 0x8664u);
    PeRecipe console = game, native = game, efi = game, efiLast = game, boot = game, posix = game;
    console.subsystem = 3;
    native.subsystem = 1;
    efi.subsystem = 10;
    efiLast.subsystem = 13;
    boot.subsystem = 16;
    posix.subsystem = 7;
    EXPECT_TRUE(read(buildPe(console)).read);
    PeRecipe clrOutside = anyCpu;
    std::vector<std::uint8_t> clrBent = buildPe(clrOutside);
    clrBent[0x58 + 92 + 4 + 8 * 14 + 2] = 0x70;  // directory 14 far past the file

    // Odd files, each refused with its reason.
    std::vector<std::uint8_t> truncated = buildPe(game);
    truncated.resize(0x100);
    std::vector<std::uint8_t> outside = buildPe(game);
    outside[0x58 + 112] = 0x00;  // the export directory moved far past the file
    outside[0x58 + 113] = 0x00;
    outside[0x58 + 114] = 0x40;
    PeRecipe big = game;
    big.manifest = std::string(kMostManifestBytes + 1, ' ');
    std::vector<std::uint8_t> dos = bytesOf(std::string("MZ") + std::string(62, '\0'));
    std::vector<std::uint8_t> windows3 = bytesOf(std::string("MZ") + std::string(58, '\0') + std::string("\x40\0\0\0NE", 6));
    const std::pair<std::vector<std::uint8_t>, std::string> odd[] = {
        {bytesOf("just some text\r\n"), "it is not a program (no MZ header)"},
        {bytesOf(std::string("\x4C\0\0\0\x01\x14\x02\0", 8)), "it is a shortcut, not a program; name the program it leads to"},
        {dos, "it is a 16-bit program (DOS or Windows 3.x), not a Windows one this reads"},
        {windows3, "it is a 16-bit program (DOS or Windows 3.x), not a Windows one this reads"},
        {truncated, "its header is cut short"},
        {outside, "its directories point outside the file"},
        {buildPe(big), "its manifest is over 64 KiB"},
        {{}, "it is empty, not a program"},
        {dllBytes, "it is a DLL, not a program: check the program that loads it"},
        {buildPe(native), "it is a driver or another native-subsystem image, not a program"},
        {buildPe(efi), "it is an EFI image, not a Windows program"},
        {buildPe(efiLast), "it is an EFI image, not a Windows program"},
        {buildPe(boot), "it is a Windows boot application, not a program"},
        {buildPe(posix), "it is no Windows program (an unknown subsystem)"},
        {clrBent, "its directories point outside the file"},
    };
    for (const auto& o : odd) {
        const ImageReading r = read(o.first);
        EXPECT_FALSE(r.read) << o.second;
        EXPECT_EQ(r.problem, o.second);
    }
    // Cut anywhere, the bytes are refused or read, never read past.
    const std::vector<std::uint8_t> whole = buildPe(game);
    for (std::size_t n = 0; n < whole.size(); n += 7) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        const ImageReading r = read(cut);
        EXPECT_TRUE(r.read || !r.problem.empty()) << n;
    }
}

// A manifest counts as Windows reads it: XML, in its namespaces, with
// supportedOS inside compatibility/application of the root.
TEST(Program, ReadsTheManifestAsWindowsDoes) {
    const std::string compat = "urn:schemas-microsoft-com:compatibility.v1";
    const std::string guid = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}";
    const auto utf16 = [](const std::string& text, bool little, bool mark) {
        std::string out = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
        for (char c : text) out += little ? std::string(1, c) + '\0' : std::string(1, '\0') + c;
        return out;
    };
    const struct {
        const char* what;
        std::string manifest;
        bool windows10;
    } cases[] = {
        {"the usual form", kWindows10, true},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + kWindows10, true},
        {"UTF-16 with a mark", utf16(kWindows10, true, true), true},
        {"UTF-16 without a mark", utf16(kWindows10, true, false), true},
        {"UTF-16 big-endian", utf16(kWindows10, false, true), true},
        {"UTF-16 big-endian without a mark", utf16(kWindows10, false, false), true},
        {"a prefix bound to the namespace",
         "<?xml version=\"1.0\"?><asm:assembly xmlns:asm=\"urn:schemas-microsoft-com:asm.v1\"><c:compatibility xmlns:c=\"" + compat +
             "\"><c:application><c:supportedOS Id=' " + guid + " '/></c:application></c:compatibility></asm:assembly>",
         true},
        {"the GUID in a comment", kWindows7, false},
        {"compatibility without its namespace",
         "<assembly><compatibility><application><supportedOS Id=\"" + guid + "\"/></application></compatibility></assembly>", false},
        {"supportedOS outside application",
         "<assembly><compatibility xmlns=\"" + compat + "\"><supportedOS Id=\"" + guid + "\"/></compatibility></assembly>", false},
        {"application outside compatibility",
         "<assembly><application xmlns=\"" + compat + "\"><supportedOS Id=\"" + guid + "\"/></application></assembly>", false},
        {"compatibility below another element",
         "<assembly><dependency><compatibility xmlns=\"" + compat + "\"><application><supportedOS Id=\"" + guid +
             "\"/></application></compatibility></dependency></assembly>",
         false},
        {"the GUID in another attribute",
         "<assembly><compatibility xmlns=\"" + compat + "\"><application><supportedOS Name=\"" + guid +
             "\"/></application></compatibility></assembly>",
         false},
        {"the GUID as text in CDATA",
         "<assembly><compatibility xmlns=\"" + compat + "\"><application><![CDATA[<supportedOS Id=\"" + guid +
             "\"/>]]></application></compatibility></assembly>",
         false},
        {"an element left open", kWindows10.substr(0, kWindows10.size() - 11), false},
        {"mismatched end tags",
         "<assembly><compatibility xmlns=\"" + compat + "\"><application><supportedOS Id=\"" + guid +
             "\"/></compatibility></application></assembly>",
         false},
        {"a second root", kWindows10 + "<assembly/>", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readManifestText(c.manifest).declaresWindows10, c.windows10) << c.what;
    }
    EXPECT_TRUE(readManifestText(kWindows7).wellFormed);
    EXPECT_FALSE(readManifestText("").wellFormed);
    EXPECT_FALSE(readManifestText(std::string(70, '<') + "a>").wellFormed);
    // Nesting past what it reads is refused, not followed.
    std::string deep = "<assembly>";
    for (int k = 0; k < 100; ++k) deep += "<x>";
    EXPECT_FALSE(readManifestText(deep).wellFormed);
    // Nesting at the limit (64 elements) and one past it; a tag with no name.
    const auto nested = [](int elements) {
        std::string text;
        for (int k = 0; k < elements; ++k) text += "<x>";
        for (int k = 0; k < elements; ++k) text += "</x>";
        return text;
    };
    EXPECT_TRUE(readManifestText(nested(64)).wellFormed);
    EXPECT_FALSE(readManifestText(nested(65)).wellFormed);
    EXPECT_FALSE(readManifestText("<assembly><></assembly>").wellFormed);
    EXPECT_FALSE(readManifestText("<assembly><").wellFormed);
    const std::string arm64 =
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\"><application xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings>"
        "<supportedArchitectures xmlns=\"http://schemas.microsoft.com/SMI/2024/WindowsSettings\">amd64 ARM64</supportedArchitectures>"
        "</windowsSettings></application></assembly>";
    EXPECT_TRUE(readManifestText(arm64).supportsArm64);
    std::string amd64Only = arm64;
    amd64Only.replace(amd64Only.find("ARM64"), 5, "x86  ");
    EXPECT_FALSE(readManifestText(amd64Only).supportsArm64);
    EXPECT_FALSE(readManifestText(kWindows10).supportsArm64);
}

namespace {

ApplicationFacts program(unsigned machine) {
    ApplicationFacts p;
    p.path = "C:\\Games\\game.exe";
    p.name = "game.exe";
    p.image.machine = machine;
    p.image.plus = machine != 0x14C;
    return p;
}

// A .NET program: IL only in a PE32 file, with these flags besides.
ApplicationFacts dotnet(std::uint32_t flags) {
    ApplicationFacts p = program(0x14C);
    p.image.hasClrHeader = true;
    p.image.clrFlags = kClrIlOnly | flags;
    return p;
}

}  // namespace

// The bitness a program runs with, on each Windows: the first row that holds.
TEST(Program, RunsWithTheBitnessItsWindowsGivesIt) {
    const unsigned x86 = 0x14C, x64 = 0x8664, arm64 = 0xAA64;
    ApplicationFacts anyCpuArm = dotnet(0);
    anyCpuArm.manifestSupportsArm64 = true;
    ApplicationFacts pe32PlusIl = program(x64);
    pe32PlusIl.image.hasClrHeader = true;
    pe32PlusIl.image.clrFlags = kClrIlOnly;
    ApplicationFacts mixed = dotnet(0);  // C++/CLI: native code too, so its header decides
    mixed.image.clrFlags = 0;
    const struct {
        const char* what;
        ApplicationFacts program;
        unsigned windows;
        unsigned long build;
        unsigned process;  // 0: it cannot run
        bool emulated;
    } cases[] = {
        {"x86 on 32-bit Windows", program(x86), x86, 7601, x86, false},
        {"x64 on 32-bit Windows", program(x64), x86, 19045, 0, false},
        {"ARM64 on 32-bit Windows", program(arm64), x86, 19045, 0, false},
        {"x86 on x64", program(x86), x64, 19045, x86, false},
        {"x64 on x64", program(x64), x64, 19045, x64, false},
        {"ARM64 on x64", program(arm64), x64, 22631, 0, false},
        {"32-bit ARM on x64", program(0x1C4), x64, 22631, 0, false},
        {"an unknown machine", program(0x0200), x64, 22631, 0, false},
        {".NET for any CPU on 32-bit Windows", dotnet(0), x86, 7601, x86, false},
        {".NET for any CPU on x64", dotnet(0), x64, 19045, x64, false},
        {".NET, 32-bit required, on x64", dotnet(kClr32BitRequired), x64, 19045, x86, false},
        {".NET preferring 32-bit on x64", dotnet(kClr32BitRequired | kClr32BitPreferred), x64, 19045, x86, false},
        {".NET with the preference alone on x64", dotnet(kClr32BitPreferred), x64, 19045, x64, false},
        {"IL-only PE32+ on x64", pe32PlusIl, x64, 19045, x64, false},
        {"IL-only PE32+ on 32-bit Windows", pe32PlusIl, x86, 19045, 0, false},
        {"mixed-mode .NET on x64", mixed, x64, 19045, x86, false},
        {"x86 on ARM64", program(x86), arm64, 19041, x86, true},
        {"x64 on ARM64 Windows 10", program(x64), arm64, 21999, 0, false},
        {"x64 on ARM64 Windows 11", program(x64), arm64, 22000, x64, true},
        {"ARM64 on ARM64", program(arm64), arm64, 22631, arm64, false},
        {".NET for any CPU on ARM64 Windows 11", dotnet(0), arm64, 22000, x64, true},
        {".NET for any CPU on ARM64 Windows 10", dotnet(0), arm64, 21999, x86, true},
        {".NET for any CPU listing arm64 on ARM64", anyCpuArm, arm64, 22631, arm64, false},
        {".NET for any CPU listing arm64 on x64", anyCpuArm, x64, 22631, x64, false},
        {".NET, 32-bit required, on ARM64", dotnet(kClr32BitRequired), arm64, 22631, x86, true},
        {"32-bit ARM on ARM64 before 24H2", program(0x1C4), arm64, 26099, 0x1C4, false},
        {"32-bit ARM on ARM64 from 24H2", program(0x1C4), arm64, 26100, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RunsAs runs = runsAs(c.program, c.windows, c.build);
        EXPECT_EQ(runs.runs, c.process != 0);
        EXPECT_EQ(runs.machine, c.process);
        EXPECT_EQ(runs.emulated, c.emulated);
        EXPECT_EQ(runs.how.rfind(c.process != 0 ? "runs " : "cannot run here: ", 0), 0u) << runs.how;
    }
    EXPECT_EQ(runsAs(dotnet(0), x64, 19045).header, "x86 (32-bit) header, .NET for any CPU");
    EXPECT_EQ(runsAs(dotnet(0), x64, 19045).how, "runs as a 64-bit process here");
    EXPECT_EQ(runsAs(dotnet(kClr32BitRequired | kClr32BitPreferred), x64, 19045).header, "x86 (32-bit) header, .NET preferring 32-bit");
    EXPECT_EQ(runsAs(program(x64), arm64, 22631).how, "runs emulated as a 64-bit x64 process here");
    EXPECT_EQ(runsAs(program(arm64), x64, 22631).whyNot, "it is an ARM64 program, and this is x64 Windows");
    EXPECT_EQ(runsAs(program(x64), x86, 19045).whyNot, "it is an x64 program, and this is 32-bit Windows");
    EXPECT_EQ(runsAs(program(x64), arm64, 19041).whyNot, "x64 programs run on ARM64 Windows from Windows 11 on, and this is build 19041");
    // A 32-bit ARM program is a 32-bit one: it reads no 64-bit driver value.
    EXPECT_FALSE(is64BitMachine(0x1C4));
    EXPECT_TRUE(is64BitMachine(arm64));
    EXPECT_FALSE(is64BitMachine(0));
    // Where Windows is not known, the header says it.
    EXPECT_EQ(runsAs(dotnet(0), 0, 0).machine, x86);
    EXPECT_TRUE(runsAs(program(arm64), 0, 0).runs);
}

namespace {

// A laptop with Intel's and NVIDIA's graphics on 64-bit Windows, this tool
// being the 32-bit program.
SystemView laptop() {
    SystemView s;
    s.toolMachine = 0x14C;
    s.windowsMachine = 0x8664;
    s.windowsBuild = 19045;
    s.rolesKnown = true;
    AdapterView intel;
    intel.name = "Intel(R) HD Graphics 3000";
    intel.driver = "ig4icd64.dll";
    intel.driverWow = "ig4icd32.dll";
    intel.renders = intel.primary = intel.powerSaving = true;
    AdapterView nvidia;
    nvidia.name = "NVIDIA GeForce GT 540M";
    nvidia.driver = "nvoglv64.dll";
    nvidia.driverWow = "nvoglv32.dll";
    nvidia.highPerformance = true;
    s.adapters = {intel, nvidia};
    return s;
}

}  // namespace

// The summary for a program names the first rule that holds, for each bitness.
TEST(Program, SaysWhatTheProgramGets) {
    const SystemView system = laptop();
    SystemView only64 = system;  // a driver that registers the 64-bit one alone
    only64.adapters[0].driverWow.clear();
    SystemView arm;  // Windows on ARM, this tool emulated as x86
    arm.toolMachine = 0x14C;
    arm.windowsMachine = 0xAA64;
    arm.windowsBuild = 22631;
    AdapterView adreno;
    adreno.name = "Qualcomm(R) Adreno(TM) 690 GPU";
    adreno.driver = "OpenGLOn12.dll";
    adreno.renders = true;
    arm.adapters = {adreno};
    SystemView windows32 = system;  // the same laptop with 32-bit Windows: one driver value each
    windows32.windowsMachine = 0x14C;
    for (AdapterView& a : windows32.adapters) a.driver = a.driverWow;
    SystemView alone = system;  // no report beside the verdict
    alone.reportShown = false;
    alone.openGl = "Intel HD Graphics 3000 (Intel), OpenGL 3.1.0 - Build 9.17.10.4229";

    ApplicationFacts mesa = program(0x8664);
    mesa.beside = {BesideDll{"opengl32.dll", "23.1.0.0", "The Mesa Project", "", 0x8664}};
    ApplicationFacts windows10 = program(0x8664);
    windows10.declaresWindows10 = true;
    ApplicationFacts lied = program(0x14C);
    lied.declaresWindows10 = true;
    lied.layers = {"HIGHDPIAWARE", "WIN7RTM"};
    ApplicationFacts highPerformance = program(0x8664);
    highPerformance.gpuPreference = 2;
    ApplicationFacts optimus = program(0x14C);
    optimus.image.nvOptimusEnablement = ExportedValue{true, 1};
    ApplicationFacts powerSaving = program(0x8664);
    powerSaving.gpuPreference = 1;
    ApplicationFacts letWindowsDecide = program(0x14C);
    letWindowsDecide.gpuPreference = 0;
    ApplicationFacts powerSaving32 = program(0x14C);
    powerSaving32.gpuPreference = 1;
    ApplicationFacts optimusOff = program(0x14C);  // exported, but 0: no request for the high-performance GPU
    optimusOff.image.nvOptimusEnablement = ExportedValue{true, 0};
    ApplicationFacts amd = program(0x14C);
    amd.image.amdPowerXpress = ExportedValue{true, 1};
    ApplicationFacts amdOff = program(0x14C);
    amdOff.image.amdPowerXpress = ExportedValue{true, 0};
    ApplicationFacts broken = program(0x14C);  // Windows will not start it, whatever else holds
    broken.manifestFrom = ApplicationFacts::ManifestFrom::Embedded;
    broken.manifestBroken = true;
    broken.beside = mesa.beside;
    ApplicationFacts brokenBeside = broken;
    brokenBeside.manifestFrom = ApplicationFacts::ManifestFrom::Beside;

    struct Case {
        const char* what;
        const ApplicationFacts& program;
        const SystemView& system;
        std::string summary;
    };
    const Case cases[] = {
        {"Mesa beside it", mesa, system,
         "It most likely gets the opengl32.dll (The Mesa Project, version 23.1.0.0) beside it, not Windows' OpenGL."},
        {"x86 where only the 64-bit driver is registered", program(0x14C), only64,
         "Only Windows' built-in OpenGL 1.1: the display adapter \"Intel(R) HD Graphics 3000\" registers no OpenGL driver "
         "for 32-bit programs."},
        {"x64 where only the 64-bit driver is registered", program(0x8664), only64,
         "It gets the OpenGL driver ig4icd64.dll for 64-bit programs, not Windows' built-in OpenGL that this 32-bit tool gets; the "
         "64-bit build of this tool shows what that driver gives."},
        {"x64 with another driver file than this 32-bit tool's", program(0x8664), system,
         "It gets the OpenGL driver ig4icd64.dll for 64-bit programs, not ig4icd32.dll that this 32-bit tool gets; the 64-bit build "
         "of this tool shows what that driver gives."},
        {"x86, as this tool", program(0x14C), system,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd32.dll for 32-bit programs."},
        {"Windows 10 declared, Intel's older driver", windows10, system,
         "Only Windows' built-in OpenGL 1.1: its manifest declares Windows 10, and Intel's driver for older graphics "
         "(ig4icd64.dll) unloads in such programs; a compatibility layer such as WIN7RTM undoes it."},
        {"the same under WIN7RTM", lied, system,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd32.dll for 32-bit programs."},
        {"high performance chosen in the settings", highPerformance, system,
         "It runs on \"NVIDIA GeForce GT 540M\", as its GPU preference in Windows' graphics settings is high performance, "
         "not on \"Intel(R) HD Graphics 3000\" that this report shows, with the OpenGL driver nvoglv64.dll."},
        {"x86 exporting NvOptimusEnablement", optimus, system,
         "It runs on \"NVIDIA GeForce GT 540M\", as it exports NvOptimusEnablement = 1, not on \"Intel(R) HD Graphics "
         "3000\" that this report shows, with the OpenGL driver nvoglv32.dll."},
        {"power saving, where OpenGL runs already", powerSaving32, system,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd32.dll for 32-bit programs."},
        {"let Windows decide", letWindowsDecide, system,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd32.dll for 32-bit programs."},
        {"x86 on Windows on ARM", program(0x14C), arm,
         "Only Windows' built-in OpenGL 1.1: the display adapter \"Qualcomm(R) Adreno(TM) 690 GPU\" registers no OpenGL "
         "driver for 32-bit programs."},
        {"ARM64 on x64", program(0xAA64), system, "It cannot run here: it is an ARM64 program, and this is x64 Windows."},
        {"x64 on 32-bit Windows", program(0x8664), windows32, "It cannot run here: it is an x64 program, and this is 32-bit Windows."},
        {"x86 with no report shown", program(0x14C), alone,
         "Nothing known sets it apart: it gets the same OpenGL as this tool, Intel HD Graphics 3000 (Intel), OpenGL 3.1.0 - Build "
         "9.17.10.4229, with the OpenGL driver ig4icd32.dll for 32-bit programs."},
        {"a choice of its own with no report shown", highPerformance, alone,
         "It runs on \"NVIDIA GeForce GT 540M\", as its GPU preference in Windows' graphics settings is high performance, "
         "not on \"Intel(R) HD Graphics 3000\" where this tool's OpenGL runs, with the OpenGL driver nvoglv64.dll."},
        {".NET for any CPU: the 64-bit driver", dotnet(0), only64,
         "It gets the OpenGL driver ig4icd64.dll for 64-bit programs, not Windows' built-in OpenGL that this 32-bit tool gets; the "
         "64-bit build of this tool shows what that driver gives."},
        {"NvOptimusEnablement = 0", optimusOff, system,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd32.dll for 32-bit programs."},
        {"x86 exporting AmdPowerXpressRequestHighPerformance", amd, system,
         "It runs on \"NVIDIA GeForce GT 540M\", as it exports AmdPowerXpressRequestHighPerformance = 1, not on \"Intel(R) HD "
         "Graphics 3000\" that this report shows, with the OpenGL driver nvoglv32.dll."},
        {"AmdPowerXpressRequestHighPerformance = 0", amdOff, system,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd32.dll for 32-bit programs."},
        {"a manifest that is not well-formed", broken, system,
         "It cannot run here: its manifest is not well-formed XML, and Windows refuses to start it (a side-by-side configuration "
         "error)."},
        {"the same beside it", brokenBeside, windows32,
         "It cannot run here: its manifest beside it is not well-formed XML, and Windows refuses to start it (a side-by-side "
         "configuration error)."},
        {".NET, 32-bit required: none for 32-bit programs", dotnet(kClr32BitRequired), only64,
         "Only Windows' built-in OpenGL 1.1: the display adapter \"Intel(R) HD Graphics 3000\" registers no OpenGL driver "
         "for 32-bit programs."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(judgeProgram(c.program, c.system).summary, c.summary);
    }
    // Where the drivers do not decide (Wine serves OpenGL itself), none registered says nothing.
    SystemView wine = only64;
    wine.driversDecide = false;
    EXPECT_EQ(judgeProgram(program(0x14C), wine).summary, "Nothing known sets it apart: it gets what this report shows.");
    // What the system tells opengl32 holds for this tool's bitness, over the registry.
    SystemView told = only64;
    told.adapters[0].toldDriver = "igxelpicd32.dll";
    EXPECT_EQ(judgeProgram(program(0x14C), told).drivers[0], "igxelpicd32.dll");
    EXPECT_EQ(judgeProgram(program(0x8664), told).drivers[0], "ig4icd64.dll");
    EXPECT_EQ(judgeProgram(dotnet(0), told).drivers[0], "ig4icd64.dll") << "any CPU runs as a 64-bit process";
    EXPECT_EQ(judgeProgram(program(0x1C4), arm).drivers, std::vector<std::string>({""})) << "cannot run on ARM64 Windows 11 24H2";
    // On x86 Windows whatever runs, runs natively as x86.
    for (const ApplicationFacts& p : {program(0x14C), dotnet(0), dotnet(kClr32BitRequired), dotnet(kClr32BitPreferred)}) {
        const RunsAs x86 = runsAs(p, 0x14C, 19045);
        EXPECT_TRUE(x86.runs && !x86.emulated && x86.machine == 0x14Cu) << x86.how;
        EXPECT_EQ(x86.how, "runs as a 32-bit process here");
    }
    EXPECT_EQ(judgeProgram(program(0xAA64), system).drivers, std::vector<std::string>({"", ""}));
    // Where this tool's OpenGL runs on the high-performance adapter, power
    // saving (1) moves a program away from it and 0 leaves it where it is.
    SystemView onNvidia = system;
    onNvidia.adapters[0].renders = false;
    onNvidia.adapters[1].renders = true;
    EXPECT_EQ(judgeProgram(powerSaving32, onNvidia).summary,
              "It runs on \"Intel(R) HD Graphics 3000\", as its GPU preference in Windows' graphics settings is power saving, "
              "not on \"NVIDIA GeForce GT 540M\" that this report shows, with the OpenGL driver ig4icd32.dll.");
    EXPECT_EQ(judgeProgram(letWindowsDecide, onNvidia).summary,
              "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver nvoglv32.dll for 32-bit programs.");
    // An adapter with neither role (a virtual display first) is no one's choice.
    SystemView withVirtual = onNvidia;
    AdapterView parsec;
    parsec.name = "Parsec Virtual Display Adapter";
    withVirtual.adapters.insert(withVirtual.adapters.begin(), parsec);
    EXPECT_EQ(judgeProgram(powerSaving32, withVirtual).summary, judgeProgram(powerSaving32, onNvidia).summary);
    // A 32-bit ARM program is a 32-bit process: it reads the adapter's Wow value.
    SystemView arm22 = arm;
    arm22.adapters[0].driverWow = "OpenGLOn12Wow.dll";
    EXPECT_EQ(judgeProgram(program(0x1C4), arm22).drivers, std::vector<std::string>({"OpenGLOn12Wow.dll"}));
    arm22.adapters[0].driverWow.clear();
    EXPECT_NE(judgeProgram(program(0x1C4), arm22).summary.find("registers no OpenGL driver for 32-bit programs"), std::string::npos)
        << judgeProgram(program(0x1C4), arm22).summary;

    // A DLL beside it counts only where Windows, or Qt, would load it.
    const BesideDll gl64{"opengl32.dll", "1.0", "A Company", "A Renderer", 0x8664};
    const BesideDll gl32{"opengl32.dll", "", "", "", 0x14C};
    const BesideDll qtMesa{"opengl32sw.dll", "20.1.8.0", "", "Mesa 20.1.8", 0x14C};
    const BesideDll notDll{"opengl32.dll", "", "", "", 0};
    ApplicationFacts x86 = program(0x14C);
    ApplicationFacts inSystem = x86;
    inSystem.inSystemFolder = true;
    ApplicationFacts qtProgram = x86;
    qtProgram.qtBeside = true;
    ApplicationFacts qtImports = x86;
    qtImports.image.importsQt = true;
    const struct {
        const char* what;
        ApplicationFacts program;
        BesideDll dll;
        std::string whyNot;
    } besides[] = {
        {"its own bitness", x86, gl32, ""},
        {"a 64-bit DLL beside a 32-bit program", x86, gl64, "it is x64 (64-bit) and the program runs as x86 (32-bit)"},
        {"a 32-bit DLL beside .NET for any CPU", dotnet(0), gl32, "it is x86 (32-bit) and the program runs as x64 (64-bit)"},
        {"the system folder", inSystem, gl32, "the program is in the system folder, where this is Windows' own"},
        {"no DLL", x86, notDll, "it is no DLL this reads"},
        {"opengl32sw.dll, no Qt", x86, qtMesa, "only Qt loads it, and the program uses no Qt"},
        {"opengl32sw.dll, Qt beside it", qtProgram, qtMesa, ""},
        {"opengl32sw.dll, Qt imported", qtImports, qtMesa, ""},
    };
    for (const auto& b : besides) {
        SCOPED_TRACE(b.what);
        ApplicationFacts p = b.program;
        p.beside = {b.dll};
        const ProgramVerdict verdict = judgeProgram(p, system);
        ASSERT_EQ(verdict.besideWhyNot.size(), 1u);
        EXPECT_EQ(verdict.besideWhyNot[0], b.whyNot);
        EXPECT_EQ(verdict.summary.rfind("It most likely gets the ", 0) == 0, b.whyNot.empty()) << verdict.summary;
    }
    // In its own words, the second of two where only it counts.
    ApplicationFacts both = qtProgram;
    both.beside = {gl64, qtMesa};
    EXPECT_EQ(judgeProgram(both, system).summary,
              "It most likely gets the opengl32sw.dll (Mesa 20.1.8, version 20.1.8.0) beside it, not Windows' OpenGL.");
    ApplicationFacts named = program(0x8664);
    named.beside = {gl64};
    EXPECT_EQ(judgeProgram(named, system).summary,
              "It most likely gets the opengl32.dll (A Renderer, A Company, version 1.0) beside it, not Windows' OpenGL.");

    EXPECT_TRUE(isOneOfFolders("C:\\WINDOWS\\system32\\", {"C:\\Windows\\System32"}));
    EXPECT_TRUE(isOneOfFolders("c:\\windows\\syswow64", {"C:\\Windows\\System32", "C:\\Windows\\SysWOW64"}));
    EXPECT_FALSE(isOneOfFolders("C:\\Windows\\System32\\drivers\\", {"C:\\Windows\\System32"}));
    EXPECT_FALSE(isOneOfFolders("", {""}));
    EXPECT_TRUE(isQtLibrary("Qt6Guid.dll"));
    EXPECT_TRUE(isQtLibrary("QtCore4.dll"));
    EXPECT_FALSE(isQtLibrary("QtWebKit4.dll"));
    EXPECT_FALSE(isQtLibrary("libcore.dll"));

    EXPECT_EQ(parseGpuPreference("GpuPreference=2;"), 2);
    EXPECT_EQ(parseGpuPreference("GpuPreference=0;"), 0);
    EXPECT_EQ(parseGpuPreference("SwapEffectUpgradeEnable=1;GpuPreference=1;"), 1);
    EXPECT_EQ(parseGpuPreference("SwapEffectUpgradeEnable=1;"), -1);
    EXPECT_EQ(parseLayers("~ HIGHDPIAWARE WIN7RTM"), std::vector<std::string>({"HIGHDPIAWARE", "WIN7RTM"}));
    EXPECT_TRUE(isVersionLie("win8rtm"));
    EXPECT_FALSE(isVersionLie("HIGHDPIAWARE"));
}
