#pragma once
// Drives the real program from outside, as a user or an automation tool would:
// start it, find its windows, read and send messages, read its exit code.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace harness {

// The program's fixed numbers, written out rather than taken from its own
// header: a wrong number there must fail a test, not move both sides together.
constexpr int kDialogTemplateId = 103;
constexpr int kIconId = 130;
constexpr int kSceneControlId = 1001;
constexpr int kExtensionListId = 1003;
constexpr int kInfoTextId = 1004;
constexpr int kDriverListId = 1005;
constexpr int kCloseCommandId = 105;

using Env = std::vector<std::pair<std::string, std::string>>;

std::string binDir();           // the folder of the test executable
std::string programPath();      // the program as built
std::string doublePath();       // the OpenGL double, in a folder of its own
std::string withDouble();       // the program's arguments that make it use the double
std::string unixTempPath(const std::string& name);  // a fresh file under /tmp, as a Unix path
std::string dosPath(const std::string& unixPath);   // the same file through drive Z:

// One run of a program. The destructor ends it if it still runs.
class App {
public:
    App() = default;
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool start(const std::string& exe, const Env& env = {}, const std::string& arguments = std::string(), DWORD flags = 0);
    // The same with these standard handles (null: none) instead of the test's own,
    // these creation flags (CREATE_SUSPENDED, DETACHED_PROCESS...) and folder.
    bool startWithHandles(const std::string& exe, const Env& env, const std::string& arguments, HANDLE output,
                          HANDLE error, DWORD flags = 0, const char* folder = nullptr);
    // Arguments in UTF-16, for text outside the system's code page.
    bool startWide(const std::string& exe, const Env& env, const std::wstring& arguments, HANDLE output, HANDLE error,
                   DWORD flags = 0, const char* folder = nullptr);
    // Lets a program started with CREATE_SUSPENDED run.
    void resume() { ResumeThread(info_.hThread); }
    // Waits for input idle, then for the top-level window with this caption;
    // when the program ends first, says on stderr how it ended.
    HWND waitForWindow(const char* caption, DWORD timeoutMs = 20000) const;
    // The dialog, once it is shown: input idle, found by caption and visible.
    HWND waitForDialog(DWORD timeoutMs = 20000) const;
    // Says on stderr when the program ended by an exception (a crash).
    bool waitForExit(DWORD timeoutMs, DWORD* exitCode);
    DWORD pid() const { return info_.dwProcessId; }
    HANDLE process() const { return info_.hProcess; }

private:
    bool launch(const std::string& exe, const Env& env, const std::wstring& arguments, STARTUPINFOW* startup,
                BOOL inherit, DWORD flags = 0, const char* folder = nullptr);

    PROCESS_INFORMATION info_ = {};
};

// The top-level windows of a process that are visible now (a child shows only with its own).
int visibleWindows(DWORD pid);

// "exit code 1", or for a crash "exception 0xC0000005 (access violation)".
std::string describeExit(DWORD code);

// SendMessageW with a time limit: a program that stops answering fails the
// test instead of hanging it. Says on stderr when no answer came.
LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

HWND findTopWindow(DWORD pid, const char* caption);
std::string windowText(HWND window);
std::string windowClass(HWND window);
std::vector<std::string> listRows(HWND list);
// The message of a message box: the text of its non-empty static control.
std::string boxText(HWND box);
int listSelection(HWND list);
// A box of the process whose message holds these words, once it shows, or null.
HWND waitForBoxSaying(DWORD pid, const std::string& saying, DWORD timeoutMs = 5000);

// Runs a Unix shell command line and returns what it printed; *status gets its
// exit status (-1 when it did not finish in time).
std::string runUnix(const std::string& command, int* status = nullptr, DWORD timeoutMs = 30000);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// The frame a child control's OpenGL presents, read from the X server: Wine
// keeps it in an off-screen X window of the control's client size.
bool grabControlFrame(HWND control, Image* image);
// The X window id ("0x...") of that off-screen window, or empty.
std::string findFrameWindow(HWND control);
// A rectangle of the screen (the X root window), as a person sees it.
bool grabScreen(RECT area, Image* image);
// Waits until the control's frame shows something other than black.
bool waitForFrame(HWND control, Image* image, DWORD timeoutMs = 10000);

// Input as a user gives it, to whatever window is in front.
// Keys pressed in order and released in reverse, as a keyboard delivers a chord.
void press(std::vector<WORD> keys);
// A click of the left (or right) button at a point on the screen.
void clickAt(POINT screen, bool right = false);
// The context menu once it shows, or null after 5 s.
HWND waitForPopupMenu();
// Brings the window to the front, where keys go; false when it did not get there.
bool bringToFront(HWND window);
// The window that has the keyboard focus in the thread that owns `window`.
HWND focusOf(HWND window);

// The clipboard as another program reads it: the 8-bit text, or "<none>"
// without any, "<busy>" when it cannot be opened.
std::string clipboardText();
// Its Unicode text as UTF-16, or "<none>" / "<busy>" spelled in UTF-16.
std::wstring clipboardUnicode();
// Puts this text on it as both 8-bit and Unicode text, as another owner would.
void setClipboardText(const std::string& text);
// The 8-bit text once the clipboard changed after `sequence`; waiting does not
// open it, which would make the program's copy fail.
std::string clipboardChangedSince(DWORD sequence);
// Polls until `holds` is true or the time is up (a loaded machine is slow, a
// fixed wait either wastes time or is too short); its last answer.
bool waitUntil(const std::function<bool()>& holds, DWORD timeoutMs = 10000);

// 8-bit text in the system's code page as UTF-16, and UTF-16 as UTF-8.
std::wstring widen(const std::string& text);
std::string utf8(const std::wstring& text);

// The whole content of a file, or empty.
std::string readAll(const std::string& dosFile);
// A text document the program wrote: UTF-8 after a byte-order mark. Its text
// without the mark, or "<no byte-order mark>" and what followed.
std::string document(const std::string& dosFile);
bool exists(const std::string& dosPath);
// The Unix path of a file under drive Z:.
std::string unixPath(const std::string& dosPath);
// A report without the time it was made ("Made: ..." in the text, "made" in
// the JSON), in which two reports of one machine a second apart differ.
std::string unmade(const std::string& report);
// A labelled line of a report ("Vendor" gives what follows "\r\nVendor: "), or "<missing>".
std::string labelled(const std::string& report, const std::string& label);
// The first display adapter's key, under HKEY_LOCAL_MACHINE, where its driver
// leaves its values; empty when the system names no adapter.
std::string firstAdapterKey();

// Sets a registry value for the test's lifetime and puts back what was there.
class ScopedRegValue {
public:
    // view: KEY_WOW64_64KEY or KEY_WOW64_32KEY for that registry view; 0 the test's own.
    ScopedRegValue(HKEY root, const std::string& path, const std::string& name, const std::string& value, REGSAM view = 0);
    ScopedRegValue(HKEY root, const std::string& path, const std::string& name, DWORD value);
    // Any type, as bytes: a QWORD, or a value of the wrong type or size.
    ScopedRegValue(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::vector<BYTE>& bytes);
    // Text outside the code page, set through the Unicode function.
    ScopedRegValue(HKEY root, const std::string& path, const std::string& name, const std::wstring& value);
    ~ScopedRegValue();
    ScopedRegValue(const ScopedRegValue&) = delete;
    ScopedRegValue& operator=(const ScopedRegValue&) = delete;

private:
    void set(DWORD type, const BYTE* data, DWORD size);
    HKEY open() const;

    HKEY root_;
    REGSAM view_ = 0;
    std::string path_;
    std::string name_;
    bool hadValue_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> old_;
};


}  // namespace harness
