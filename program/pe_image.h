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

struct ProgramImage {
    unsigned machine = 0;  // IMAGE_FILE_MACHINE_*: 0x14C x86, 0x8664 x64, 0xAA64 ARM64
    ExportedValue nvOptimusEnablement;
    ExportedValue amdPowerXpress;
    bool importsOpenGl32 = false;  // opengl32.dll among its imports, or its delay-loaded ones
    bool hasManifest = false;      // an embedded RT_MANIFEST
    std::string manifest;          // its bytes
};

// The largest manifest read; a larger one is refused as bad input.
constexpr std::size_t kMostManifestBytes = 64 * 1024;

struct ImageReading {
    bool read = false;
    std::string problem;  // why the bytes are no program this can read: "it is a text file, not a program"
    ProgramImage image;
};

ImageReading readProgramImage(const std::uint8_t* bytes, std::size_t size);

// Whether a manifest (UTF-8 or UTF-16, as files hold them) declares Windows 10
// and 11 among its supportedOS entries.
bool declaresWindows10(const std::string& manifest);

// A compatibility layer that tells the program an older Windows version
// (WIN7RTM, WIN8RTM and the like), which undoes a Windows 10 declaration.
bool isVersionLie(const std::string& layer);
