#include "platform/system_library.h"

#include <string>

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
