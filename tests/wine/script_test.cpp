// The report from a script: --report and --json write what Copy report puts on
// the clipboard, with no window and no box, and exit codes a script can test.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "harness.h"
#include "own_context.h"

using namespace harness;

namespace {

struct Outcome {
    DWORD code = 1000;
    DWORD milliseconds = 0;
    int mostVisible = 0;  // windows of the process seen visible at once, at any time
    std::string output;   // what it wrote to standard output
};

// Runs the program with these arguments and no standard handles, or with its
// standard output on a pipe, watching its windows until it ends.
Outcome runScript(const std::string& arguments, const Env& env = {}, bool pipeOutput = false) {
    Outcome run;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    if (pipeOutput) CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 20);
    App app;
    const DWORD start = GetTickCount();
    if (!app.startWithHandles(programPath(), env, arguments, writeEnd, nullptr)) return run;
    if (writeEnd != nullptr) CloseHandle(writeEnd);
    while (WaitForSingleObject(app.process(), 5) == WAIT_TIMEOUT && GetTickCount() - start < 20000) {
        run.mostVisible = std::max(run.mostVisible, visibleWindows(app.pid()));
        DWORD available = 0;
        if (readEnd != nullptr && PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::string chunk(available, '\0');
            DWORD got = 0;
            ReadFile(readEnd, &chunk[0], available, &got, nullptr);
            run.output.append(chunk, 0, got);
        }
    }
    run.milliseconds = GetTickCount() - start;
    app.waitForExit(5000, &run.code);
    if (readEnd != nullptr) {
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) run.output.append(buffer, got);
        CloseHandle(readEnd);
    }
    return run;
}

std::string readAll(const std::string& dosFile) {
    std::ifstream in(dosFile, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool exists(const std::string& dosPath) { return GetFileAttributesA(dosPath.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The report and the list's rows as the dialog shows them, copied with its command.
struct Copied {
    std::string report;
    std::vector<std::string> rows;
};

Copied copiedFromTheDialog() {
    Copied copied;
    App app;
    EXPECT_TRUE(app.start(programPath()));
    HWND dialog = app.waitForDialog();
    if (dialog == nullptr) return copied;
    copied.rows = listRows(GetDlgItem(dialog, kExtensionListId));
    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog, WM_COMMAND, 40001, 0);
    copied.report = clipboardChangedSince(sequence);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
    return copied;
}

}  // namespace

TEST(Script, ReportAndJsonAreTheDialogsFactsWithNoWindow) {
    const Copied copied = copiedFromTheDialog();
    ASSERT_EQ(copied.report.rfind("Program: ", 0), 0u);

    const std::string file = dosPath(unixTempPath("report.txt"));
    const Outcome toFile = runScript("--report \"" + file + "\"");
    EXPECT_EQ(toFile.code, 0u);
    EXPECT_EQ(toFile.mostVisible, 0) << "a window of the program became visible";
    EXPECT_TRUE(readAll(file) == copied.report) << readAll(file).substr(0, 200);
    std::printf("--report FILE: %lu ms from start to exit\n", toFile.milliseconds);
    DeleteFileA(file.c_str());

    const Outcome toPipe = runScript("--report -", {}, true);
    EXPECT_EQ(toPipe.code, 0u);
    EXPECT_EQ(toPipe.mostVisible, 0);
    EXPECT_TRUE(toPipe.output == copied.report) << toPipe.output.substr(0, 200);

    const std::string json = dosPath(unixTempPath("report.json"));
    const Outcome asJson = runScript("--json " + json);
    EXPECT_EQ(asJson.code, 0u);
    EXPECT_EQ(asJson.mostVisible, 0);
    const nlohmann::json parsed = nlohmann::json::parse(readAll(json));  // throws, and fails the test, if invalid
    DeleteFileA(json.c_str());
    const OwnContext own;
    ASSERT_TRUE(own.ok);
    EXPECT_EQ(parsed["opengl"]["vendor"], own.vendor);
    EXPECT_EQ(parsed["opengl"]["renderer"], own.renderer);
    EXPECT_EQ(parsed["opengl"]["version"], own.version);
    std::vector<std::string> names = copied.rows;
    names.erase(std::remove(names.begin(), names.end(), std::string()), names.end());
    EXPECT_EQ(parsed["opengl"]["extensions"].get<std::vector<std::string>>(), names);
    EXPECT_EQ(parsed["opengl"]["limits"]["max_texture_size"], own.maxTextureSize);
    EXPECT_EQ(parsed["program"]["version"], "1.0.0.11");
    EXPECT_EQ(parsed["drivers"][0]["name"], "Software (MICROSOFT)");
}

// Whatever fails, no box waits for a person, and the exit code says what.
TEST(Script, FailuresEndAtOnceWithTheirExitCodes) {
    const Env failing = {{"GLDOUBLE_CREATE", "fail"}};
    const std::string file = dosPath(unixTempPath("failed.txt"));
    const Outcome noContext = runScript(withDouble() + " --report " + file, failing);
    EXPECT_EQ(noContext.code, 1u);
    EXPECT_LT(noContext.milliseconds, 10000u);
    EXPECT_EQ(noContext.mostVisible, 0) << "a box or window appeared";
    const std::string report = readAll(file);
    EXPECT_NE(report.find("\r\nOpenGL Error : Initialization Failed\r\n"), std::string::npos) << report.substr(0, 300);
    EXPECT_NE(report.find("\r\nDrivers (* selected):\r\n"), std::string::npos);
    DeleteFileA(file.c_str());

    // A file that cannot be written leaves nothing behind: not in a folder
    // that does not exist, nor beside a folder of the file's name.
    const std::string missingFolder = dosPath(unixTempPath("no-such-folder"));
    const std::string folder = dosPath(unixTempPath("a-folder"));
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& target : {missingFolder + "\\report.txt", folder}) {
        SCOPED_TRACE(target);
        const Outcome unwritable = runScript("--report \"" + target + "\"");
        EXPECT_EQ(unwritable.code, 3u);
        EXPECT_EQ(unwritable.mostVisible, 0);
    }
    EXPECT_FALSE(exists(missingFolder));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    int besideIt = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) ++besideIt;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    EXPECT_EQ(besideIt, 1) << "something was left beside " << folder;
    RemoveDirectoryA(folder.c_str());

    for (const char* bad : {"--report a.txt --report b.txt", "--json --report", "--report --opengl32"}) {
        const Outcome badLine = runScript(bad);
        EXPECT_EQ(badLine.code, 2u) << bad;
        EXPECT_EQ(badLine.mostVisible, 0) << bad;
    }
}
