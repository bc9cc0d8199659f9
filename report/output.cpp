#include "report/output.h"

#include <vector>

std::wstring fromCodePage(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, &out[0], n);
    return out;
}

namespace {

std::string fromWide(const std::wstring& text, UINT codePage) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, &out[0], n, nullptr, nullptr);
    return out;
}

bool usable(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN; }

bool isConsole(HANDLE h) {
    DWORD mode = 0;
    return GetFileType(h) == FILE_TYPE_CHAR && GetConsoleMode(h, &mode);
}

bool writeAll(HANDLE h, const char* bytes, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 65536 ? 65536 : static_cast<DWORD>(size);
        if (!WriteFile(h, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool writeText(HANDLE h, const std::string& text, UINT codePage) {
    if (!isConsole(h)) return writeAll(h, text.data(), text.size());
    // A console shows Unicode; its own code page is seldom the program's.
    const std::wstring wide = fromCodePage(text, codePage);
    for (size_t at = 0; at < wide.size();) {
        DWORD written = 0;
        const DWORD chunk = wide.size() - at > 8192 ? 8192 : static_cast<DWORD>(wide.size() - at);
        if (!WriteConsoleW(h, wide.data() + at, chunk, &written, nullptr) || written == 0) return false;
        at += written;
    }
    return true;
}

}  // namespace

ScriptStreams::~ScriptStreams() {
    if (console_ != INVALID_HANDLE_VALUE) CloseHandle(console_);
    if (attached_) FreeConsole();
}

HANDLE ScriptStreams::stream(DWORD which) {
    HANDLE given = GetStdHandle(which);
    if (usable(given)) return given;
    if (!attached_) {
        // Started from a console without redirection: write to that console.
        attached_ = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
        if (attached_) {
            console_ = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        }
    }
    return console_;
}

bool ScriptStreams::writeOut(const std::string& text, UINT codePage) {
    HANDLE h = stream(STD_OUTPUT_HANDLE);
    return usable(h) && writeText(h, text, codePage);
}

void ScriptStreams::writeErr(const std::string& line) {
    HANDLE h = stream(STD_ERROR_HANDLE);
    if (usable(h)) writeText(h, line + "\r\n", CP_ACP);
}

bool writeFileReplacing(const std::wstring& path, const std::string& bytes) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return false;
    std::vector<wchar_t> full(n);
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n) return false;
    const std::wstring target(full.data(), written);
    const std::wstring temporary = target + L".tmp" + std::to_wstring(GetCurrentProcessId());
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool complete = writeAll(file, bytes.data(), bytes.size()) && FlushFileBuffers(file);
    CloseHandle(file);
    if (complete && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
}

std::string systemToUtf8(const std::string& text) { return fromWide(fromCodePage(text, CP_ACP), CP_UTF8); }

std::string toSystemText(const std::wstring& text) { return fromWide(text, CP_ACP); }
