#pragma once
// Where a report file goes, by rules that need no Windows: which names are
// devices (written directly), when a path needs its long form, what the
// temporary file beside the target is called, and how a system message that
// names "%1" names the path instead.
#include <string>

// NUL, CON, CONOUT$, AUX, PRN, COM1-9 and LPT1-9 in any case, as the last
// component of a path, alone or with one extension or a colon; and any path
// under \\.\ . "nul.txt.bak" and "CONFIG" are plain files.
bool isDevicePath(const std::wstring& path);

// The \\?\ form of a full path (\\?\UNC\ for a share) when it is too long for
// the plain form, the path itself otherwise or when it has a prefix already.
std::wstring longPathForm(const std::wstring& fullPath);

// The name of the temporary file written beside `target` before it is put in
// place: the first attempt, then others should that one exist already.
std::wstring temporaryPath(const std::wstring& target, unsigned long processId, int attempt);

// A system message formatted without its inserts, with "%1" standing for the
// path it is about.
std::wstring withPathInserted(const std::wstring& message, const std::wstring& path);
