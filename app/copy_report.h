#pragma once
#include <windows.h>

// The report commands: "Copy report" (Ctrl+C / Ctrl+Insert anywhere in the
// dialog) puts a plain-text report on the clipboard, "Save report..." (Ctrl+S)
// writes it to a file, "Check a program..." (Ctrl+O) says which OpenGL another
// program gets; the dialog's context menu offers all three.

// The shortcuts work through a message filter on the dialog's modal loop (a
// modal dialog has no accelerators of its own): installed once the dialog
// runs, removed when it is destroyed.
void installCopyShortcuts(HWND dialog);
void removeCopyShortcuts();

// WM_CONTEXTMENU: `at` in screen coordinates, or -1, -1 from the keyboard.
void showCopyMenu(HWND dialog, LPARAM at);

// WM_COMMAND from the menu or a key: runs the report command of that
// identifier; false where none has it.
bool runReportCommand(HWND dialog, WORD id);

// Collects the report and puts it on the clipboard. If the clipboard cannot
// be opened or memory runs out, nothing changes and false is returned (the
// menu and the keys say so in a box).
[[nodiscard]] bool copyReport();
