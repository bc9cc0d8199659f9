// Where fleets run the program: a window station of its own with no display,
// as services and remote shells get; the adapter's memory and driver date as
// its registry key holds them; reports saved by PowerShell as UTF-16.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "harness.h"
#include "schema.h"

using namespace harness;

namespace {

// The program run to its end in a new window station, which has no display
// (no WSF_VISIBLE), with a desktop of its own; its exit code, -1 where it
// could not start.
long runInStationWithoutDisplay(const std::string& arguments) {
    HWINSTA mine = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationW(L"gri-fleet", 0, WINSTA_ALL_ACCESS, nullptr);
    if (station == nullptr) return -1;
    long code = -1;
    if (SetProcessWindowStation(station)) {
        HDESK desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        SetProcessWindowStation(mine);
        if (desktop != nullptr) {
            STARTUPINFOW startup = {};
            startup.cb = sizeof startup;
            wchar_t where[] = L"gri-fleet\\Default";
            startup.lpDesktop = where;
            PROCESS_INFORMATION process = {};
            std::wstring line = L"\"" + widen(programPath()) + L"\" " + widen(arguments);
            if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
                DWORD exit = 0;
                if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &exit)) {
                    code = static_cast<long>(exit);
                }
                CloseHandle(process.hThread);
                CloseHandle(process.hProcess);
            }
            CloseDesktop(desktop);
        }
    }
    CloseWindowStation(station);
    return code;
}

// The program run in this test's own session, to its end: its exit code.
long runHere(const std::string& arguments) {
    App app;
    DWORD code = 1000;
    if (!app.startWithHandles(programPath(), {}, arguments, nullptr, nullptr) || !app.waitForExit(30000, &code)) return -1;
    return static_cast<long>(code);
}

}  // namespace

// A window station with no display: the report says that OpenGL cannot be
// measured there and blames nothing of the machine; a requirement exits with
// its own code, not 4. Started as usual, it says what it always said.
TEST(Fleet, AStationWithoutADisplayIsNotTheMachine) {
    const std::string file = dosPath(unixTempPath("fleet.json"));
    EXPECT_EQ(runInStationWithoutDisplay("--json \"" + file + "\""), 1) << "OpenGL could not be initialised there";
    ASSERT_EQ(schemaErrors(file), "");
    const nlohmann::json there = nlohmann::json::parse(readAll(file));
    EXPECT_EQ(there["summary"]["verdict"], "not_measurable");
    EXPECT_EQ(there["summary"]["text"].get<std::string>().rfind(
                  "OpenGL cannot be measured here: this runs in a window station with no display", 0),
              0u)
        << there["summary"]["text"];
    EXPECT_FALSE(there["session"]["interactive_window_station"].get<bool>());
    EXPECT_FALSE(there["session"]["measurable"].get<bool>());
    EXPECT_TRUE(there["opengl"]["rendering_test"]["passed"].is_null());
    EXPECT_EQ(runInStationWithoutDisplay("--require 1.1"), 6);
    EXPECT_EQ(runInStationWithoutDisplay("--require 1.1 --report NUL"), 6);

    EXPECT_EQ(runHere("--json \"" + file + "\""), 0);
    const nlohmann::json here = nlohmann::json::parse(readAll(file));
    EXPECT_EQ(here["summary"]["verdict"], "software");
    EXPECT_TRUE(here["session"]["interactive_window_station"].get<bool>());
    EXPECT_TRUE(here["session"]["measurable"].get<bool>());
    EXPECT_TRUE(here["session"]["id"].is_number_integer());
    EXPECT_EQ(runHere("--require 1.1"), 0);
    DeleteFileA(file.c_str());
}

// The adapter's memory from either value name (the 64-bit one first, past
// 4 GiB), of the right type and size only; its driver date in ISO 8601.
TEST(Fleet, AdapterMemoryAndDateAsTheRegistryHoldsThem) {
    const std::string key = firstAdapterKey();
    ASSERT_FALSE(key.empty());
    const std::string file = dosPath(unixTempPath("memory.json"));
    const auto adapter = [&file]() {
        EXPECT_EQ(runHere("--json \"" + file + "\""), 0);
        return nlohmann::json::parse(readAll(file))["adapters"][0];
    };
    const unsigned long long twelve = 12ull << 30;
    {
        ScopedRegValue date(HKEY_LOCAL_MACHINE, key, "DriverDate", std::string("12-9-2026"));
        ScopedRegValue wide(HKEY_LOCAL_MACHINE, key, "HardwareInformation.qwMemorySize", REG_QWORD,
                            std::vector<BYTE>(reinterpret_cast<const BYTE*>(&twelve), reinterpret_cast<const BYTE*>(&twelve) + 8));
        ScopedRegValue narrow(HKEY_LOCAL_MACHINE, key, "HardwareInformation.MemorySize", DWORD{256u << 20});
        const nlohmann::json a = adapter();
        EXPECT_EQ(a["video_memory_bytes"], twelve);
        EXPECT_EQ(a["driver_date"], "2026-12-09");
        EXPECT_TRUE(a["driver_date_understood"].get<bool>());
    }
    {
        ScopedRegValue date(HKEY_LOCAL_MACHINE, key, "DriverDate", std::string("13-9-2026"));
        ScopedRegValue narrow(HKEY_LOCAL_MACHINE, key, "HardwareInformation.MemorySize", DWORD{256u << 20});
        const nlohmann::json a = adapter();
        EXPECT_EQ(a["video_memory_bytes"], 256u << 20) << "the older value alone";
        EXPECT_EQ(a["driver_date"], "13-9-2026");
        EXPECT_FALSE(a["driver_date_understood"].get<bool>());
    }
    {
        ScopedRegValue text(HKEY_LOCAL_MACHINE, key, "HardwareInformation.MemorySize", std::string("256 MB"));
        EXPECT_TRUE(adapter()["video_memory_bytes"].is_null()) << "a value of the wrong type";
    }
    DeleteFileA(file.c_str());
}

// A report saved as UTF-16 (either order, with its mark) compares as the
// same report in UTF-8; the text report given instead is refused in its own words.
TEST(Fleet, ReportsSavedByPowerShellCompare) {
    const std::string utf8 = dosPath(unixTempPath("saved8.json"));
    ASSERT_EQ(runHere("--json \"" + utf8 + "\""), 0);
    const std::string json = readAll(utf8);
    for (const bool big : {false, true}) {
        std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : json) bytes += big ? std::string(1, '\0') + c : std::string(1, c) + '\0';
        const std::string utf16 = dosPath(unixTempPath(big ? "saved16be.json" : "saved16le.json"));
        std::ofstream(utf16, std::ios::binary) << bytes;
        const std::string out = dosPath(unixTempPath("changes.txt"));
        EXPECT_EQ(runHere("--compare \"" + utf16 + "\" \"" + utf8 + "\" --report \"" + out + "\""), 0) << big;
        EXPECT_NE(document(out).find("No change in anything the report compares."), std::string::npos) << document(out);
        DeleteFileA(utf16.c_str());
        DeleteFileA(out.c_str());
    }
    const std::string text = dosPath(unixTempPath("saved.txt"));
    ASSERT_EQ(runHere("--report \"" + text + "\""), 0);
    App app;
    HANDLE read = nullptr, write = nullptr;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    ASSERT_TRUE(CreatePipe(&read, &write, &inheritable, 1 << 16));
    ASSERT_TRUE(app.startWithHandles(programPath(), {}, "--compare \"" + text + "\" \"" + utf8 + "\"", nullptr, write));
    CloseHandle(write);
    DWORD code = 1000;
    ASSERT_TRUE(app.waitForExit(30000, &code));
    char said[4096] = {};
    DWORD got = 0;
    ReadFile(read, said, sizeof said - 1, &got, nullptr);
    CloseHandle(read);
    EXPECT_EQ(code, 2u);
    EXPECT_NE(std::string(said).find("it is the text report, not the JSON one: save the JSON with --json FILE"), std::string::npos)
        << said;
    DeleteFileA(text.c_str());
    DeleteFileA(utf8.c_str());
}
