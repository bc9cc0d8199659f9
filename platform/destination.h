#pragma once
// Where a report file goes, by rules that need no Windows: which names are
// devices (written directly), when a path needs its long form, what the
// temporary file beside the target is called, and how a system message that
// names "%1" names the path instead.
#include <string>

// NUL, CON, CONOUT$, AUX, PRN, COM1-9 and LPT1-9 in any case, as the last
// component of a path, alone or with one extension or a colon, and with the
// blanks and dots that Windows trims from a name; and any path under \\.\ .
// "nul.txt.bak" and "CONFIG" are plain files.
bool isDevicePath(const std::wstring& path);
// The name to open a device path by: "CONOUT$" for the console, "\\.\NUL"
// and the like for the others, a \\.\ path as it is.
std::wstring devicePath(const std::wstring& path);
// Whether that device is the console (CON or CONOUT$).
bool isConsolePath(const std::wstring& path);

// The \\?\ form of a full path (\\?\UNC\ for a share) when it is too long for
// the plain form, the path itself otherwise or when it has a prefix already.
std::wstring longPathForm(const std::wstring& fullPath);
// A full path without the \\?\ or \\?\UNC\ prefix that the system may give it.
std::wstring withoutLongPathPrefix(const std::wstring& path);

// The name of the temporary file written beside `target` before it is put in
// place: the first attempt, then others should that one exist already. It is
// the target's name with ".tmp<process id>" after it, or a short name of its
// own where that would pass the 255 characters a name may have.
std::wstring temporaryPath(const std::wstring& target, unsigned long processId, int attempt);

// A system message formatted without its inserts, with "%1" standing for the
// path it is about.
std::wstring withPathInserted(const std::wstring& message, const std::wstring& path);
