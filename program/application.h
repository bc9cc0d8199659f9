#pragma once
// What decides which OpenGL a given program gets, and the rules that say it:
// whether and how it runs on this Windows (its machine, .NET's flags), its
// manifest, an OpenGL DLL beside it, the GPU it runs on, and the
// compatibility layers set for it. Rules only, no Windows: the glue reads the
// file and the registry, the report says what the system is.
#include <string>
#include <vector>

#include "program/pe_image.h"

// Machine types as PE headers and IsWow64Process2 name them.
constexpr unsigned kMachineX86 = 0x014C;
constexpr unsigned kMachineX64 = 0x8664;
constexpr unsigned kMachineArm64 = 0xAA64;
constexpr unsigned kMachineArm = 0x01C0;    // ARM, and its Thumb-2 form below: 32-bit
constexpr unsigned kMachineArmNt = 0x01C4;

// "x86", "x64", "ARM64", "ARM" or "other"; null for 0 (not reported).
const char* machineName(unsigned machine);
// Whether a machine's programs are 64-bit ones; false for 0.
bool is64BitMachine(unsigned machine);

// A DLL beside the program that it may load as OpenGL.
struct BesideDll {
    std::string file;     // "opengl32.dll" or "opengl32sw.dll"
    std::string version;  // empty: not reported
    std::string company;
    std::string product;
    unsigned machine = 0;  // its header's; 0: no DLL this reads
};

struct ApplicationFacts {
    std::string path;  // full and long, UTF-8
    std::string name;  // its file name
    ProgramImage image;
    enum class ManifestFrom { None, Embedded, Beside } manifestFrom = ManifestFrom::None;
    bool manifestBroken = false;  // a manifest that is not well-formed XML: Windows refuses to start the program
    bool declaresWindows10 = false;
    bool manifestSupportsArm64 = false;  // supportedArchitectures lists arm64
    bool inSystemFolder = false;         // System32 or SysWOW64, where opengl32.dll is Windows' own
    bool qtBeside = false;               // a Qt library in its folder
    std::vector<BesideDll> beside;
    long gpuPreference = -1;          // Windows' graphics settings: 0 let Windows decide, 1 power saving, 2 high performance; -1 not set
    std::vector<std::string> layers;  // compatibility layers set for it (HKCU, then HKLM)
};

// The system as the rules need it, from the report's facts.
struct AdapterView {
    std::string name;
    std::string driver;       // OpenGLDriverName
    std::string driverWow;    // OpenGLDriverNameWow
    std::string toldDriver;   // what the system tells opengl32 for this tool's bitness; empty: not told
    bool renders = false;     // OpenGL runs on it for this tool
    bool primary = false;
    bool highPerformance = false;  // DXGI's choice for each preference
    bool powerSaving = false;
};

struct SystemView {
    unsigned toolMachine = 0;      // this tool's own machine
    unsigned windowsMachine = 0;   // what Windows runs natively: x86, x64 or ARM64; 0: not known
    unsigned long windowsBuild = 0;
    bool rolesKnown = false;       // DXGI named its high-performance and power-saving adapters
    // Whether the adapters' registered drivers decide what OpenGL is: false
    // where something else serves every program (Wine, which serves OpenGL
    // itself), so that registering none says nothing.
    bool driversDecide = true;
    // Whether the report that shows this tool's OpenGL is shown beside the
    // verdict; where it is not, the verdict names that OpenGL itself.
    bool reportShown = true;
    std::string openGl;            // this tool's OpenGL in words: "llvmpipe (...), OpenGL 4.5 ..."; empty: none started
    std::vector<AdapterView> adapters;
};

// How Windows runs a program here.
struct RunsAs {
    bool runs = true;       // false: it cannot run on this Windows
    unsigned machine = 0;   // its process's machine; 0 where it cannot run or Windows is not known
    bool emulated = false;  // x86 or x64 code on ARM64
    std::string header;     // "x86 (32-bit) header, .NET for any CPU"
    std::string how;        // "runs as a 64-bit process here"; "cannot run here: ..."
    std::string whyNot;     // where it cannot run: "it is an ARM64 program, and this is x64 Windows"
};
RunsAs runsAs(const ApplicationFacts& program, unsigned windowsMachine, unsigned long windowsBuild);

struct ProgramVerdict {
    std::string summary;               // "Summary for <name>:" says this
    RunsAs runs;
    std::vector<std::string> drivers;  // per adapter: the OpenGL driver it loads there, empty where none
    std::vector<std::string> besideWhyNot;  // per DLL beside it: why it is not loaded; empty: it is
};

// The first rule that holds, in the order: it cannot run here; an OpenGL DLL
// beside it that it loads; no driver for its bitness on the adapter OpenGL
// runs on; a Windows 10 declaration with Intel's older driver there; a GPU
// choice of its own; another bitness than this tool's with another driver;
// else nothing known sets it apart.
ProgramVerdict judgeProgram(const ApplicationFacts& program, const SystemView& system);

// "GpuPreference=2;" as Windows' graphics settings store it: 2, or -1.
long parseGpuPreference(const std::string& value);
// "~ HIGHDPIAWARE WIN7RTM": the layers' names, without the "~" and flags.
std::vector<std::string> parseLayers(const std::string& value);
// Whether a folder (full, with or without its last backslash) is one of these, in any case.
bool isOneOfFolders(const std::string& folder, const std::vector<std::string>& folders);
