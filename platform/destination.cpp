#include "platform/destination.h"


namespace {

// MAX_PATH, counting the terminator.
constexpr std::size_t kMaxPath = 260;

std::wstring upper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

bool isDeviceName(const std::wstring& name) {
    if (name == L"NUL" || name == L"CON" || name == L"CONOUT$" || name == L"AUX" || name == L"PRN") return true;
    return name.size() == 4 && (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) && name[3] >= L'1' &&
           name[3] <= L'9';
}

}  // namespace

bool isDevicePath(const std::wstring& path) {
    if (path.compare(0, 4, L"\\\\.\\") == 0 || path.compare(0, 4, L"//./") == 0) return true;
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring last = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
    // A drive letter alone before it: "C:NUL".
    if (slash == std::wstring::npos && last.size() > 2 && last[1] == L':') last = last.substr(2);
    if (!last.empty() && last.back() == L':') last.pop_back();
    const std::size_t dot = last.find(L'.');
    if (dot != std::wstring::npos && last.find(L'.', dot + 1) != std::wstring::npos) return false;
    return isDeviceName(upper(last.substr(0, dot)));
}

std::wstring longPathForm(const std::wstring& fullPath) {
    if (fullPath.size() < kMaxPath) return fullPath;
    if (fullPath.compare(0, 4, L"\\\\?\\") == 0 || fullPath.compare(0, 4, L"\\\\.\\") == 0) return fullPath;
    if (fullPath.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return L"\\\\?\\" + fullPath;
}

std::wstring temporaryPath(const std::wstring& target, unsigned long processId, int attempt) {
    std::wstring name = target + L".tmp" + std::to_wstring(processId);
    if (attempt > 0) name += L"-" + std::to_wstring(attempt);
    return name;
}

std::wstring withPathInserted(const std::wstring& message, const std::wstring& path) {
    std::wstring out;
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] == L'%' && i + 1 < message.size() && message[i + 1] == L'1') {
            out += path;
            ++i;
        } else {
            out += message[i];
        }
    }
    return out;
}
