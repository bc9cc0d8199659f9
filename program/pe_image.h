#pragma once
// What a program's file says about it, read from its bytes as data: never
// loaded, never run. Every read stays inside the bytes given, whatever they
// hold. Rules only, no Windows.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A value a program exports for the graphics drivers to read
// (NvOptimusEnablement, AmdPowerXpressRequestHighPerformance).
struct ExportedValue {
    bool exported = false;
    std::uint32_t value = 0;
};

// IMAGE_COR20_HEADER's flags, which say how a .NET program runs.
constexpr std::uint32_t kClrIlOnly = 0x1;
constexpr std::uint32_t kClr32BitRequired = 0x2;
constexpr std::uint32_t kClr32BitPreferred = 0x20000;

// IMAGE_SUBSYSTEM_*: the ones programs run in.
constexpr unsigned kSubsystemWindowsGui = 2;
constexpr unsigned kSubsystemWindowsCui = 3;

struct ProgramImage {
    unsigned machine = 0;  // IMAGE_FILE_MACHINE_*: 0x14C x86, 0x8664 x64, 0xAA64 ARM64
    bool plus = false;     // PE32+, the 64-bit form of the optional header
    bool isDll = false;    // IMAGE_FILE_DLL
    unsigned subsystem = 0;
    bool hasClrHeader = false;  // a .NET program: its CLR header (data directory 14)
    std::uint32_t clrFlags = 0;
    ExportedValue nvOptimusEnablement;
    ExportedValue amdPowerXpress;
    bool importsOpenGl32 = false;  // opengl32.dll among its imports, or its delay-loaded ones
    bool importsQt = false;        // a Qt library among them (Qt5Core.dll, Qt6Gui.dll, QtCore4.dll...)
    bool hasManifest = false;      // the embedded manifest Windows reads for a process (RT_MANIFEST, ID 1)
    std::string manifest;          // its bytes
};

// The largest manifest read; a larger one is refused as bad input.
constexpr std::size_t kMostManifestBytes = 64 * 1024;

struct ImageReading {
    bool read = false;
    std::string problem;  // why the bytes are no program this can read: "it is a text file, not a program"
    ProgramImage image;
};

// Any PE image, a DLL's or a driver's too.
ImageReading readPeImage(const std::uint8_t* bytes, std::size_t size);
// A program's: a DLL, a driver or an EFI image is refused with its reason.
ImageReading readProgramImage(const std::uint8_t* bytes, std::size_t size);

// Whether a library's file name is one of Qt's own (Qt5Core.dll, Qt6Guid.dll, QtCore4.dll).
bool isQtLibrary(const std::string& file);

// A compatibility layer that tells the program an older Windows version
// (WIN7RTM, WIN8RTM and the like), which undoes a Windows 10 declaration.
bool isVersionLie(const std::string& layer);
