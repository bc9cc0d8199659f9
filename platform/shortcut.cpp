#include "platform/shortcut.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

#include "platform/system_library.h"
#include "platform/unique.h"

namespace {

// Written out here rather than linked: the program links no COM libraries.
const CLSID kShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

bool isShortcutPath(const std::wstring& path) {
    return path.size() > 4 && _wcsicmp(path.c_str() + path.size() - 4, L".lnk") == 0;
}

std::wstring shortcutTarget(const std::wstring& shortcut) {
    using CoInitializeEx = HRESULT(WINAPI*)(LPVOID, DWORD);
    using CoUninitialize = void(WINAPI*)();
    using CoCreateInstance = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    const auto initialize = systemFunction<CoInitializeEx>(L"ole32.dll", "CoInitializeEx");
    const auto uninitialize = systemFunction<CoUninitialize>(L"ole32.dll", "CoUninitialize");
    const auto create = systemFunction<CoCreateInstance>(L"ole32.dll", "CoCreateInstance");
    if (initialize == nullptr || uninitialize == nullptr || create == nullptr) return std::wstring();
    const HRESULT started = initialize(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring target;
    {
        UniqueCom<IShellLinkW> link;
        UniqueCom<IPersistFile> file;
        if (SUCCEEDED(create(kShellLink, nullptr, CLSCTX_INPROC_SERVER, kShellLinkW, reinterpret_cast<void**>(link.put()))) &&
            SUCCEEDED(link.get()->QueryInterface(kPersistFile, reinterpret_cast<void**>(file.put()))) &&
            SUCCEEDED(file.get()->Load(shortcut.c_str(), STGM_READ))) {
            std::vector<wchar_t> path(32768, L'\0');
            if (link.get()->GetPath(path.data(), static_cast<int>(path.size()), nullptr, 0) == S_OK) target = path.data();
        }
    }
    if (SUCCEEDED(started)) uninitialize();
    return target;
}
