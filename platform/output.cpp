#include "platform/output.h"

#include <vector>

#include "platform/code_page.h"
#include "platform/destination.h"
#include "platform/utf.h"

namespace {

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

bool writeText(HANDLE h, const std::string& utf8, Encoding encoding) {
    if (!isConsole(h)) {
        const std::string bytes = encoding == Encoding::Utf8 ? utf8 : utf8ToSystem(utf8);
        return writeAll(h, bytes.data(), bytes.size());
    }
    // A console shows Unicode; its own code page is seldom the program's.
    const std::wstring wide = utf8ToWide(utf8);
    for (size_t at = 0; at < wide.size();) {
        DWORD written = 0;
        const DWORD chunk = wide.size() - at > 8192 ? 8192 : static_cast<DWORD>(wide.size() - at);
        if (!WriteConsoleW(h, wide.data() + at, chunk, &written, nullptr) || written == 0) return false;
        at += written;
    }
    return true;
}

HANDLE openConsoleOutput() {
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

}  // namespace

ScriptStreams::~ScriptStreams() {
    console_.reset();
    if (attached_) FreeConsole();
}

HANDLE ScriptStreams::stream(DWORD which) {
    HANDLE given = GetStdHandle(which);
    if (usable(given)) return given;
    if (!lookedForConsole_) {
        lookedForConsole_ = true;
        // A console of its own (started with one, handles not passed on), or
        // else that of the process that started it: cmd without redirection.
        console_.reset(openConsoleOutput());
        if (!console_ && AttachConsole(ATTACH_PARENT_PROCESS)) {
            attached_ = true;
            console_.reset(openConsoleOutput());
        }
    }
    return console_.get();
}

bool ScriptStreams::writeOut(const std::string& utf8, Encoding encoding) {
    HANDLE h = stream(STD_OUTPUT_HANDLE);
    return usable(h) && writeText(h, utf8, encoding);
}

void ScriptStreams::writeErr(const std::string& utf8Line) {
    HANDLE h = stream(STD_ERROR_HANDLE);
    if (usable(h)) writeText(h, utf8Line + "\r\n", Encoding::SystemCodePage);
}

bool ScriptStreams::canWriteErr() { return usable(stream(STD_ERROR_HANDLE)); }

std::string systemMessage(DWORD error, const std::wstring& path) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const UniqueLocal owned(text);
    std::wstring message = n > 0 && text != nullptr ? std::wstring(text, n) : std::wstring(L"Unknown error.");
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return wideToUtf8(withPathInserted(message, path.empty() ? std::wstring(L"the file") : path)) + " (error " +
           std::to_string(error) + ")";
}

std::wstring fullPathOf(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::wstring();
    std::vector<wchar_t> full(n);
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    return written > 0 && written < n ? std::wstring(full.data(), written) : std::wstring();
}

namespace {

WriteResult failed(const std::wstring& path, DWORD error) {
    WriteResult result;
    result.problem = wideToUtf8(path) + ": " + systemMessage(error, path);
    return result;
}

WriteResult writeDevice(const std::wstring& path, const std::string& utf8, Encoding encoding) {
    const UniqueFile device(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!device) return failed(path, GetLastError());
    if (!writeText(device.get(), utf8, encoding)) return failed(path, GetLastError());
    WriteResult result;
    result.written = true;
    return result;
}

}  // namespace

WriteResult writeTextFile(const std::wstring& path, const std::string& utf8, Encoding encoding) {
    if (isDevicePath(path)) return writeDevice(path, utf8, encoding);
    const std::string bytes = encoding == Encoding::Utf8 ? utf8 : utf8ToSystem(utf8);
    const std::wstring target = fullPathOf(path);
    if (target.empty()) return failed(path, GetLastError());

    // Windows refuses to replace a read-only file; Wine, run as root, would
    // replace it and drop the attribute. Refuse as Windows does.
    const DWORD attributes = GetFileAttributesW(longPathForm(target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return failed(target, ERROR_ACCESS_DENIED);
    }

    // A name that exists already belongs to someone else: never overwritten, never deleted.
    std::wstring temporary;
    UniqueFile file;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && !file && error == ERROR_FILE_EXISTS; ++attempt) {
        temporary = longPathForm(temporaryPath(target, GetCurrentProcessId(), attempt));
        file.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        error = !file ? GetLastError() : 0;
        if (error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
    }
    if (!file) return failed(target, error);
    const bool complete = writeAll(file.get(), bytes.data(), bytes.size()) && FlushFileBuffers(file.get());
    error = complete ? 0 : GetLastError();
    file.reset();  // closed before it is moved
    if (complete && MoveFileExW(temporary.c_str(), longPathForm(target).c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        WriteResult result;
        result.written = true;
        return result;
    }
    if (complete) error = GetLastError();
    DeleteFileW(temporary.c_str());
    return failed(target, error);
}
