// libFuzzer's entry: any bytes, read as a program's file and as the texts the
// glue hands the rules (a manifest, registry values). Under AddressSanitizer
// and UBSan, a read outside the bytes or undefined behaviour ends the run.
#include <cstddef>
#include <cstdint>
#include <string>

#include "program/application.h"
#include "program/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ImageReading reading = readProgramImage(data, size);
    if (reading.read) declaresWindows10(reading.image.manifest);
    const std::string text(reinterpret_cast<const char*>(data), size);
    declaresWindows10(text);
    parseGpuPreference(text);
    for (const std::string& layer : parseLayers(text)) isVersionLie(layer);
    return 0;
}
