#pragma once
// What a file's version resource says: its file version, company and product,
// read with version.dll from the system folder.
#include <string>

struct FileVersion {
    std::string version;  // "31.0.15.5123"; empty: not reported
    std::string company;
    std::string product;
};

// realFile: the file the path names under the system folder, not the one
// WOW64 redirects it to (see RealFileSystem).
FileVersion fileVersion(const std::wstring& path, bool realFile = false);
