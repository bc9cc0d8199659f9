#include "platform/system_library.h"

#include <string>
#include <vector>

HMODULE loadFromSystemFolder(const wchar_t* name) {
    // Only the system folder is searched. Systems without the search flags
    // (before KB2533623) refuse them; they get the full path instead.
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr) return module;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

std::wstring modulePath(HMODULE module) {
    // A path that fills the buffer may have been cut short: try a larger one.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) return std::wstring(path.data(), length);
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

RealFileSystem::RealFileSystem() {
    // Looked up: Windows XP without 64-bit support lacks it.
    const auto disable = procAddress<BOOL(WINAPI*)(PVOID*)>(GetModuleHandleW(L"kernel32.dll"), "Wow64DisableWow64FsRedirection");
    off_ = disable != nullptr && disable(&old_);
}

RealFileSystem::~RealFileSystem() {
    const auto revert = procAddress<BOOL(WINAPI*)(PVOID)>(GetModuleHandleW(L"kernel32.dll"), "Wow64RevertWow64FsRedirection");
    if (off_ && revert != nullptr) revert(old_);
}
