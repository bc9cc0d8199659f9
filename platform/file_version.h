#pragma once
// What a file's version resource says: its file version, company and product,
// read with version.dll from the system folder.
#include <string>

struct FileVersion {
    std::string version;  // "31.0.15.5123"; empty: not reported
    std::string company;
    std::string product;
};

FileVersion fileVersion(const std::wstring& path);
