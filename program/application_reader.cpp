#include "program/application_reader.h"

#include <windows.h>

#include <vector>

#include "platform/destination.h"
#include "platform/file_version.h"
#include "platform/output.h"
#include "platform/system_library.h"
#include "platform/unique.h"
#include "platform/utf.h"
#include "program/manifest.h"

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

// Every file here is opened as the path names it, not as WOW64 redirects it
// (System32 to SysWOW64 for a 32-bit program): the redirection is off for
// the open alone.
UniqueFile openReal(const std::wstring& path, DWORD share) {
    const RealFileSystem real;
    return UniqueFile(CreateFileW(longPathForm(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

DWORD attributesOf(const std::wstring& path) {
    const RealFileSystem real;
    return GetFileAttributesW(longPathForm(path).c_str());
}

// The path with every component in its long form ("PROGRA~1" to "Program
// Files"), which is the name Windows keeps a program's settings under; the
// path itself where the system cannot say.
std::wstring longNameOf(const std::wstring& path) {
    const RealFileSystem real;
    const std::wstring form = longPathForm(path);
    const DWORD n = GetLongPathNameW(form.c_str(), nullptr, 0);
    if (n == 0) return path;
    std::vector<wchar_t> name(n);
    const DWORD written = GetLongPathNameW(form.c_str(), name.data(), n);
    return written > 0 && written < n ? withoutLongPathPrefix(std::wstring(name.data(), written)) : path;
}

// A whole file that is small enough, or false.
bool smallFile(const std::wstring& path, std::size_t most, std::string* bytes, bool* tooLarge) {
    *tooLarge = false;
    const UniqueFile file = openReal(path, FILE_SHARE_READ);
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

// A file mapped read-only, as data: never loaded and never run.
struct MappedFile {
    UniqueFile file;
    UniqueHandle mapping;
    UniqueView view;
    std::size_t size = 0;
    std::string problem;  // why it could not be mapped
    const std::uint8_t* bytes() const { return static_cast<const std::uint8_t*>(view.get()); }
};

bool mapFile(const std::wstring& path, MappedFile* m) {
    m->file = openReal(path, FILE_SHARE_READ | FILE_SHARE_DELETE);
    if (!m->file) {
        m->problem = systemMessage(GetLastError(), path);
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(m->file.get(), &size)) {
        m->problem = systemMessage(GetLastError(), path);
        return false;
    }
    if (size.QuadPart == 0) {
        m->problem = "it is empty, not a program";
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > static_cast<SIZE_T>(-1) / 2) {
        m->problem = "it is too large to read";
        return false;
    }
    m->size = static_cast<std::size_t>(size.QuadPart);
    m->mapping.reset(CreateFileMappingW(m->file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (m->mapping) m->view.reset(MapViewOfFile(m->mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!m->view) {
        m->problem = systemMessage(GetLastError(), path);
        return false;
    }
    return true;
}

// The machine a DLL is built for, read from its header; 0 where it is no DLL.
unsigned dllMachine(const std::wstring& path) {
    MappedFile dll;
    if (!mapFile(path, &dll)) return 0;
    const ImageReading image = readPeImage(dll.bytes(), dll.size);
    return image.read && image.image.isDll ? image.image.machine : 0;
}

// The system's folders, where the DLLs beside a program are Windows' own:
// System32, and SysWOW64 on 64-bit Windows.
std::vector<std::string> systemFolders() {
    std::vector<std::string> folders;
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH) folders.push_back(wideToUtf8(std::wstring(folder, n)));
    const auto wow = procAddress<UINT(WINAPI*)(LPWSTR, UINT)>(GetModuleHandleW(L"kernel32.dll"), "GetSystemWow64DirectoryW");
    n = wow != nullptr ? wow(folder, MAX_PATH) : 0;
    if (n > 0 && n < MAX_PATH) folders.push_back(wideToUtf8(std::wstring(folder, n)));
    return folders;
}

bool qtBeside(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    HANDLE search;
    {
        const RealFileSystem real;
        search = FindFirstFileW(longPathForm(folder + L"Qt*.dll").c_str(), &found);
    }
    const Unique<HANDLE, FindClose, -1> owner(search);
    if (!owner) return false;
    do {
        if (isQtLibrary(wideToUtf8(found.cFileName))) return true;
    } while (FindNextFileW(owner.get(), &found));
    return false;
}

// A 32-bit program on 64-bit Windows names the 64-bit system folder
// "Sysnative"; with the redirection off it is System32 itself.
std::wstring withoutSysnative(const std::wstring& full) {
    wchar_t windows[MAX_PATH];
    const UINT n = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return full;
    const std::wstring alias = std::wstring(windows, n) + L"\\Sysnative";
    if (full.size() >= alias.size() && _wcsnicmp(full.c_str(), alias.c_str(), alias.size()) == 0 &&
        (full.size() == alias.size() || full[alias.size()] == L'\\')) {
        BOOL wow64 = FALSE;
        if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) return std::wstring(windows, n) + L"\\System32" + full.substr(alias.size());
    }
    return full;
}

}  // namespace

long gpuPreferenceOf(const std::wstring& fullPath) {
    return parseGpuPreference(wideToUtf8(textValue(HKEY_CURRENT_USER, L"Software\\Microsoft\\DirectX\\UserGpuPreferences", fullPath)));
}

ApplicationReading readApplication(const std::wstring& path) {
    std::wstring full = fullPathOf(path);
    if (full.empty()) return refused(systemMessage(GetLastError(), path));
    full = withoutSysnative(full);
    const DWORD attributes = attributesOf(full);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return refused(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? std::string("there is no such file")
                                                                                       : systemMessage(error, full));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return refused("it is a folder, not a program");
    // Windows keeps a program's settings under its long name, whatever name it was given.
    full = longNameOf(full);

    MappedFile program;
    if (!mapFile(full, &program)) return refused(program.problem);
    const ImageReading image = readProgramImage(program.bytes(), program.size);
    if (!image.read) return refused(image.problem);

    ApplicationReading reading;
    ApplicationFacts& facts = reading.facts;
    facts.path = wideToUtf8(full);
    const std::size_t slash = full.find_last_of(L"\\/");
    const std::wstring folder = full.substr(0, slash == std::wstring::npos ? 0 : slash + 1);
    facts.name = wideToUtf8(full.substr(slash == std::wstring::npos ? 0 : slash + 1));
    facts.image = image.image;
    // The manifest Windows reads for the process: its own (ID 1), or one beside a program that has none.
    ManifestFacts manifest;
    if (facts.image.hasManifest) {
        facts.manifestFrom = ApplicationFacts::ManifestFrom::Embedded;
        manifest = readManifestText(facts.image.manifest);
    } else {
        std::string text;
        bool tooLarge = false;
        if (smallFile(full + L".manifest", kMostManifestBytes, &text, &tooLarge)) {
            facts.manifestFrom = ApplicationFacts::ManifestFrom::Beside;
            manifest = readManifestText(text);
        } else if (tooLarge) {
            return refused("its manifest is over 64 KiB");
        }
    }
    facts.manifestBroken = facts.manifestFrom != ApplicationFacts::ManifestFrom::None && !manifest.wellFormed;
    facts.declaresWindows10 = manifest.declaresWindows10;
    facts.manifestSupportsArm64 = manifest.supportsArm64;
    facts.inSystemFolder = isOneOfFolders(wideToUtf8(folder), systemFolders());
    facts.qtBeside = qtBeside(folder);
    for (const wchar_t* dll : {L"opengl32.dll", L"opengl32sw.dll"}) {
        const std::wstring beside = folder + dll;
        const DWORD there = attributesOf(beside);
        if (there == INVALID_FILE_ATTRIBUTES || (there & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const FileVersion version = fileVersion(beside, true);
        facts.beside.push_back(BesideDll{wideToUtf8(dll), version.version, version.company, version.product, dllMachine(beside)});
    }
    facts.gpuPreference = gpuPreferenceOf(full);
    const wchar_t* layers = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const std::string& layer : parseLayers(wideToUtf8(textValue(root, layers, full)))) facts.layers.push_back(layer);
    }
    reading.read = true;
    return reading;
}
