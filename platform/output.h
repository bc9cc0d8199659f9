#pragma once
// Text going out of the program: the standard streams a script gave it, and
// files written so that nothing half-written is ever left.
#include <windows.h>

#include <string>

#include "platform/unique.h"

// How text goes out as bytes: the 8-bit text in the system's code page, UTF-8,
// or, for a text document, UTF-8 after a byte-order mark, which every Notepad
// since XP reads right (a device other than the console gets such a document
// in the code page). A console is written Unicode whatever is asked.
enum class Encoding { SystemCodePage, Utf8, Utf8WithBom };

// Where a script's output goes: the standard output and error the program was
// given (a file or a pipe), or else the console it has or that of the process
// that started it. A GUI program has neither by default.
class ScriptStreams {
public:
    ScriptStreams() = default;
    ~ScriptStreams();
    ScriptStreams(const ScriptStreams&) = delete;
    ScriptStreams& operator=(const ScriptStreams&) = delete;

    // False when there is nowhere to write, or the write failed.
    bool writeOut(const std::string& utf8, Encoding encoding);
    // A line for standard error; dropped when there is none.
    void writeErr(const std::string& utf8Line);
    // Whether there is a standard error or a console to write to.
    bool canWriteErr();

private:
    HANDLE stream(DWORD which);

    bool attached_ = false;
    bool lookedForConsole_ = false;
    UniqueFile console_;  // the console, once opened
};

// The system's words for an error, with the path where they name "%1", and
// its code: "Access is denied. (error 5)". UTF-8.
std::string systemMessage(DWORD error, const std::wstring& path = std::wstring());

// The full path the system makes of a path (relative ones against the
// current folder); empty when it cannot make one.
std::wstring fullPathOf(const std::wstring& path);

struct WriteResult {
    bool written = false;
    std::string problem;  // "<full path>: <system message> (error N)", UTF-8
};

// Writes the text to `path`, encoded as asked. A file is written beside itself
// first (a name that did not exist, which only this run may delete) and then
// put in place, so that nothing half-written is ever left and a file that
// cannot be replaced keeps what it held. A symbolic link's target is the file
// replaced. A file with other names (hard links), or one in a folder where no
// file may be made, is written over instead, and a write that fails midway
// says so. A device (NUL, CON, COM1, \\.\...) is written directly. Long paths
// go through their \\?\ form.
[[nodiscard]] WriteResult writeTextFile(const std::wstring& path, const std::string& utf8, Encoding encoding);

// A report's bytes: in a file, UTF-8 (text after a byte-order mark, so that it
// keeps every character); on standard output, which other programs read in
// the code page they share, text in that code page and JSON in UTF-8.
inline Encoding fileEncoding(bool json) { return json ? Encoding::Utf8 : Encoding::Utf8WithBom; }
inline Encoding streamEncoding(bool json) { return json ? Encoding::Utf8 : Encoding::SystemCodePage; }

// The one way a script's report or comparison leaves the program: to standard
// output where `file` is empty or "-", else to that file or device. A failure
// is said on standard error in words that name `what` ("report",
// "comparison") and, for a file, the path and the system's reason.
[[nodiscard]] bool deliverReport(ScriptStreams& streams, const std::wstring& file, const std::string& text, bool json,
                                 const char* what);

struct ReadResult {
    bool read = false;
    std::string bytes;
    std::string problem;  // "there is no such file", "it is larger than 4 MiB", a system message; UTF-8
};

// A whole file of at most `most` bytes, as it is. A folder, a device and a
// larger file are refused with their reason.
[[nodiscard]] ReadResult readSmallFile(const std::wstring& path, std::size_t most);
