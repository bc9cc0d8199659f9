#include "platform/destination.h"

namespace {

// MAX_PATH, counting the terminator.
constexpr std::size_t kMaxPath = 260;
// The longest name a component may have.
constexpr std::size_t kMaxName = 255;

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

void trimBlanksAndDots(std::wstring& name) {
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.pop_back();
}

bool isDeviceNamespace(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\.\\") == 0 || path.compare(0, 4, L"//./") == 0;
}

// The device a path names, upper case ("NUL"), or empty when it names none.
std::wstring deviceName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring last = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
    // A drive letter alone before it: "C:NUL".
    if (slash == std::wstring::npos && last.size() > 2 && last[1] == L':') last = last.substr(2);
    trimBlanksAndDots(last);
    if (!last.empty() && last.back() == L':') last.pop_back();
    const std::size_t dot = last.find(L'.');
    if (dot != std::wstring::npos && last.find(L'.', dot + 1) != std::wstring::npos) return std::wstring();
    std::wstring name = upper(last.substr(0, dot));
    // Windows also trims the blanks before an extension: "NUL .txt".
    while (!name.empty() && name.back() == L' ') name.pop_back();
    return isDeviceName(name) ? name : std::wstring();
}

}  // namespace

bool isDevicePath(const std::wstring& path) { return isDeviceNamespace(path) || !deviceName(path).empty(); }

std::wstring devicePath(const std::wstring& path) {
    if (isDeviceNamespace(path)) return path;
    const std::wstring name = deviceName(path);
    if (name == L"CON" || name == L"CONOUT$") return L"CONOUT$";
    return L"\\\\.\\" + name;
}

bool isConsolePath(const std::wstring& path) {
    if (isDeviceNamespace(path)) {
        const std::wstring name = upper(path.substr(4));
        return name == L"CON" || name == L"CONOUT$";
    }
    return devicePath(path) == L"CONOUT$";
}

std::wstring longPathForm(const std::wstring& fullPath) {
    if (fullPath.size() < kMaxPath) return fullPath;
    if (fullPath.compare(0, 4, L"\\\\?\\") == 0 || fullPath.compare(0, 4, L"\\\\.\\") == 0) return fullPath;
    if (fullPath.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return L"\\\\?\\" + fullPath;
}

std::wstring withoutLongPathPrefix(const std::wstring& path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
    return path;
}

std::wstring temporaryPath(const std::wstring& target, unsigned long processId, int attempt) {
    std::wstring suffix = L".tmp" + std::to_wstring(processId);
    if (attempt > 0) suffix += L"-" + std::to_wstring(attempt);
    const std::size_t slash = target.find_last_of(L"\\/");
    const std::size_t nameLength = target.size() - (slash == std::wstring::npos ? 0 : slash + 1);
    if (nameLength + suffix.size() <= kMaxName) return target + suffix;
    return target.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + L"report" + suffix;
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
