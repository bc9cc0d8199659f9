#include "platform/startup_times.h"

#include <windows.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>

namespace {

bool s_on = false;
bool s_written = false;
LARGE_INTEGER s_at[4] = {};
wchar_t s_file[MAX_PATH] = {};

}  // namespace

void startStartupTimes() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const DWORD n = GetEnvironmentVariableW(L"GRI_STARTUP_TIMES", s_file, MAX_PATH);
    s_on = n > 0 && n < MAX_PATH;
    s_at[0] = now;
}

void noteStartup(StartupPhase phase) {
    if (!s_on || s_written) return;
    QueryPerformanceCounter(&s_at[static_cast<int>(phase)]);
    if (phase != StartupPhase::Frame) return;
    s_written = true;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    char text[256];
    const int length = std::snprintf(text, sizeof text, "frequency %" PRId64 "\nentry %" PRId64 "\ndialog %" PRId64 "\ncontext %" PRId64 "\nframe %" PRId64 "\n",
                                     static_cast<std::int64_t>(frequency.QuadPart), static_cast<std::int64_t>(s_at[0].QuadPart),
                                     static_cast<std::int64_t>(s_at[1].QuadPart), static_cast<std::int64_t>(s_at[2].QuadPart),
                                     static_cast<std::int64_t>(s_at[3].QuadPart));
    HANDLE file = CreateFileW(s_file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(length > 0 ? length : 0), &written, nullptr);
    CloseHandle(file);
}
