#include <gtest/gtest.h>

#include "pe_builder.h"
#include "program/application.h"
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

namespace {

ApplicationFacts program(unsigned machine) {
    ApplicationFacts p;
    p.path = "C:\\Games\\game.exe";
    p.name = "game.exe";
    p.image.machine = machine;
    return p;
}

// A laptop with Intel's and NVIDIA's graphics on 64-bit Windows, this tool
// being the 32-bit program.
SystemView laptop() {
    SystemView s;
    s.toolMachine = 0x14C;
    s.windows64 = true;
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
    arm.windows64 = true;
    AdapterView adreno;
    adreno.name = "Qualcomm(R) Adreno(TM) 690 GPU";
    adreno.driver = "OpenGLOn12.dll";
    adreno.renders = true;
    arm.adapters = {adreno};

    ApplicationFacts mesa = program(0x8664);
    mesa.beside = {BesideDll{"opengl32.dll", "23.1.0.0", "The Mesa Project", ""}};
    ApplicationFacts windows10 = program(0x8664);
    windows10.declaresWindows10 = true;
    ApplicationFacts lied = windows10;
    lied.layers = {"HIGHDPIAWARE", "WIN7RTM"};
    ApplicationFacts highPerformance = program(0x8664);
    highPerformance.gpuPreference = 2;
    ApplicationFacts optimus = program(0x14C);
    optimus.image.nvOptimusEnablement = ExportedValue{true, 1};
    ApplicationFacts powerSaving = program(0x8664);
    powerSaving.gpuPreference = 1;

    struct Case {
        const char* what;
        const ApplicationFacts& program;
        const SystemView& system;
        std::string summary;
    };
    const Case cases[] = {
        {"Mesa beside it", mesa, system,
         "It most likely gets the opengl32.dll (Mesa, a software renderer 23.1.0.0) beside it, not Windows' OpenGL."},
        {"x86 where only the 64-bit driver is registered", program(0x14C), only64,
         "Only Windows' built-in OpenGL 1.1: the display adapter \"Intel(R) HD Graphics 3000\" registers no OpenGL driver "
         "for 32-bit programs."},
        {"x64 where only the 64-bit driver is registered", program(0x8664), only64,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd64.dll for 64-bit programs."},
        {"Windows 10 declared, Intel's older driver", windows10, system,
         "Only Windows' built-in OpenGL 1.1: its manifest declares Windows 10, and Intel's driver for older graphics "
         "(ig4icd64.dll) unloads in such programs; a compatibility layer such as WIN7RTM undoes it."},
        {"the same under WIN7RTM", lied, system,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd64.dll for 64-bit programs."},
        {"high performance chosen in the settings", highPerformance, system,
         "It runs on \"NVIDIA GeForce GT 540M\", as its GPU preference in Windows' graphics settings is high performance, "
         "not on \"Intel(R) HD Graphics 3000\" that this report shows, with the OpenGL driver nvoglv64.dll."},
        {"x86 exporting NvOptimusEnablement", optimus, system,
         "It runs on \"NVIDIA GeForce GT 540M\", as it exports NvOptimusEnablement = 1, not on \"Intel(R) HD Graphics "
         "3000\" that this report shows, with the OpenGL driver nvoglv32.dll."},
        {"power saving, where OpenGL runs already", powerSaving, system,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver ig4icd64.dll for 64-bit programs."},
        {"x86 on Windows on ARM", program(0x14C), arm,
         "Only Windows' built-in OpenGL 1.1: the display adapter \"Qualcomm(R) Adreno(TM) 690 GPU\" registers no OpenGL "
         "driver for 32-bit programs."},
        {"x64 on Windows on ARM", program(0x8664), arm,
         "Nothing known sets it apart: it gets what this report shows, with the OpenGL driver OpenGLOn12.dll for 64-bit programs."},
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

    EXPECT_EQ(parseGpuPreference("GpuPreference=2;"), 2);
    EXPECT_EQ(parseGpuPreference("SwapEffectUpgradeEnable=1;GpuPreference=1;"), 1);
    EXPECT_EQ(parseGpuPreference("SwapEffectUpgradeEnable=1;"), -1);
    EXPECT_EQ(parseLayers("~ HIGHDPIAWARE WIN7RTM"), std::vector<std::string>({"HIGHDPIAWARE", "WIN7RTM"}));
    EXPECT_TRUE(isVersionLie("win8rtm"));
    EXPECT_FALSE(isVersionLie("HIGHDPIAWARE"));
}
