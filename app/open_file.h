#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

// The system's Open dialog for one existing file, owned by `dialog`: false
// when the user cancels, or (after a box titled `title` that says so) where
// the dialog is not available. `flags` are added to the usual ones.
bool askFileToOpen(HWND dialog, const wchar_t* title, const wchar_t* filter, DWORD flags, std::wstring* path);
