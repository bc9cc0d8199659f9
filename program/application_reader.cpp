#include "program/application_reader.h"

#include <windows.h>

#include <vector>

#include "platform/destination.h"
#include "platform/file_version.h"
#include "platform/output.h"
#include "platform/unique.h"
#include "platform/utf.h"

namespace {

ApplicationReading refused(const std::string& problem) {
    ApplicationReading reading;
    reading.problem = problem;
    return reading;
}

// A text value under a key, in the 64-bit view where there is one: the
// settings these keys hold are shared by programs of both bitnesses.
std::wstring textValue(HKEY root, const wchar_t* path, const std::wstring& name) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
        key.release();
        return std::wstring();
    }
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > 64 * 1024) {
        return std::wstring();
    }
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return std::wstring(text.data());
}

// A whole file that is small enough, or false.
bool smallFile(const std::wstring& path, std::size_t most, std::string* bytes, bool* tooLarge) {
    *tooLarge = false;
    const UniqueFile file(CreateFileW(longPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) return false;
    if (size.QuadPart > static_cast<LONGLONG>(most)) {
        *tooLarge = true;
        return false;
    }
    bytes->resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    return bytes->empty() || (ReadFile(file.get(), &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, nullptr) && got == bytes->size());
}

}  // namespace

long gpuPreferenceOf(const std::wstring& fullPath) {
    return parseGpuPreference(wideToUtf8(textValue(HKEY_CURRENT_USER, L"Software\\Microsoft\\DirectX\\UserGpuPreferences", fullPath)));
}

ApplicationReading readApplication(const std::wstring& path) {
    const std::wstring full = fullPathOf(path);
    if (full.empty()) return refused(systemMessage(GetLastError(), path));
    const DWORD attributes = GetFileAttributesW(longPathForm(full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return refused(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? std::string("there is no such file")
                                                                                       : systemMessage(error, full));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return refused("it is a folder, not a program");

    // Read as data: mapped read-only, never loaded and never run.
    const UniqueFile file(CreateFileW(longPathForm(full).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return refused(systemMessage(GetLastError(), full));
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) return refused(systemMessage(GetLastError(), full));
    if (size.QuadPart == 0) return refused("it is empty, not a program");
    if (static_cast<unsigned long long>(size.QuadPart) > static_cast<SIZE_T>(-1) / 2) return refused("it is too large to read");
    const UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return refused(systemMessage(GetLastError(), full));
    const UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return refused(systemMessage(GetLastError(), full));
    const ImageReading image = readProgramImage(static_cast<const std::uint8_t*>(view.get()), static_cast<std::size_t>(size.QuadPart));
    if (!image.read) return refused(image.problem);

    ApplicationReading reading;
    ApplicationFacts& facts = reading.facts;
    facts.path = wideToUtf8(full);
    const std::size_t slash = full.find_last_of(L"\\/");
    const std::wstring folder = full.substr(0, slash == std::wstring::npos ? 0 : slash + 1);
    facts.name = wideToUtf8(full.substr(slash == std::wstring::npos ? 0 : slash + 1));
    facts.image = image.image;
    if (facts.image.hasManifest) {
        facts.manifestFrom = ApplicationFacts::ManifestFrom::Embedded;
        facts.declaresWindows10 = declaresWindows10(facts.image.manifest);
    } else {
        // Windows reads a manifest beside a program that has none of its own.
        std::string manifest;
        bool tooLarge = false;
        if (smallFile(full + L".manifest", kMostManifestBytes, &manifest, &tooLarge)) {
            facts.manifestFrom = ApplicationFacts::ManifestFrom::Beside;
            facts.declaresWindows10 = declaresWindows10(manifest);
        } else if (tooLarge) {
            return refused("its manifest is over 64 KiB");
        }
    }
    for (const wchar_t* dll : {L"opengl32.dll", L"opengl32sw.dll"}) {
        const std::wstring beside = folder + dll;
        const DWORD there = GetFileAttributesW(longPathForm(beside).c_str());
        if (there == INVALID_FILE_ATTRIBUTES || (there & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const FileVersion version = fileVersion(beside);
        facts.beside.push_back(BesideDll{wideToUtf8(dll), version.version, version.company, version.product});
    }
    facts.gpuPreference = gpuPreferenceOf(full);
    const wchar_t* layers = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const std::string& layer : parseLayers(wideToUtf8(textValue(root, layers, full)))) facts.layers.push_back(layer);
    }
    reading.read = true;
    return reading;
}
