#include "app/copy_report.h"

#include <cstring>

#include "app/app_state.h"
#include "app/check_program.h"
#include "app/compare_report.h"
#include "app/current_report.h"
#include "app/save_report.h"
#include "platform/code_page.h"
#include "platform/unique.h"
#include "platform/utf.h"
#include "render/scene_control.h"
#include "res/resource.h"

namespace {

UniqueHook s_filter;
UniqueAccelerators s_accelerators;
HWND s_dialog = nullptr;

void copyReportOrSay(HWND dialog);
void turnBack(HWND) { turnSceneByKey(SceneKey::Home); }

// Every command of the report menu in one place: its identifier, its words in
// the menu, its key (Ctrl and a virtual key; 0: none) and what it does. A
// command without an identifier is a line the menu shows greyed.
struct ReportCommand {
    WORD id;
    const wchar_t* words;
    WORD key;
    void (*run)(HWND dialog);
    bool separatorBefore;
};
const ReportCommand kReportCommands[] = {
    {IDM_COPY_REPORT, L"&Copy report\tCtrl+C", 'C', copyReportOrSay, false},
    {IDM_SAVE_REPORT, L"&Save report\u2026\tCtrl+S", 'S', saveReport, false},
    {IDM_CHECK_PROGRAM, L"C&heck a program\u2026\tCtrl+O", 'O', checkProgram, false},
    {IDM_COMPARE_REPORT, L"Co&mpare with a saved report\u2026", 0, compareWithSavedReport, false},
    // The keys that turn the cube, named where a keyboard user looks.
    {0, L"Turn the cube\tCtrl+Arrow keys", 0, nullptr, true},
    {IDM_TURN_BACK, L"&Turn the cube back\tCtrl+Home", 0, turnBack, false},
};

// The commands' keys, and Ctrl+Insert for copying as well, as a table.
UniqueAccelerators makeAccelerators() {
    ACCEL keys[sizeof kReportCommands / sizeof kReportCommands[0] + 1] = {};
    int count = 0;
    for (const ReportCommand& c : kReportCommands) {
        if (c.key != 0) keys[count++] = ACCEL{FVIRTKEY | FCONTROL, c.key, c.id};
    }
    keys[count++] = ACCEL{FVIRTKEY | FCONTROL, VK_INSERT, IDM_COPY_REPORT};
    return UniqueAccelerators(CreateAcceleratorTableW(keys, count));
}

// Ctrl with an arrow key turns the cube, Ctrl+Home turns it back, wherever
// the focus is in the dialog; neither the list nor the button has a use for them.
bool turnedByKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
    SceneKey key;
    switch (message.wParam) {
    case VK_LEFT: key = SceneKey::Left; break;
    case VK_RIGHT: key = SceneKey::Right; break;
    case VK_UP: key = SceneKey::Up; break;
    case VK_DOWN: key = SceneKey::Down; break;
    case VK_HOME: key = SceneKey::Home; break;
    default: return false;
    }
    turnSceneByKey(key);
    return true;
}

LRESULT CALLBACK dialogLoopFilter(int code, WPARAM wparam, LPARAM lparam) {
    if (code == MSGF_DIALOGBOX) {
        MSG* message = reinterpret_cast<MSG*>(lparam);
        const bool ours = message->hwnd == s_dialog || IsChild(s_dialog, message->hwnd);
        if (ours && (turnedByKey(*message) || TranslateAcceleratorA(s_dialog, s_accelerators.get(), message))) return 1;
    }
    return CallNextHookEx(s_filter.get(), code, wparam, lparam);
}

UniqueGlobal globalCopy(const void* bytes, size_t size) {
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
    void* target = memory ? GlobalLock(memory.get()) : nullptr;
    if (target == nullptr) return UniqueGlobal();
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory.get());
    return memory;
}

// The clipboard owns what it takes; what it refuses is still ours, and freed.
bool place(UINT format, UniqueGlobal& memory) {
    if (SetClipboardData(format, memory.get()) == nullptr) return false;
    memory.release();
    return true;
}

// Both forms from the same UTF-8 text: Unicode as it is, the 8-bit form in the
// program's own code page. Left to itself the system would derive one from the
// other with the code page of whatever keyboard layout is active.
[[nodiscard]] bool putOnClipboard(HWND owner, const std::string& utf8) {
    const std::wstring wide = utf8ToWide(utf8);
    const std::string text = utf8ToSystem(utf8);
    UniqueGlobal unicode = globalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    UniqueGlobal ansi = globalCopy(text.c_str(), text.size() + 1);
    // Another program may hold the clipboard, or memory ran out: then nothing is changed.
    if (!unicode || !ansi || !OpenClipboard(owner)) return false;
    const bool placed = EmptyClipboard() != FALSE;
    const bool unicodePlaced = placed && place(CF_UNICODETEXT, unicode);
    const bool ansiPlaced = placed && place(CF_TEXT, ansi);
    CloseClipboard();
    return unicodePlaced && ansiPlaced;
}

// What was not copied is said: the user would otherwise paste old text.
void copyReportOrSay(HWND dialog) {
    if (copyReport()) return;
    HWND holder = GetOpenClipboardWindow();
    wchar_t title[128] = {};
    if (holder != nullptr) GetWindowTextW(holder, title, 128);
    const std::wstring who = holder == nullptr ? std::wstring(L"another program holds the clipboard, or memory ran out")
                             : title[0] != 0   ? L"the clipboard is held by \u201C" + std::wstring(title) + L"\u201D"
                                               : std::wstring(L"another program holds the clipboard");
    const std::wstring text = L"Nothing was copied: " + who + L". Try again once it lets go, or save the report instead (Ctrl+S).";
    MessageBoxW(dialog, text.c_str(), L"Report not copied", MB_OK | MB_ICONWARNING);
}

}  // namespace

void installCopyShortcuts(HWND dialog) {
    s_dialog = dialog;
    if (!s_accelerators) s_accelerators = makeAccelerators();
    if (!s_filter) s_filter.reset(SetWindowsHookExA(WH_MSGFILTER, dialogLoopFilter, nullptr, GetCurrentThreadId()));
}

void removeCopyShortcuts() {
    s_filter.reset();
    s_accelerators.reset();
}

bool runReportCommand(HWND dialog, WORD id) {
    for (const ReportCommand& c : kReportCommands) {
        if (c.id != 0 && c.id == id) {
            c.run(dialog);
            return true;
        }
    }
    return false;
}

void showCopyMenu(HWND dialog, LPARAM at) {
    POINT where = {static_cast<SHORT>(LOWORD(at)), static_cast<SHORT>(HIWORD(at))};
    if (where.x == -1 && where.y == -1) {
        // From the keyboard: at the control that has the focus.
        HWND focus = GetFocus();
        RECT area;
        GetWindowRect(focus != nullptr && IsChild(dialog, focus) ? focus : dialog, &area);
        where = {area.left + 8, area.top + 8};
    }
    const UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    for (const ReportCommand& c : kReportCommands) {
        if (c.separatorBefore) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.get(), MF_STRING | (c.id == 0 ? MF_GRAYED : 0), c.id, c.words);
    }
    const BOOL chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, where.x, where.y, 0,
                                       dialog, nullptr);
    if (chosen != 0) runReportCommand(dialog, static_cast<WORD>(chosen));
}

bool copyReport() { return putOnClipboard(g_mainDialog.dialog, currentReport()); }
