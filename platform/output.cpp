#include "platform/output.h"

#include <cwchar>
#include <vector>

#include "platform/code_page.h"
#include "platform/destination.h"
#include "platform/system_library.h"
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

std::string encoded(const std::string& utf8, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8: return utf8;
    case Encoding::Utf8WithBom: return "\xEF\xBB\xBF" + utf8;
    default: return utf8ToSystem(utf8);
    }
}

bool writeText(HANDLE h, const std::string& utf8, Encoding encoding) {
    if (!isConsole(h)) {
        const std::string bytes = encoded(utf8, encoding);
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
    // UTF-8 where it is redirected: an error names paths, which must arrive
    // whole, whatever the code page lacks.
    if (usable(h)) writeText(h, utf8Line + "\r\n", Encoding::Utf8);
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

WriteResult failed(const std::wstring& path, const char* why) {
    WriteResult result;
    result.problem = wideToUtf8(path) + ": " + why;
    return result;
}

WriteResult done() {
    WriteResult result;
    result.written = true;
    return result;
}

WriteResult writeDevice(const std::wstring& path, const std::string& utf8, Encoding encoding) {
    const std::wstring device = devicePath(path);
    // A GUI program has a console only when it was given or found one; that
    // of the process that started it will do, as for standard output.
    bool attached = false;
    if (isConsolePath(path) && GetConsoleWindow() == nullptr) {
        attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
        if (!attached) return failed(path, "there is no console to write to.");
    }
    WriteResult result;
    {
        const UniqueFile handle(CreateFileW(device.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        // A document for a device is in the code page; a console shows Unicode.
        const Encoding forDevice = encoding == Encoding::Utf8WithBom ? Encoding::SystemCodePage : encoding;
        if (!handle) {
            result = failed(path, GetLastError());
        } else if (!writeText(handle.get(), utf8, forDevice)) {
            result = failed(path, GetLastError());
        } else {
            result = done();
        }
    }
    if (attached) FreeConsole();
    return result;
}

// What an existing file is, opened without any access to it.
struct Existing {
    bool exists = false;
    bool folder = false;
    bool readOnly = false;
    DWORD links = 0;
    std::wstring finalPath;  // where the name leads, links followed; empty when the system cannot say
};

Existing existing(const std::wstring& target) {
    Existing found;
    const UniqueFile handle(CreateFileW(longPathForm(target).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return found;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(handle.get(), &information)) return found;
    found.exists = true;
    found.folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    found.readOnly = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    found.links = information.nNumberOfLinks;
    // Looked up at run time: Windows XP lacks it.
    using FinalPath = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    const auto finalPath = procAddress<FinalPath>(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW");
    if (finalPath != nullptr) {
        std::vector<wchar_t> path(1024);
        DWORD n = finalPath(handle.get(), path.data(), static_cast<DWORD>(path.size()), 0);
        if (n >= path.size()) {
            path.resize(n + 1);
            n = finalPath(handle.get(), path.data(), static_cast<DWORD>(path.size()), 0);
        }
        if (n > 0 && n < path.size()) found.finalPath = withoutLongPathPrefix(std::wstring(path.data(), n));
    }
    return found;
}

// Writes over the file itself, so that every name it has, and every link to
// it, sees the new report. A failure midway is said as such.
WriteResult writeInPlace(const std::wstring& target, const std::string& bytes) {
    const UniqueFile file(CreateFileW(longPathForm(target).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return failed(target, GetLastError());
    if (!writeAll(file.get(), bytes.data(), bytes.size()) || !SetEndOfFile(file.get()) || !FlushFileBuffers(file.get())) {
        const DWORD error = GetLastError();
        WriteResult result;
        result.problem = wideToUtf8(target) + ": the report was written only in part, and the file holds a part of it: " +
                         systemMessage(error, target);
        return result;
    }
    return done();
}

}  // namespace

WriteResult writeTextFile(const std::wstring& path, const std::string& utf8, Encoding encoding) {
    if (isDevicePath(path)) return writeDevice(path, utf8, encoding);
    const std::string bytes = encoded(utf8, encoding);
    std::wstring target = fullPathOf(path);
    if (target.empty()) return failed(path, GetLastError());

    const Existing before = existing(target);
    if (before.folder) return failed(target, "this is a folder, not a file.");
    // Windows refuses to replace a read-only file; Wine, run as root, would
    // replace it and drop the attribute. Refuse as Windows does.
    if (before.readOnly) return failed(target, ERROR_ACCESS_DENIED);
    // A file with other names (hard links) is written over, so that they all
    // see the new report.
    if (before.links > 1) return writeInPlace(target, bytes);
    // A symbolic link keeps leading where it led: the file it leads to is replaced.
    if (!before.finalPath.empty() && _wcsicmp(before.finalPath.c_str(), target.c_str()) != 0) target = before.finalPath;

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
    // No file may be made beside it (a folder where the user may write the
    // file but create none): the file itself is written over.
    if (!file && before.exists) return writeInPlace(target, bytes);
    if (!file) return failed(target, error);
    const bool complete = writeAll(file.get(), bytes.data(), bytes.size()) && FlushFileBuffers(file.get());
    error = complete ? 0 : GetLastError();
    file.reset();  // closed before it is moved
    if (complete && MoveFileExW(temporary.c_str(), longPathForm(target).c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return done();
    }
    if (complete) error = GetLastError();
    DeleteFileW(temporary.c_str());
    return failed(target, error);
}

ReadResult readSmallFile(const std::wstring& path, std::size_t most) {
    ReadResult result;
    const std::wstring full = fullPathOf(path);
    if (full.empty() || isDevicePath(full)) {
        result.problem = full.empty() ? systemMessage(GetLastError(), path) : "it is a device, not a file";
        return result;
    }
    const DWORD attributes = GetFileAttributesW(longPathForm(full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        result.problem = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? "there is no such file" : systemMessage(error, full);
        return result;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        result.problem = "it is a folder, not a file";
        return result;
    }
    const UniqueFile file(CreateFileW(longPathForm(full).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        result.problem = systemMessage(GetLastError(), full);
        return result;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > most) {
        result.problem = "it is larger than " + std::to_string(most / (1024 * 1024)) + " MiB, which no report is";
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!result.bytes.empty() && (!ReadFile(file.get(), &result.bytes[0], static_cast<DWORD>(result.bytes.size()), &got, nullptr) ||
                                  got != result.bytes.size())) {
        result.problem = systemMessage(GetLastError(), full);
        return result;
    }
    result.read = true;
    return result;
}

bool deliverReport(ScriptStreams& streams, const std::wstring& file, const std::string& text, bool json, const char* what) {
    if (file.empty() || file == L"-") {
        if (streams.writeOut(text, streamEncoding(json))) return true;
        streams.writeErr(std::string("There is no standard output to write the ") + what + " to.");
        return false;
    }
    const WriteResult result = writeTextFile(file, text, fileEncoding(json));
    if (!result.written) streams.writeErr(std::string("The ") + what + " could not be written: " + result.problem);
    return result.written;
}
