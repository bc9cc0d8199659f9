#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace harness {

namespace {

bool sameNameA(const std::string& entry, const std::string& name) {
    return entry.size() > name.size() && entry[name.size()] == '=' &&
           _strnicmp(entry.c_str(), name.c_str(), name.size()) == 0;
}

std::vector<char> environmentWith(const Env& extra) {
    std::vector<std::string> entries;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; *p != '\0'; p += std::strlen(p) + 1) {
        std::string entry(p);
        bool replaced = false;
        for (const auto& kv : extra) replaced = replaced || sameNameA(entry, kv.first);
        if (!replaced) entries.push_back(entry);
    }
    FreeEnvironmentStringsA(block);
    for (const auto& kv : extra) entries.push_back(kv.first + "=" + kv.second);
    std::vector<char> out;
    for (const auto& e : entries) out.insert(out.end(), e.c_str(), e.c_str() + e.size() + 1);
    out.push_back('\0');
    return out;
}

std::string narrow(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}


struct FindData {
    DWORD pid;
    const char* caption;
    HWND found;
};

BOOL CALLBACK findWindowProc(HWND window, LPARAM param) {
    auto* data = reinterpret_cast<FindData*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == data->pid && windowText(window) == data->caption) {
        data->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::string binDir() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of("\\/"));
}

std::string programPath() { return binDir() + "\\gl-renderer-info.exe"; }
std::string doublePath() { return binDir() + "\\double\\opengl32.dll"; }
std::string withDouble() { return "--opengl32 \"" + doublePath() + "\""; }

std::string unixTempPath(const std::string& name) {
    static int counter = 0;
    char buffer[128];
    // Wine's process ids are per prefix: the set of prefixes run side by side
    // (wine-exec.sh names it) keeps two tests' files apart.
    const char* set = std::getenv("GRI_WINE_SET");
    std::snprintf(buffer, sizeof buffer, "/tmp/gri-%.16s-%lu-%d-", set != nullptr ? set : "wine", GetCurrentProcessId(), ++counter);
    return buffer + name;
}

std::string dosPath(const std::string& unixPath) {
    std::string out = "Z:" + unixPath;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

App::~App() {
    if (info_.hProcess != nullptr) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool App::start(const std::string& exe, const Env& env, const std::string& arguments, DWORD flags) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return launch(exe, env, widen(arguments), &startup, FALSE, flags);
}

bool App::startWithHandles(const std::string& exe, const Env& env, const std::string& arguments, HANDLE output,
                           HANDLE error, DWORD flags, const char* folder) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = error;
    return startWide(exe, env, widen(arguments), output, error, flags, folder);
}

bool App::startWide(const std::string& exe, const Env& env, const std::wstring& arguments, HANDLE output, HANDLE error,
                    DWORD flags, const char* folder) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = error;
    return launch(exe, env, arguments, &startup, TRUE, flags, folder);
}

bool App::launch(const std::string& exe, const Env& env, const std::wstring& arguments, STARTUPINFOW* startup,
                 BOOL inherit, DWORD flags, const char* folder) {
    std::vector<char> block = environmentWith(env);  // 8-bit: no CREATE_UNICODE_ENVIRONMENT
    const std::wstring program = widen(exe);
    std::wstring command = L"\"" + program + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    const std::wstring where = folder != nullptr ? widen(folder) : std::wstring();
    return CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, inherit, flags, block.data(),
                          folder != nullptr ? where.c_str() : nullptr, startup, &info_) != 0;
}

namespace {

struct VisibleCount {
    DWORD pid;
    int count;
};

// A child is only ever shown with its top-level window, so the top-level ones
// tell. Asked twice: a window being destroyed as it is asked gives answers
// for a handle that is no longer its.
BOOL CALLBACK countVisible(HWND window, LPARAM param) {
    auto* data = reinterpret_cast<VisibleCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != data->pid || !IsWindowVisible(window)) return TRUE;
    DWORD still = 0;
    GetWindowThreadProcessId(window, &still);
    if (still == data->pid && !windowClass(window).empty()) ++data->count;
    return TRUE;
}

}  // namespace

int visibleWindows(DWORD pid) {
    VisibleCount data{pid, 0};
    EnumWindows(countVisible, reinterpret_cast<LPARAM>(&data));
    return data.count;
}

HWND App::waitForWindow(const char* caption, DWORD timeoutMs) const {
    WaitForInputIdle(info_.hProcess, timeoutMs);
    const DWORD start = GetTickCount();
    do {
        HWND found = findTopWindow(info_.dwProcessId, caption);
        if (found != nullptr) return found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT);
    DWORD code = 0;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(info_.hProcess, &code)) {
        std::fprintf(stderr, "no window \"%s\": the program ended with %s\n", caption, describeExit(code).c_str());
    }
    return nullptr;
}

HWND App::waitForDialog(DWORD timeoutMs) const {
    HWND dialog = waitForWindow("OpenGL Renderer infos", timeoutMs);
    const DWORD start = GetTickCount();
    while (dialog != nullptr && !IsWindowVisible(dialog) && GetTickCount() - start < timeoutMs) Sleep(20);
    return dialog;
}

bool App::waitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (!GetExitCodeProcess(info_.hProcess, exitCode)) return false;
    if (*exitCode >= 0xC0000000u) std::fprintf(stderr, "the program ended with %s\n", describeExit(*exitCode).c_str());
    return true;
}

std::string describeExit(DWORD code) {
    char text[96];
    if (code < 0xC0000000u) {
        std::snprintf(text, sizeof text, "exit code %lu", static_cast<unsigned long>(code));
        return text;
    }
    const char* name = code == 0xC0000005u   ? " (access violation)"
                       : code == 0xC00000FDu ? " (stack overflow)"
                       : code == 0xC0000094u ? " (integer division by zero)"
                       : code == 0xC000001Du ? " (illegal instruction)"
                       : code == 0xC0000409u ? " (fast fail / stack buffer overrun)"
                                             : "";
    std::snprintf(text, sizeof text, "exception 0x%08lX%s", static_cast<unsigned long>(code), name);
    return text;
}

LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, 10000, &result)) {
        std::fprintf(stderr, "no answer to message 0x%x from window %p\n", message, static_cast<void*>(window));
        return 0;
    }
    return static_cast<LRESULT>(result);
}

HWND findTopWindow(DWORD pid, const char* caption) {
    FindData data{pid, caption, nullptr};
    EnumWindows(findWindowProc, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

// Text crosses the process boundary as UTF-16: ask with the wide messages.
std::string windowText(HWND window) {
    const LRESULT length = send(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return narrow(text.data());
}

std::string windowClass(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<std::string> listRows(HWND list) {
    std::vector<std::string> rows;
    const LRESULT count = send(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = send(list, LB_GETTEXTLEN, i, 0);
        std::vector<wchar_t> text(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        rows.push_back(narrow(text.data()));
    }
    return rows;
}

namespace {

BOOL CALLBACK collectStatic(HWND window, LPARAM param) {
    if (_stricmp(windowClass(window).c_str(), "Static") == 0) {
        const std::string text = windowText(window);
        if (!text.empty()) *reinterpret_cast<std::string*>(param) = text;
    }
    return TRUE;
}

}  // namespace

std::string boxText(HWND box) {
    std::string text;
    EnumChildWindows(box, collectStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

namespace {

struct BoxSearch {
    DWORD pid;
    std::string saying;
    HWND found;
};

BOOL CALLBACK findBoxProc(HWND window, LPARAM lparam) {
    auto* search = reinterpret_cast<BoxSearch*>(lparam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window) || boxText(window).find(search->saying) == std::string::npos) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND waitForBoxSaying(DWORD pid, const std::string& saying, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        BoxSearch search{pid, saying, nullptr};
        EnumWindows(findBoxProc, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

int listSelection(HWND list) { return static_cast<int>(send(list, LB_GETCURSEL, 0, 0)); }

// Wine starts Unix programs but gives no handle to wait on: the script leaves
// its exit status in a file, which is polled for.
std::string runUnix(const std::string& command, int* status, DWORD timeoutMs) {
    const std::string script = unixTempPath("cmd.sh");
    const std::string output = unixTempPath("cmd.out");
    const std::string done = unixTempPath("cmd.done");
    {
        std::ofstream out(dosPath(script), std::ios::binary);
        out << "#!/bin/sh\n(" << command << ") >" << output << " 2>&1\necho $? >" << done << ".tmp\nmv " << done
            << ".tmp " << done << "\n";
    }
    std::string line = "/bin/sh " + script;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    int result = -1;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        const DWORD start = GetTickCount();
        while (GetFileAttributesA(dosPath(done).c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetTickCount() - start < timeoutMs) {
            Sleep(10);
        }
        const std::string code = readFile(dosPath(done));
        if (!code.empty()) result = std::atoi(code.c_str());
    }
    std::string text = readFile(dosPath(output));
    DeleteFileA(dosPath(script).c_str());
    DeleteFileA(dosPath(output).c_str());
    DeleteFileA(dosPath(done).c_str());
    if (status != nullptr) *status = result;
    return text;
}

std::string findFrameWindow(HWND control) {
    RECT client;
    if (!GetClientRect(control, &client)) return std::string();
    char size[64];
    std::snprintf(size, sizeof size, " %ldx%ld+", client.right, client.bottom);
    // The off-screen window: an unnamed child of a 1 x 1 window at -1, -1, with the
    // client's size. The newest one (last listed) belongs to the newest program.
    std::istringstream tree(runUnix("xwininfo -root -tree"));
    std::string line;
    std::string id;
    bool underOffscreenParent = false;
    while (std::getline(tree, line)) {
        if (line.find("1x1+-1+-1") != std::string::npos) {
            underOffscreenParent = true;
            continue;
        }
        if (underOffscreenParent && line.find(size) != std::string::npos) {
            std::istringstream fields(line);
            fields >> id;
        }
        if (line.find("child") == std::string::npos) underOffscreenParent = false;
    }
    return id;
}

namespace {

bool readPpm(const std::string& data, Image* image) {
    std::istringstream in(data);
    std::string magic;
    int maxValue = 0;
    in >> magic >> image->width >> image->height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || image->width <= 0 || image->height <= 0) return false;
    const size_t bytes = static_cast<size_t>(image->width) * image->height * 3;
    const size_t offset = static_cast<size_t>(in.tellg());
    if (data.size() < offset + bytes) return false;
    image->rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(offset),
                      data.begin() + static_cast<std::ptrdiff_t>(offset + bytes));
    return true;
}

bool importPpm(const std::string& what, Image* image) {
    const std::string ppm = unixTempPath("grab.ppm");
    int status = -1;
    runUnix("import -silent " + what + " -depth 8 ppm:" + ppm, &status);
    const std::string data = readFile(dosPath(ppm));
    DeleteFileA(dosPath(ppm).c_str());
    return status == 0 && readPpm(data, image);
}

}  // namespace

bool grabControlFrame(HWND control, Image* image) {
    const std::string id = findFrameWindow(control);
    return !id.empty() && importPpm("-window " + id, image);
}

bool grabScreen(RECT area, Image* image) {
    char crop[96];
    std::snprintf(crop, sizeof crop, "-window root -crop %ldx%ld+%ld+%ld +repage", area.right - area.left,
                  area.bottom - area.top, area.left, area.top);
    return importPpm(crop, image);
}

bool waitForFrame(HWND control, Image* image, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        if (grabControlFrame(control, image)) {
            for (std::uint8_t v : image->rgb) {
                if (v != 0) return true;
            }
        }
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

void press(std::vector<WORD> keys) {
    std::vector<INPUT> input;
    for (WORD k : keys) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        input.push_back(i);
    }
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *k;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        input.push_back(i);
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

void clickAt(POINT screen, bool right) {
    SetCursorPos(screen.x, screen.y);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
}

HWND waitForPopupMenu() {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20)) {
        HWND popup = FindWindowA("#32768", nullptr);
        if (popup != nullptr && IsWindowVisible(popup)) return popup;
    }
    return nullptr;
}

bool bringToFront(HWND window) {
    SetForegroundWindow(window);
    const DWORD start = GetTickCount();
    while (GetForegroundWindow() != window && GetTickCount() - start < 5000) Sleep(20);
    return GetForegroundWindow() == window;
}

HWND focusOf(HWND window) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    send(window, WM_NULL);  // what was queued before has been handled
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread)) return nullptr;
    return thread.hwndFocus;
}

std::string clipboardText() {
    if (!OpenClipboard(nullptr)) return "<busy>";
    std::string text = "<none>";
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* bytes = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (bytes != nullptr) {
        text = bytes;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

std::wstring clipboardUnicode() {
    if (!OpenClipboard(nullptr)) return L"<busy>";
    std::wstring text = L"<none>";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* chars = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (chars != nullptr) {
        text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

namespace {

HGLOBAL globalCopy(const void* bytes, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    return memory;
}

}  // namespace

void setClipboardText(const std::string& text) {
    const std::wstring wide(text.begin(), text.end());
    for (int attempt = 0; attempt < 250 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, globalCopy(text.c_str(), text.size() + 1));
    SetClipboardData(CF_UNICODETEXT, globalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
    CloseClipboard();
}

bool waitUntil(const std::function<bool()>& holds, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount(); !holds();) {
        if (GetTickCount() - start >= timeoutMs) return holds();
        Sleep(20);
    }
    return true;
}

std::string clipboardChangedSince(DWORD sequence) {
    const DWORD start = GetTickCount();
    while (GetClipboardSequenceNumber() == sequence && GetTickCount() - start < 15000) Sleep(20);
    std::string text = clipboardText();
    while (text == "<busy>" && GetTickCount() - start < 15000) {  // the program is still writing
        Sleep(20);
        text = clipboardText();
    }
    return text;
}

std::string readAll(const std::string& dosFile) { return readFile(dosFile); }

std::string document(const std::string& dosFile) {
    const std::string bytes = readAll(dosFile);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") != 0) return "<no byte-order mark>" + bytes;
    return bytes.substr(3);
}

bool exists(const std::string& dosPath) { return GetFileAttributesA(dosPath.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string unixPath(const std::string& dosPath) {
    std::string out = dosPath.size() > 2 && (dosPath[0] == 'Z' || dosPath[0] == 'z') && dosPath[1] == ':' ? dosPath.substr(2)
                                                                                                         : dosPath;
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

std::string unmade(const std::string& report) {
    std::string out = report;
    const size_t line = out.find("\r\nMade: ");
    if (line != std::string::npos) out.erase(line, out.find("\r\n", line + 2) - line);
    const size_t key = out.find("\"made\":\"");
    if (key != std::string::npos) out.erase(key + 7, out.find('"', key + 8) + 1 - (key + 7));
    return out;
}

std::string labelled(const std::string& report, const std::string& label) {
    const size_t at = report.find("\r\n" + label + ": ");
    if (at == std::string::npos) return "<missing>";
    const size_t from = at + label.size() + 4;
    return report.substr(from, report.find("\r\n", from) - from);
}

std::string firstAdapterKey() {
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    if (!EnumDisplayDevicesA(nullptr, 0, &device, 0)) return std::string();
    const char prefix[] = "\\Registry\\Machine\\";
    const std::string key = device.DeviceKey;
    return _strnicmp(key.c_str(), prefix, sizeof prefix - 1) == 0 ? key.substr(sizeof prefix - 1) : std::string();
}

std::string utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::wstring widen(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], n);
    out.resize(out.size() - 1);
    return out;
}

ScopedRegValue::ScopedRegValue(HKEY root, const std::string& path, const std::string& name,
                               const std::string& value, REGSAM view)
    : root_(root), view_(view), path_(path), name_(name) {
    set(REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
}

ScopedRegValue::ScopedRegValue(HKEY root, const std::string& path, const std::string& name, const std::wstring& value)
    : root_(root), path_(path), name_(name) {
    set(REG_SZ, nullptr, 0);  // keeps what was there
    HKEY key = nullptr;
    if (RegCreateKeyA(root_, path_.c_str(), &key) != ERROR_SUCCESS) return;
    RegSetValueExW(key, widen(name_).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

ScopedRegValue::ScopedRegValue(HKEY root, const std::string& path, const std::string& name, DWORD value)
    : root_(root), path_(path), name_(name) {
    set(REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

ScopedRegValue::ScopedRegValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                               const std::vector<BYTE>& bytes)
    : root_(root), path_(path), name_(name) {
    set(type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

HKEY ScopedRegValue::open() const {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

void ScopedRegValue::set(DWORD type, const BYTE* data, DWORD size) {
    const bool keepOnly = data == nullptr;
    HKEY key = open();
    if (key == nullptr) return;
    DWORD oldSize = 0;
    if (RegQueryValueExA(key, name_.c_str(), nullptr, &type_, nullptr, &oldSize) == ERROR_SUCCESS) {
        old_.resize(oldSize);
        hadValue_ = RegQueryValueExA(key, name_.c_str(), nullptr, &type_, old_.data(), &oldSize) == ERROR_SUCCESS;
    }
    if (!keepOnly) RegSetValueExA(key, name_.c_str(), 0, type, data, size);
    RegCloseKey(key);
}

ScopedRegValue::~ScopedRegValue() {
    HKEY key = open();
    if (key == nullptr) return;
    if (hadValue_) {
        RegSetValueExA(key, name_.c_str(), 0, type_, old_.data(), static_cast<DWORD>(old_.size()));
    } else {
        RegDeleteValueA(key, name_.c_str());
    }
    RegCloseKey(key);
}

}  // namespace harness
