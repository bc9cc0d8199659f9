#pragma once
// What a shortcut (.lnk) leads to, as the shell resolves it, with ole32 from
// the system folder.
#include <string>

// The file a shortcut leads to; empty where it leads to none (a web address,
// a folder of the shell) or the shortcut cannot be read.
std::wstring shortcutTarget(const std::wstring& shortcut);

// Whether a path names a shortcut, by its extension.
bool isShortcutPath(const std::wstring& path);
