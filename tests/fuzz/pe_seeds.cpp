// Writes the fuzzer's first inputs: programs made byte by byte, so that it
// starts from files whose directories it can then bend.
#include <cstdio>
#include <string>

#include "tests/native/pe_builder.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string folder = argv[1];
    PeRecipe full;
    full.exports = {{"NvOptimusEnablement", 1}, {"AmdPowerXpressRequestHighPerformance", 1}};
    full.imports = {"KERNEL32.dll", "OPENGL32.dll"};
    full.manifest = "<assembly><compatibility><application><supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"
                    "</application></compatibility></assembly>";
    full.manifest = "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\"><compatibility "
                    "xmlns=\"urn:schemas-microsoft-com:compatibility.v1\"><application><supportedOS "
                    "Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/></application></compatibility><!-- a --><application "
                    "xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings><supportedArchitectures>amd64 arm64"
                    "</supportedArchitectures></windowsSettings></application></assembly>";
    PeRecipe small = full;
    small.machine = 0x14C;
    small.plus = false;
    small.exports.resize(1);
    small.clr = true;
    small.clrFlags = 0x20003;
    small.delayImports = {"opengl32.dll", "Qt5Core.dll"};
    const PeRecipe recipes[] = {full, small, PeRecipe()};
    int n = 0;
    for (const PeRecipe& r : recipes) {
        const auto bytes = buildPe(r);
        std::FILE* f = std::fopen((folder + "/seed" + std::to_string(n++)).c_str(), "wb");
        if (f == nullptr) return 1;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return 0;
}
