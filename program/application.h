#pragma once
// What decides which OpenGL a given program gets, and the rules that say it:
// its bitness, its manifest, an OpenGL DLL beside it, the GPU it runs on, and
// the compatibility layers set for it. Rules only, no Windows: the glue reads
// the file and the registry, the report says what the system is.
#include <string>
#include <vector>

#include "program/pe_image.h"

// A DLL beside the program that it would load as OpenGL.
struct BesideDll {
    std::string file;     // "opengl32.dll" or "opengl32sw.dll"
    std::string version;  // empty: not reported
    std::string company;
    std::string product;
};

struct ApplicationFacts {
    std::string path;  // full, UTF-8
    std::string name;  // its file name
    ProgramImage image;
    enum class ManifestFrom { None, Embedded, Beside } manifestFrom = ManifestFrom::None;
    bool declaresWindows10 = false;
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
    bool windows64 = false;        // a 64-bit Windows (x64 or ARM64)
    bool rolesKnown = false;       // DXGI named its high-performance and power-saving adapters
    // Whether the adapters' registered drivers decide what OpenGL is: false
    // where something else serves every program (Wine, which serves OpenGL
    // itself), so that registering none says nothing.
    bool driversDecide = true;
    std::vector<AdapterView> adapters;
};

struct ProgramVerdict {
    std::string summary;               // "Summary for <name>:" says this
    std::vector<std::string> drivers;  // per adapter: the OpenGL driver it loads there, empty where none
};

// The first rule that holds, in the order: an OpenGL DLL beside it; no driver
// for its bitness on the adapter OpenGL runs on; a Windows 10 declaration with
// Intel's older driver there; a GPU choice of its own; else nothing known sets
// it apart.
ProgramVerdict judgeProgram(const ApplicationFacts& program, const SystemView& system);

// "GpuPreference=2;" as Windows' graphics settings store it: 2, or -1.
long parseGpuPreference(const std::string& value);
// "~ HIGHDPIAWARE WIN7RTM": the layers' names, without the "~" and flags.
std::vector<std::string> parseLayers(const std::string& value);
