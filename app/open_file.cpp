#include "app/open_file.h"


#include <vector>

#include "platform/system_library.h"

bool askFileToOpen(HWND dialog, const wchar_t* title, const wchar_t* filter, DWORD flags, std::wstring* path) {
    using GetOpenFileName = BOOL(WINAPI*)(OPENFILENAMEW*);
    const auto getOpenFileName = systemFunction<GetOpenFileName>(L"comdlg32.dll", "GetOpenFileNameW");
    if (getOpenFileName == nullptr) {
        MessageBoxW(dialog, L"The system's Open dialog is not available.", title, MB_OK | MB_ICONERROR);
        return false;
    }
    std::vector<wchar_t> file(32768, L'\0');  // room for long paths
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.lpstrFilter = filter;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrTitle = title;
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | flags;
    if (!getOpenFileName(&request)) return false;  // cancelled
    *path = file.data();
    return true;
}
