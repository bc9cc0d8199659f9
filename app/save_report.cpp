#include "app/save_report.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/current_report.h"
#include "platform/destination.h"
#include "platform/output.h"
#include "platform/system_library.h"
#include "platform/utf.h"

namespace {

// The user's Documents folder, or empty where the system does not say.
std::wstring documentsFolder() {
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    const auto getFolderPath = systemFunction<GetFolderPath>(L"shell32.dll", "SHGetFolderPathW");
    wchar_t path[MAX_PATH] = {};
    if (getFolderPath == nullptr || getFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, path) != S_OK) return std::wstring();
    return path;
}

}  // namespace

void saveReport(HWND dialog) {
    using GetSaveFileName = BOOL(WINAPI*)(OPENFILENAMEW*);
    const auto getSaveFileName = systemFunction<GetSaveFileName>(L"comdlg32.dll", "GetSaveFileNameW");
    if (getSaveFileName == nullptr) {
        MessageBoxW(dialog, L"The system's Save dialog is not available.", L"Report not saved", MB_OK | MB_ICONERROR);
        return;
    }
    // Room for long paths.
    std::vector<wchar_t> file(32768, L'\0');
    // No extension of its own: the dialog adds the chosen type's (lpstrDefExt
    // below), so that choosing JSON does not save JSON under ".txt".
    const std::wstring name = L"OpenGL report";
    std::copy(name.begin(), name.end(), file.begin());
    const std::wstring folder = documentsFolder();
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    // JSON and HTML too, so that there is something to compare with later.
    request.lpstrFilter =
        L"Text files (*.txt)\0*.txt\0JSON report (*.json)\0*.json\0HTML report (*.html)\0*.html\0All files\0*.*\0";
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrTitle = L"Save report";
    request.lpstrDefExt = L"txt";
    // No OFN_PATHMUSTEXIST: a folder that is not there is refused by the
    // write itself, in words that name the path.
    request.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!getSaveFileName(&request)) return;  // cancelled

    if (isDevicePath(file.data())) {
        const std::wstring text = L"\u201C" + std::wstring(file.data()) +
                                  L"\u201D names a device, not a file. Choose another name to save the report under.";
        MessageBoxW(dialog, text.c_str(), L"Report not saved", MB_OK | MB_ICONERROR);
        return;
    }
    // The type chosen, or a name that ends in .json or .html (.htm), writes
    // that as --json FILE and --html FILE do.
    const std::wstring saved = file.data();
    const auto endsWith = [&saved](const wchar_t* end) {
        const std::size_t n = wcslen(end);
        return saved.size() > n && _wcsicmp(saved.c_str() + saved.size() - n, end) == 0;
    };
    const ReportFormat format = request.nFilterIndex == 2 || endsWith(L".json")                     ? ReportFormat::Json
                                : request.nFilterIndex == 3 || endsWith(L".html") || endsWith(L".htm") ? ReportFormat::Html
                                                                                                       : ReportFormat::Text;
    const WriteResult result = writeTextFile(saved, currentReport(format), fileEncoding(format != ReportFormat::Text));
    if (!result.written) {
        const std::wstring text = L"The report could not be saved.\n\n" + utf8ToWide(result.problem);
        MessageBoxW(dialog, text.c_str(), L"Report not saved", MB_OK | MB_ICONERROR);
    }
}
