#pragma once
#include <windows.h>

#include <string>

// Where a script's report goes: the standard output and error the program was
// given (a file or a pipe), or else the console of the process that started
// it. A GUI program has neither by default.
class ScriptStreams {
public:
    ScriptStreams() = default;
    ~ScriptStreams();
    ScriptStreams(const ScriptStreams&) = delete;
    ScriptStreams& operator=(const ScriptStreams&) = delete;

    // Text in `codePage` (CP_ACP or CP_UTF8): bytes as they are to a file or
    // a pipe, as Unicode to a console. False when there is nowhere to write.
    bool writeOut(const std::string& text, UINT codePage);
    // A line for standard error; dropped when there is none.
    void writeErr(const std::string& line);

private:
    HANDLE stream(DWORD which);

    bool attached_ = false;
    HANDLE console_ = INVALID_HANDLE_VALUE;  // the parent's console, once opened
};

// Writes `bytes` to `path` beside it first, then puts the file in place, so
// that nothing half-written is ever left. False when it could not be written.
bool writeFileReplacing(const std::wstring& path, const std::string& bytes);

// The system's 8-bit text as UTF-8.
std::string systemToUtf8(const std::string& text);
// Text in a code page as UTF-16, and UTF-16 as the system's 8-bit text.
std::wstring fromCodePage(const std::string& text, UINT codePage);
std::string toSystemText(const std::wstring& text);
