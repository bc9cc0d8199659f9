#pragma once
// A program's manifest read as Windows reads it for a process: as XML, in
// UTF-8 or UTF-16, with its namespaces. Only what decides which OpenGL the
// program gets is taken from it. Rules only, no Windows; bounded whatever the
// bytes hold.
#include <string>

struct ManifestFacts {
    bool wellFormed = false;         // false: XML this cannot read, which Windows refuses too; it declares nothing
    bool declaresWindows10 = false;  // assembly/compatibility/application/supportedOS with Windows 10's GUID
    bool supportsArm64 = false;      // assembly/application/windowsSettings/supportedArchitectures lists arm64
};

ManifestFacts readManifestText(const std::string& bytes);
