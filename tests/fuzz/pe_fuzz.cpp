// libFuzzer's entry: any bytes, read as a program's file and as the texts the
// glue hands the rules (a manifest, registry values). Under AddressSanitizer
// and UBSan, a read outside the bytes or undefined behaviour ends the run.
#include <cstddef>
#include <cstdint>
#include <string>

#include "program/application.h"
#include "program/manifest.h"
#include "program/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ImageReading reading = readProgramImage(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);
    ApplicationFacts program;
    if (reading.read) {
        program.image = reading.image;
        const ManifestFacts manifest = readManifestText(reading.image.manifest);
        program.manifestSupportsArm64 = manifest.supportsArm64;
        for (unsigned windows : {0x14Cu, 0x8664u, 0xAA64u}) runsAs(program, windows, 22631);
    }
    readPeImage(data, size);
    readManifestText(text);
    parseGpuPreference(text);
    for (const std::string& layer : parseLayers(text)) isVersionLie(layer);
    return 0;
}
