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
HACCEL s_accelerators = nullptr;
HWND s_dialog = nullptr;

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
        if (ours && (turnedByKey(*message) || TranslateAcceleratorA(s_dialog, s_accelerators, message))) return 1;
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
bool putOnClipboard(HWND owner, const std::string& utf8) {
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

}  // namespace

void installCopyShortcuts(HWND dialog) {
    s_dialog = dialog;
    s_accelerators = LoadAcceleratorsA(g_instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    if (!s_filter) s_filter.reset(SetWindowsHookExA(WH_MSGFILTER, dialogLoopFilter, nullptr, GetCurrentThreadId()));
}

void removeCopyShortcuts() { s_filter.reset(); }

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
    AppendMenuA(menu.get(), MF_STRING, IDM_COPY_REPORT, "&Copy report\tCtrl+C");
    AppendMenuW(menu.get(), MF_STRING, IDM_SAVE_REPORT, L"&Save report\u2026\tCtrl+S");
    AppendMenuW(menu.get(), MF_STRING, IDM_CHECK_PROGRAM, L"C&heck a program\u2026\tCtrl+O");
    AppendMenuW(menu.get(), MF_STRING, IDM_COMPARE_REPORT, L"Co&mpare with a saved report\u2026");
    // The keys that turn the cube, named where a keyboard user looks.
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 0, L"Turn the cube\tCtrl+Arrow keys");
    AppendMenuW(menu.get(), MF_STRING, IDM_TURN_BACK, L"&Turn the cube back\tCtrl+Home");
    const BOOL chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, where.x, where.y, 0,
                                       dialog, nullptr);
    if (chosen == IDM_COPY_REPORT) copyReport();
    if (chosen == IDM_SAVE_REPORT) saveReport(dialog);
    if (chosen == IDM_CHECK_PROGRAM) checkProgram(dialog);
    if (chosen == IDM_COMPARE_REPORT) compareWithSavedReport(dialog);
    if (chosen == IDM_TURN_BACK) turnSceneByKey(SceneKey::Home);
}

bool copyReport() { return putOnClipboard(g_mainDialog.dialog, currentReport()); }
