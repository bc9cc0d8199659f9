#include "platform/file_version.h"

#include <windows.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "platform/system_library.h"
#include "platform/unique.h"
#include "platform/utf.h"

namespace {

// A string of the resource's first language.
std::string versionString(BOOL(WINAPI* query)(LPCVOID, LPCWSTR, LPVOID*, PUINT), const void* block, const WORD* language,
                          const wchar_t* name) {
    wchar_t key[96];
    _snwprintf(key, 96, L"\\StringFileInfo\\%04x%04x\\%ls", language[0], language[1], name);
    key[95] = L'\0';
    void* value = nullptr;
    UINT length = 0;
    if (!query(block, key, &value, &length) || length == 0) return std::string();
    return wideToUtf8(std::wstring(static_cast<const wchar_t*>(value), length - 1));
}

}  // namespace

FileVersion fileVersion(const std::wstring& path, bool realFile) {
    FileVersion found;
    // version.dll is not imported: a copy beside the program would be loaded instead.
    const UniqueModule library(loadFromSystemFolder(L"version.dll"));
    const auto size = procAddress<DWORD(WINAPI*)(LPCWSTR, LPDWORD)>(library.get(), "GetFileVersionInfoSizeW");
    const auto info = procAddress<BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID)>(library.get(), "GetFileVersionInfoW");
    const auto query = procAddress<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>(library.get(), "VerQueryValueW");
    if (size == nullptr || info == nullptr || query == nullptr) return found;
    DWORD ignored = 0;
    std::vector<BYTE> block;
    {
        // Only the two reads of the file: version.dll is loaded already.
        std::optional<RealFileSystem> real;
        if (realFile) real.emplace();
        const DWORD bytes = size(path.c_str(), &ignored);
        if (bytes == 0) return found;
        block.resize(bytes);
        if (!info(path.c_str(), 0, bytes, block.data())) return found;
    }
    void* value = nullptr;
    UINT length = 0;
    if (query(block.data(), L"\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        char text[64];
        std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
                      fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
        found.version = text;
    }
    if (query(block.data(), L"\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
        const WORD* language = static_cast<const WORD*>(value);
        found.company = versionString(query, block.data(), language, L"CompanyName");
        found.product = versionString(query, block.data(), language, L"ProductName");
    }
    return found;
}
