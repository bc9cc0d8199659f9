// A console for the program to write to, as cmd gives one:
//   console_host.exe OUT.txt inherit|none PROGRAM [ARGUMENTS...]
// Started by a test with CREATE_NEW_CONSOLE. Runs PROGRAM in this console,
// either handing it the console's standard handles or none at all (as Windows
// starts a GUI program from cmd), waits, and writes what the console then
// shows, UTF-8 and one line per row with trailing blanks cut, to OUT.txt.
// Exits with the program's exit code.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr || count < 4) return 100;
    std::wstring command = L"\"" + std::wstring(argv[3]) + L"\"";
    for (int i = 4; i < count; ++i) command += L" \"" + std::wstring(argv[i]) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (std::wstring(argv[2]) == L"none") startup.dwFlags = STARTF_USESTDHANDLES;  // null handles
    // Wide enough that a line of JSON fits in a row.
    HANDLE output = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    SetConsoleScreenBufferSize(output, COORD{8000, 200});
    CloseHandle(output);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(argv[3], &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return 101;
    WaitForSingleObject(info.hProcess, 30000);
    DWORD code = 102;
    GetExitCodeProcess(info.hProcess, &code);

    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO screen = {};
    GetConsoleScreenBufferInfo(console, &screen);
    std::wstring shown;
    std::vector<wchar_t> row(static_cast<size_t>(screen.dwSize.X) + 1);
    for (SHORT y = 0; y <= screen.dwCursorPosition.Y && y < screen.dwSize.Y; ++y) {
        DWORD got = 0;
        ReadConsoleOutputCharacterW(console, row.data(), screen.dwSize.X, COORD{0, y}, &got);
        std::wstring line(row.data(), got);
        while (!line.empty() && line.back() == L' ') line.pop_back();
        shown += line + L"\n";
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, shown.c_str(), static_cast<int>(shown.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, shown.c_str(), static_cast<int>(shown.size()), &bytes[0], n, nullptr, nullptr);
    if (FILE* out = _wfopen(argv[1], L"wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    return static_cast<int>(code);
}
