#include "platform/code_page.h"

#include <windows.h>

#include "platform/utf.h"

std::string systemToUtf8(const std::string& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], n);
    return wideToUtf8(wide);
}

std::string utf8ToSystem(const std::string& utf8) {
    const std::wstring wide = utf8ToWide(utf8);
    if (wide.empty()) return std::string();
    const int length = static_cast<int>(wide.size());
    // Best fit would turn "Ωmega" into "Omega": a different path, which may exist.
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, "?", nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, &out[0], n, "?", nullptr);
    return out;
}
