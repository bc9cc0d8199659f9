// The report from a script: --report, --json and --require write what Copy
// report puts on the clipboard, with no window and no box, and exit codes a
// script can test; every failure says where and why.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "harness.h"
#include "own_context.h"
#include "schema.h"

using namespace harness;

namespace {

struct Outcome {
    DWORD code = 1000;
    DWORD milliseconds = 0;
    int mostVisible = 0;  // windows of the process seen visible at once, at any time
    std::string output;   // what it wrote to standard output
    std::string errors;   // and to standard error
};

struct RunHow {
    Env env;
    bool pipeOutput = false;  // else no standard output at all
    bool pipeErrors = true;
    DWORD flags = 0;          // CREATE_SUSPENDED: `beforeResume` runs first
    const char* folder = nullptr;
    void (*beforeResume)(DWORD pid) = nullptr;
};

void drain(HANDLE pipe, std::string* into, bool wait) {
    DWORD available = 0;
    while (pipe != nullptr && (wait || (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0))) {
        char buffer[65536];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        into->append(buffer, got);
        if (!wait) break;
    }
}

// Runs the program, watching its windows until it ends.
Outcome runScript(const std::wstring& arguments, const RunHow& how = RunHow()) {
    Outcome run;
    HANDLE pipes[2][2] = {{nullptr, nullptr}, {nullptr, nullptr}};  // output, errors: read and write ends
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    if (how.pipeOutput) CreatePipe(&pipes[0][0], &pipes[0][1], &inheritable, 1 << 20);
    if (how.pipeErrors) CreatePipe(&pipes[1][0], &pipes[1][1], &inheritable, 1 << 16);
    App app;
    const DWORD start = GetTickCount();
    const bool started = app.startWide(programPath(), how.env, arguments, pipes[0][1], pipes[1][1], how.flags, how.folder);
    for (auto& p : pipes) {
        if (p[1] != nullptr) CloseHandle(p[1]);
    }
    if (started && how.beforeResume != nullptr) how.beforeResume(app.pid());
    if (started && (how.flags & CREATE_SUSPENDED) != 0) app.resume();
    while (started && WaitForSingleObject(app.process(), 5) == WAIT_TIMEOUT && GetTickCount() - start < 20000) {
        run.mostVisible = std::max(run.mostVisible, visibleWindows(app.pid()));
        drain(pipes[0][0], &run.output, false);
        drain(pipes[1][0], &run.errors, false);
    }
    run.milliseconds = GetTickCount() - start;
    if (started) app.waitForExit(5000, &run.code);
    drain(pipes[0][0], &run.output, true);
    drain(pipes[1][0], &run.errors, true);
    for (auto& p : pipes) {
        if (p[0] != nullptr) CloseHandle(p[0]);
    }
    return run;
}

Outcome runScript(const std::string& arguments, const RunHow& how = RunHow()) { return runScript(widen(arguments), how); }

RunHow pipingOutput() {
    RunHow how;
    how.pipeOutput = true;
    return how;
}

RunHow withEnv(const Env& env) {
    RunHow how;
    how.env = env;
    return how;
}

void writeFile(const std::string& dosFile, const std::string& bytes) {
    std::ofstream out(dosFile, std::ios::binary);
    out << bytes;
}

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

std::vector<std::string> names(std::vector<std::string> pieces) {
    std::vector<std::string> out;
    for (const std::string& p : pieces) {
        if (!p.empty() && std::find(out.begin(), out.end(), p) == out.end()) out.push_back(p);
    }
    return out;
}

nlohmann::json parsedJson(const std::string& dosFile) {
    EXPECT_EQ(schemaErrors(dosFile), "");
    return nlohmann::json::parse(readAll(dosFile));  // throws, and fails the test, if invalid
}

}  // namespace

TEST(Script, ReportAndJsonAreTheDialogsFactsWithNoWindow) {
    const Copied copied = copiedFromTheDialog();
    ASSERT_EQ(copied.report.rfind("Program: ", 0), 0u);

    const std::string file = dosPath(unixTempPath("report.txt"));
    const Outcome toFile = runScript("--report \"" + file + "\"");
    EXPECT_EQ(toFile.code, 0u);
    EXPECT_EQ(toFile.mostVisible, 0) << "a window of the program became visible";
    EXPECT_TRUE(unmade(document(file)) == unmade(copied.report)) << readAll(file).substr(0, 200);
    std::printf("--report FILE: %lu ms from start to exit\n", toFile.milliseconds);
    // Written again: the second run replaces the first's file.
    writeFile(file, "an older report");
    EXPECT_EQ(runScript("--report \"" + file + "\"").code, 0u);
    EXPECT_TRUE(unmade(document(file)) == unmade(copied.report)) << "a second write did not replace the file";
    DeleteFileA(file.c_str());

    const Outcome toPipe = runScript("--report -", pipingOutput());
    EXPECT_EQ(toPipe.code, 0u);
    EXPECT_EQ(toPipe.mostVisible, 0);
    EXPECT_TRUE(unmade(toPipe.output) == unmade(copied.report)) << toPipe.output.substr(0, 200);

    const std::string json = dosPath(unixTempPath("report.json"));
    const Outcome asJson = runScript("--json " + json);
    EXPECT_EQ(asJson.code, 0u);
    EXPECT_EQ(asJson.mostVisible, 0);
    const nlohmann::json parsed = parsedJson(json);
    DeleteFileA(json.c_str());
    const OwnContext own;
    ASSERT_TRUE(own.ok);
    EXPECT_EQ(parsed["opengl"]["vendor"], own.vendor);
    EXPECT_EQ(parsed["opengl"]["renderer"], own.renderer);
    EXPECT_EQ(parsed["opengl"]["version"], own.version);
    // Names, not rows: each part's in its own order, the list's without its empty rows.
    EXPECT_EQ(parsed["opengl"]["gl_extensions"].get<std::vector<std::string>>(), names(own.glPieces));
    EXPECT_EQ(parsed["opengl"]["wgl_extensions"].get<std::vector<std::string>>(), names(own.wglPieces));
    std::vector<std::string> rows = copied.rows;
    rows.erase(std::remove(rows.begin(), rows.end(), std::string()), rows.end());
    EXPECT_EQ(parsed["opengl"]["extensions"].get<std::vector<std::string>>(), rows);
    EXPECT_EQ(labelled(copied.report, "Extensions"), std::to_string(rows.size()) + " (" +
                                                         std::to_string(names(own.glPieces).size()) + " from OpenGL, " +
                                                         std::to_string(names(own.wglPieces).size()) + " from WGL)");
    EXPECT_EQ(parsed["opengl"]["limits"]["max_texture_size"], own.maxTextureSize);
    EXPECT_EQ(parsed["program"]["version"], "1.0.0.11");
    EXPECT_EQ(parsed["drivers"][0]["name"], "Software (MICROSOFT)");
}

// The forms a script's author writes are read, whatever their case; a device
// is written directly, and a long path too.
TEST(Script, EveryFormOfAnOptionIsRead) {
    const std::string json = dosPath(unixTempPath("eq.json"));
    const std::string report = dosPath(unixTempPath("slash.txt"));
    const std::string longRoot = unixTempPath("long");
    const std::string longFolder = longRoot + "/" + std::string(90, 'a') + "/" + std::string(90, 'b') + "/" + std::string(90, 'c');
    runUnix("mkdir -p '" + longFolder + "'");
    const std::string longFile = dosPath(longFolder) + "\\report.txt";
    ASSERT_GT(longFile.size(), 300u);
    struct Case {
        std::string arguments;
        std::string written;  // the file it writes; empty: standard output
    };
    const Case cases[] = {
        {"--json=" + json, json},
        {"--REPORT -", ""},
        {"/Report \"" + report + "\"", report},
        {"--report \"" + longFile + "\"", longFile},
        {"--report NUL", ""},
        {"/json:nul.txt", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Outcome run = runScript(c.arguments, pipingOutput());
        EXPECT_EQ(run.code, 0u) << run.errors;
        EXPECT_EQ(run.mostVisible, 0);
        EXPECT_EQ(run.errors, "");
        const std::string got = c.written.empty() ? run.output
                                : c.arguments.find("json") != std::string::npos ? readAll(c.written) : document(c.written);
        if (c.arguments.find("NUL") != std::string::npos || c.arguments.find("nul") != std::string::npos) {
            EXPECT_EQ(got, "");  // kept nowhere
        } else {
            EXPECT_EQ(got.rfind(c.arguments.find("json") != std::string::npos ? "{\"schema_version\":5," : "Program: ", 0), 0u)
                << got.substr(0, 100);
        }
    }
    EXPECT_EQ(schemaErrors(json), "");
    // A slip in an option's name never opens the dialog a script would wait on.
    for (const char* slip : {"--reprot x", "--ap x.exe", "--verbose", "--bogus --report -"}) {
        const Outcome misspelt = runScript(slip);
        EXPECT_EQ(misspelt.code, 2u) << slip;
        EXPECT_EQ(misspelt.mostVisible, 0) << slip;
        EXPECT_EQ(misspelt.errors.rfind("Unknown option --", 0), 0u) << misspelt.errors;
    }
    EXPECT_EQ(runScript("--reprot x").errors.rfind("Unknown option --reprot; did you mean --report?\r\nUsage: gl-renderer-info [", 0), 0u);
    // Nothing written where a report was asked for beside an option that is none.
    const Outcome bogus = runScript("--bogus --report -");
    EXPECT_EQ(bogus.output, "");
    EXPECT_EQ(bogus.errors.rfind("Unknown option --bogus.\r\nUsage: ", 0), 0u) << bogus.errors;
    runUnix("rm -rf '" + longRoot + "' '" + unixPath(json) + "' '" + unixPath(report) + "'");
}

namespace {

std::string holdFolder;  // where `plantBeside` works, for the run it is handed to

// A file of the name the run's temporary file would first take, and another
// one: neither is the run's to overwrite or delete.
void plantBeside(DWORD pid) {
    writeFile(holdFolder + "\\report.txt.tmp" + std::to_string(pid), "a user's file");
    writeFile(holdFolder + "\\notes.txt", "a user's notes");
}

}  // namespace

// Whatever fails, no box waits for a person; the exit code says what, and
// standard error says where and why. What was there before is kept.
TEST(Script, FailuresSayWhereAndWhyAndKeepWhatWasThere) {
    const std::string file = dosPath(unixTempPath("failed.txt"));
    const Outcome noContext = runScript(withDouble() + " --report " + file, withEnv({{"GLDOUBLE_CREATE", "fail"}}));
    EXPECT_EQ(noContext.code, 1u);
    EXPECT_LT(noContext.milliseconds, 10000u);
    EXPECT_EQ(noContext.mostVisible, 0) << "a box or window appeared";
    EXPECT_EQ(noContext.errors, "OpenGL Error : Initialization Failed\r\n");
    const std::string report = document(file);
    EXPECT_NE(report.find("\r\nOpenGL Error : Initialization Failed\r\n"), std::string::npos) << report.substr(0, 300);
    EXPECT_NE(report.find("\r\nDrivers (* selected):\r\n"), std::string::npos);
    DeleteFileA(file.c_str());

    // A missing folder, and a folder of the file's name: nothing is left behind.
    const std::string missingFolder = dosPath(unixTempPath("no-such-folder"));
    const std::string folder = dosPath(unixTempPath("a-folder"));
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& target : {missingFolder + "\\report.txt", folder}) {
        SCOPED_TRACE(target);
        const Outcome unwritable = runScript("--report \"" + target + "\"");
        EXPECT_EQ(unwritable.code, 3u);
        EXPECT_EQ(unwritable.mostVisible, 0);
        EXPECT_EQ(unwritable.errors.rfind("The report could not be written: " + target + ": ", 0), 0u) << unwritable.errors;
        EXPECT_NE(unwritable.errors.find(target == folder ? "this is a folder, not a file." : " (error "), std::string::npos)
            << unwritable.errors;
    }
    EXPECT_NE(runScript("--report \"" + missingFolder + "\\report.txt\"").errors.find("(error 3)"), std::string::npos);
    EXPECT_FALSE(exists(missingFolder));
    RemoveDirectoryA(folder.c_str());

    // A file that cannot be replaced (held open by another program without
    // sharing, or read-only) keeps its content, and so does every other file
    // beside it, the one named as the temporary file would be too.
    holdFolder = dosPath(unixTempPath("kept"));
    CreateDirectoryA(holdFolder.c_str(), nullptr);
    const std::string target = holdFolder + "\\report.txt";
    RunHow beside;
    beside.flags = CREATE_SUSPENDED;
    beside.beforeResume = plantBeside;
    for (const char* how : {"held open", "read-only", "replaced"}) {
        SCOPED_TRACE(how);
        writeFile(target, "the old report");
        HANDLE held = std::string(how) == "held open"
                          ? CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                          : INVALID_HANDLE_VALUE;
        if (std::string(how) == "read-only") SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
        const Outcome run = runScript("--report " + target, beside);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        WIN32_FIND_DATAA found;
        std::set<std::string> files;
        HANDLE search = FindFirstFileA((holdFolder + "\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
            if (found.cFileName[0] == '.') continue;
            files.insert(found.cFileName);
            const std::string content = readAll(holdFolder + "\\" + found.cFileName);
            if (std::string(found.cFileName) != "report.txt") {
                EXPECT_TRUE(content == "a user's file" || content == "a user's notes") << found.cFileName << ": " << content;
            }
            if (std::string(found.cFileName).find(".tmp") != std::string::npos) DeleteFileA((holdFolder + "\\" + found.cFileName).c_str());
        }
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        EXPECT_EQ(files.size(), 3u) << "a file was left behind, or one was deleted";
        if (std::string(how) == "replaced") {
            EXPECT_EQ(run.code, 0u) << run.errors;
            EXPECT_EQ(document(target).rfind("Program: ", 0), 0u);
        } else {
            EXPECT_EQ(run.code, 3u);
            EXPECT_EQ(readAll(target), "the old report");
            EXPECT_EQ(run.errors.rfind("The report could not be written: " + target + ": ", 0), 0u) << run.errors;
        }
    }
    runUnix("rm -rf '" + unixPath(holdFolder) + "'");

    // An option is never another one's value; a bad line writes nothing.
    const std::string notWritten = dosPath(unixTempPath("o.txt"));
    for (const std::string& bad : std::vector<std::string>{"--report a.txt --report b.txt", "--json --report", "--report --opengl32",
                                   "--opengl32 --report " + notWritten, "--opengl32 --json " + notWritten}) {
        const Outcome badLine = runScript(bad);
        EXPECT_EQ(badLine.code, 2u) << bad;
        EXPECT_EQ(badLine.mostVisible, 0) << bad;
        EXPECT_NE(badLine.errors, "") << bad;
    }
    EXPECT_FALSE(exists(notWritten));

    // A library that cannot be used says why, with the path where the system's words have it.
    const std::string notADll = dosPath(unixTempPath("opengl32.dll"));
    writeFile(notADll, "not a DLL");
    const Outcome badExe = runScript("--opengl32 " + notADll + " --report NUL");
    EXPECT_EQ(badExe.code, 1u);
    EXPECT_EQ(badExe.errors.rfind("The OpenGL library could not be used: " + notADll + " (not loaded: ", 0), 0u) << badExe.errors;
    EXPECT_NE(badExe.errors.find("(error 193))"), std::string::npos) << badExe.errors;
    EXPECT_EQ(badExe.errors.find("%1"), std::string::npos) << badExe.errors;
    EXPECT_NE(badExe.errors.find(notADll, 40), std::string::npos) << "the system's words do not name the path";
    // The report says it too, path and reason.
    const std::string said = dosPath(unixTempPath("bad-library.txt"));
    EXPECT_EQ(runScript("--opengl32 " + notADll + " --report " + said).code, 1u);
    const std::string library = labelled(document(said), "OpenGL library");
    EXPECT_EQ(library.rfind(notADll + " (not loaded: ", 0), 0u) << library;
    EXPECT_NE(library.find("(error 193))"), std::string::npos) << library;
    DeleteFileA(said.c_str());
    DeleteFileA(notADll.c_str());
}

// --require answers with its exit code and one line, and never shows a window.
TEST(Script, RequirementsAnswerWithTheirExitCode) {
    const std::string noAttribs = " " + withDouble();
    const Env oldDouble = {{"GLDOUBLE_CREATE_ATTRIBS", "missing"}};
    struct Case {
        std::string arguments;
        Env env;
        DWORD code;
        std::string line;  // how standard output begins
    };
    const Case cases[] = {
        {"--require 3.3", {}, 0, "OpenGL requirements met: 4.5 (Compatibility Profile) Mesa"},
        {"/REQUIRE=3.3core", {}, 0, "OpenGL requirements met: "},
        {"--require 9.9 --require-extension GL_NO_such", {}, 4,
         "OpenGL requirements not met: missing OpenGL 9.9, GL_NO_such. OpenGL 4.5 in software (llvmpipe)"},
        {"--require 2.0" + noAttribs, oldDouble, 4, "OpenGL requirements not met: missing OpenGL 2.0. "},
        {"--require 1.1" + noAttribs, oldDouble, 0, "OpenGL requirements met: 1.1 Double"},
        {"--require 3.2core" + noAttribs, oldDouble, 4, "OpenGL requirements not met: missing OpenGL 3.2 core profile. "},
        {"--require x.y", {}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        RunHow how = pipingOutput();
        how.env = c.env;
        const Outcome run = runScript(c.arguments, how);
        EXPECT_EQ(run.code, c.code) << run.errors;
        EXPECT_EQ(run.mostVisible, 0);
        EXPECT_EQ(run.output.rfind(c.line, 0), 0u) << run.output;
        EXPECT_EQ(run.output.find("\r\n"), run.output.empty() ? std::string::npos : run.output.size() - 2) << "not one line";
    }
    const std::string json = dosPath(unixTempPath("required.json"));
    EXPECT_EQ(runScript("--json " + json + " --require 4.5core --require-extension WGL_NO_such").code, 4u);
    const nlohmann::json parsed = parsedJson(json);
    EXPECT_EQ(parsed["requirements"]["missing"], nlohmann::json::array({"WGL_NO_such"}));
    EXPECT_TRUE(parsed["requirements"]["required"]["core_profile"].get<bool>());
    DeleteFileA(json.c_str());
}

// Every function of the version claimed is looked up where it is used: all of
// llvmpipe's resolve, in both contexts. The double claims 4.5 and lacks five,
// one answered null and four with the numbers some drivers answer instead.
TEST(Script, TheVersionClaimedIsProvenFunctionByFunction) {
    const std::string json = dosPath(unixTempPath("functions.json"));
    ASSERT_EQ(runScript("--json " + json).code, 0u);
    const nlohmann::json mesa = parsedJson(json);
    const nlohmann::json& gl = mesa["opengl"];
    for (const nlohmann::json& check : {gl["functions"], gl["core_profile"]["functions"]}) {
        EXPECT_EQ(check["missing"], nlohmann::json::array());
        EXPECT_EQ(check["resolved"], check["asked"]);
        EXPECT_GT(check["asked"].get<int>(), 600);
        EXPECT_EQ(check["reach"], "claimed");
    }
    EXPECT_LT(gl["core_profile"]["functions"]["asked"].get<int>(), gl["functions"]["asked"].get<int>())
        << "the core profile is asked none of the functions it removed";
    EXPECT_EQ(gl["functions"]["checked_up_to"], gl["version"].get<std::string>().substr(0, 3));
    EXPECT_EQ(gl["core_profile"]["functions"]["checked_up_to"], gl["core_profile"]["version"].get<std::string>().substr(0, 3));

    const Env lacking = {{"GLDOUBLE_VERSION", "4.5 Double"},
                         {"GLDOUBLE_MISSING", "glGetnTexImage,glCreateBuffers=1,glBindTextureUnit=-1,glDrawArraysIndirect=3,"
                                              "glPointParameteri=2"}};
    ASSERT_EQ(runScript(withDouble() + " --json " + json, withEnv(lacking)).code, 0u);
    const nlohmann::json parsed = parsedJson(json);
    std::string named;
    for (const nlohmann::json& m : parsed["opengl"]["functions"]["missing"]) {
        named += m["name"].get<std::string>() + " " + m["version"].get<std::string>() + ";";
    }
    EXPECT_EQ(named, "glPointParameteri 1.4;glDrawArraysIndirect 4.0;glBindTextureUnit 4.5;glCreateBuffers 4.5;glGetnTexImage 4.5;");
    EXPECT_EQ(parsed["opengl"]["functions"]["asked"].get<int>() - parsed["opengl"]["functions"]["resolved"].get<int>(), 5);
    EXPECT_NE(parsed["summary"]["text"].get<std::string>().find(
                  "The driver claims OpenGL 4.5 but does not fully have it: 5 of its functions do not resolve (glPointParameteri (1.4), "),
              std::string::npos)
        << parsed["summary"]["text"];
    RunHow how = withEnv(lacking);
    how.pipeOutput = true;
    const Outcome text = runScript(withDouble() + " --report -", how);
    EXPECT_NE(text.output.find("\r\nFunctions: OpenGL 4.5 claimed, 5 of its functions missing: glPointParameteri (1.4), "
                               "glDrawArraysIndirect (4.0), glBindTextureUnit (4.5), glCreateBuffers (4.5), glGetnTexImage (4.5)\r\n"),
              std::string::npos)
        << text.output;
    const Outcome required = runScript(withDouble() + " --require 4.5", how);
    EXPECT_EQ(required.code, 4u);
    EXPECT_EQ(required.output.rfind("OpenGL requirements not met: missing OpenGL 4.5 (5 of its functions do not resolve: "
                                    "glPointParameteri (1.4), ", 0),
              0u)
        << required.output;
    EXPECT_EQ(runScript(withDouble() + " --require 1.4", how).code, 4u);
    EXPECT_EQ(runScript(withDouble() + " --require 1.3", how).code, 0u);
    DeleteFileA(json.c_str());
}

// Text the system gives as UTF-16 reaches the JSON and the report file
// unchanged, also beyond the Basic Multilingual Plane; 8-bit text is converted
// from the code page; numbers stay whole.
TEST(Script, NonAsciiAndLargeNumbersReachTheJsonUnchanged) {
    const std::string parent = dosPath(unixTempPath("unicode"));
    const std::wstring folder = widen(parent) + L"\\\x03A9mega\xD834\xDD1E";  // Omega, and U+1D11E as a surrogate pair
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const wchar_t* dll : {L"opengl32.dll", L"doublehelp.dll"}) {
        ASSERT_TRUE(CopyFileW((widen(binDir()) + L"\\double\\" + dll).c_str(), (folder + L"\\" + dll).c_str(), FALSE));
    }
    const std::wstring library = folder + L"\\opengl32.dll";
    const std::string json = dosPath(unixTempPath("unicode.json"));
    const std::string text = dosPath(unixTempPath("unicode.txt"));
    const std::string pilote = "Pilote \xe9t\xe9";  // in the system's code page
    ScopedRegValue driver(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\OpenGLdrivers", pilote, "p.dll");
    const Env env = {{"GLDOUBLE_EXTENSIONS", "GL_NVX_gpu_memory_info"},
                     {"GLDOUBLE_INTEGERS", "0x9047=8388608,0x9048=25165824,0x9049=1048576"}};
    for (const std::string& out : {"--json " + json, "--report " + text}) {
        App app;
        ASSERT_TRUE(app.startWide(programPath(), env, L"--opengl32 \"" + library + L"\" " + widen(out), nullptr, nullptr));
        DWORD code = 1000;
        ASSERT_TRUE(app.waitForExit(20000, &code));
        EXPECT_EQ(code, 0u) << out;
    }
    const nlohmann::json parsed = parsedJson(json);
    EXPECT_EQ(parsed["opengl"]["library"], utf8(library));
    EXPECT_EQ(parsed["drivers"][1]["name"], "Pilote \xc3\xa9t\xc3\xa9");
    EXPECT_EQ(parsed["opengl"]["video_memory"]["dedicated_kib"], 8388608);
    EXPECT_NE(readAll(json).find("\"total_available_kib\":25165824,"), std::string::npos);
    EXPECT_NE(utf8(library).find("\\\xCE\xA9mega\xF0\x9D\x84\x9E\\"), std::string::npos);
    EXPECT_EQ(labelled(document(text), "OpenGL library"), utf8(library));
    EXPECT_NE(labelled(document(text), "Video memory").find("dedicated 8192 MiB, total available 24576 MiB"), std::string::npos);
    runUnix("rm -rf '" + unixPath(parent) + "' '" + unixPath(json) + "' '" + unixPath(text) + "'");
}

// Where the answer cannot be shown it is still given: --app with no output
// and no console ends as a success; an error on a redirected standard error
// names a path outside the code page whole, in UTF-8.
TEST(Script, AnswersWhereverTheyGo) {
    RunHow nowhere;
    nowhere.pipeErrors = false;
    nowhere.flags = DETACHED_PROCESS;
    const Outcome quiet = runScript("--app \"" + binDir() + "\\apps\\app32\\app32.exe\"", nowhere);
    EXPECT_EQ(quiet.code, 0u);
    EXPECT_EQ(quiet.mostVisible, 0);
    const std::wstring missing = widen(dosPath(unixTempPath("none"))) + L"\\\x03A9mega\xD834\xDD1E";
    const std::string named = utf8(missing);
    const Outcome noProgram = runScript(L"--app \"" + missing + L"\\x.exe\"");
    EXPECT_EQ(noProgram.code, 2u);
    EXPECT_EQ(noProgram.errors, "--app " + named + "\\x.exe: there is no such file\r\n");
    const Outcome noFolder = runScript(L"--report \"" + missing + L"\\r.txt\"");
    EXPECT_EQ(noFolder.code, 3u);
    EXPECT_EQ(noFolder.errors.rfind("The report could not be written: " + named + "\\r.txt: ", 0), 0u) << noFolder.errors;
}

// In a real console, as cmd gives one: the program finds it with or without
// the console's handles, and writes Unicode to it.
TEST(Script, AConsoleShowsTheReport) {
    const std::string shown = dosPath(unixTempPath("console.txt"));
    // Without handles it must open the console itself; with them it writes
    // to them. Either way Unicode, whatever the console's code page.
    const std::pair<const char*, const char*> runs[] = {{"none", "--json"}, {"inherit", "--report"}};
    for (const auto& run : runs) {
        SCOPED_TRACE(std::string(run.first) + " " + run.second);
        App host;
        ASSERT_TRUE(host.start(binDir() + "\\console_host.exe", {{"GLDOUBLE_VENDOR", "Pilote \xe9t\xe9"}},
                               "\"" + shown + "\" " + run.first + " \"" + programPath() + "\" " + withDouble() + " " + run.second,
                               CREATE_NEW_CONSOLE));
        DWORD code = 1000;
        ASSERT_TRUE(host.waitForExit(30000, &code));
        EXPECT_EQ(code, 0u);
        const std::string console = readAll(shown);  // UTF-8
        const std::string expected = std::string(run.second) == "--json" ? "\"vendor\":\"Pilote \xc3\xa9t\xc3\xa9\""
                                                                        : "\nVendor: Pilote \xc3\xa9t\xc3\xa9\n";
        EXPECT_NE(console.find(expected), std::string::npos) << console.substr(0, 400);
        if (std::string(run.second) == "--json") {  // one row, as wide as the console's buffer
            const size_t at = console.find("{\"schema_version\"");
            ASSERT_NE(at, std::string::npos);
            writeFile(shown, console.substr(at, console.find('\n', at) - at));
            EXPECT_EQ(schemaErrors(shown), "");
        }
    }
    DeleteFileA(shown.c_str());
}

// With a script option and nowhere to print the usage, help ends at once and
// quietly: 0, or 2 when the line is bad as well.
TEST(Script, HelpWithNowhereToGoEndsQuietly) {
    for (const char* line : {"--report - --help", "--json x /?", "--help --report --reprot"}) {
        SCOPED_TRACE(line);
        RunHow detached;
        detached.pipeErrors = false;
        detached.flags = DETACHED_PROCESS;
        const Outcome run = runScript(line, detached);
        EXPECT_EQ(run.code, std::string(line).find("reprot") != std::string::npos ? 2u : 0u);
        EXPECT_LT(run.milliseconds, 5000u);
        EXPECT_EQ(run.mostVisible, 0);
    }
}

// Every line that begins like an option, written as scripts and pasted text
// write it, does what it says or is refused: never the dialog, never a wait.
TEST(Script, NoFormOfAnOptionOpensTheDialog) {
    const std::string json = dosPath(unixTempPath("forms.json"));
    const std::string text = dosPath(unixTempPath("forms.txt"));
    struct Case {
        std::wstring arguments;
        DWORD code;
        std::string written;  // the file it writes, or empty
    };
    const Case cases[] = {
        {L"--json:" + widen(json), 0, json},
        {L"-report:" + widen(text), 0, text},
        {L"--require3.3", 0, ""},
        {L"\u2014report " + widen(text), 0, text},   // an em dash, as a document pastes it
        {L"\u2013json=" + widen(json), 0, json},     // an en dash
        {L"\u2212report \"" + widen(text) + L"\"", 0, text},  // the minus sign
        {L"--report \"\"", 2, ""},                   // an empty shell variable
        {L"--opengl32 \"\" --report -", 2, ""},
        {L"/report:", 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.arguments));
        DeleteFileA(json.c_str());
        DeleteFileA(text.c_str());
        const Outcome run = runScript(c.arguments, pipingOutput());
        EXPECT_EQ(run.code, c.code) << run.errors;
        EXPECT_LT(run.milliseconds, 10000u);
        EXPECT_EQ(run.mostVisible, 0);
        if (c.code == 2) {
            EXPECT_EQ(run.errors.find("\r\n"), run.errors.size() - 2) << "not one line: " << run.errors;
            EXPECT_FALSE(exists(json) || exists(text));
        } else if (!c.written.empty()) {
            EXPECT_TRUE(c.written == json ? schemaErrors(json).empty() : document(text).rfind("Program: ", 0) == 0);
        } else {
            EXPECT_EQ(run.output.rfind("OpenGL requirements met: ", 0), 0u) << run.output;
        }
    }
    EXPECT_EQ(runScript(L"/report:", pipingOutput()).errors, "/report: needs a FILE after the \":\".\r\n");
    DeleteFileA(json.c_str());
    DeleteFileA(text.c_str());
}

namespace {

std::string planted(const std::string& unixFile, const std::string& content) {
    writeFile(dosPath(unixFile), content);
    return dosPath(unixFile);
}

}  // namespace

// A file the user may write is written, whatever it is: a long name, a link,
// a device name as Windows trims it, a folder where no file may be made.
TEST(Script, EveryWritableFileIsWritten) {
    const std::string root = unixTempPath("writable");
    runUnix("mkdir -p '" + root + "/locked'");
    // The longest names: the temporary file beside one must be shorter.
    const std::string longName = dosPath(root) + "\\" + std::string(246, 'n') + ".txt";
    // A symbolic link, and a file with two names.
    const std::string target = planted(root + "/target.txt", "the old report");
    runUnix("cd '" + root + "' && ln -s target.txt link.txt && printf old > one.txt && ln one.txt two.txt");
    // Root may create files anywhere, so a folder without create rights is an
    // immutable one, which refuses new names to root too, and keeps its files writable.
    const std::string locked = planted(root + "/locked/report.txt", "the old report");
    int immutable = -1;
    runUnix("chattr +i '" + root + "/locked'", &immutable);
    const std::pair<std::string, std::string> cases[] = {
        {longName, longName},
        {dosPath(root) + "\\link.txt", target},
        {dosPath(root) + "\\one.txt", dosPath(root) + "\\two.txt"},
        {locked, locked},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.substr(0, 80));
        if (c.first == locked && immutable != 0) {
            std::printf("not tried: chattr +i is not available on this file system, so no folder refuses root new files\n");
            continue;
        }
        const Outcome run = runScript("--report \"" + c.first + "\"");
        EXPECT_EQ(run.code, 0u) << run.errors;
        EXPECT_EQ(document(c.second).rfind("Program: ", 0), 0u) << readAll(c.second).substr(0, 80);
    }
    int status = -1;
    runUnix("test -L '" + root + "/link.txt'", &status);
    EXPECT_EQ(status, 0) << "the link was replaced by a file";
    const std::string left = runUnix("ls -A '" + root + "/locked'");
    EXPECT_EQ(left, "report.txt\n") << "a file was left beside it";
    runUnix("chattr -i '" + root + "/locked'; rm -rf '" + root + "'");
    for (const char* device : {"NUL ", "nul.", "NUL .txt"}) {
        EXPECT_EQ(runScript(std::string("--report \"") + device + "\"").code, 0u) << device;
    }
    const Outcome noConsole = runScript("--report CON", [] {
        RunHow how;
        how.flags = DETACHED_PROCESS;
        return how;
    }());
    EXPECT_TRUE(noConsole.code == 0 ||
                noConsole.errors == "The report could not be written: CON: there is no console to write to.\r\n")
        << noConsole.code << " " << noConsole.errors;
}

// A failure is said as what it is: the library that could not be loaded, empty
// answers and impossible numbers as not reported, no driver without a context.
TEST(Script, FailuresAreDiagnosedHonestly) {
    const Outcome unloadable = runScript("--opengl32 C:\\nope\\opengl32.dll --report -", pipingOutput());
    EXPECT_EQ(unloadable.code, 1u);
    EXPECT_EQ(labelled("\r\n" + unloadable.output, "Summary").rfind(
                  "OpenGL could not be initialised: the OpenGL library C:\\nope\\opengl32.dll could not be used: ", 0),
              0u)
        << unloadable.output.substr(0, 300);
    EXPECT_EQ(labelled(unloadable.output, "Vendor"), "not reported");
    EXPECT_EQ(labelled(unloadable.output, "OpenGL driver"), "not reported: no context was made");

    const Env odd = {{"GLDOUBLE_RENDERER", "<empty>"}, {"GLDOUBLE_VERSION", "3.0 Double"},
                     {"GLDOUBLE_INTEGERS", "0x0D33=-1,0x0D3A=-5/-7,0x8D57=-3"}};
    const Outcome text = runScript(withDouble() + " --report -", [&odd] {
        RunHow how = pipingOutput();
        how.env = odd;
        return how;
    }());
    EXPECT_EQ(text.code, 0u) << text.errors;
    EXPECT_EQ(text.output.find("on ,"), std::string::npos);
    for (const char* label : {"Renderer", "  Max texture size", "  Max viewport dims", "  Max samples"}) {
        EXPECT_EQ(labelled(text.output, label), "not reported") << label;
    }
    const std::string json = dosPath(unixTempPath("odd.json"));
    RunHow how;
    how.env = odd;
    EXPECT_EQ(runScript(withDouble() + " --json " + json, how).code, 0u);
    const nlohmann::json parsed = parsedJson(json);
    EXPECT_TRUE(parsed["opengl"]["renderer"].is_null());
    EXPECT_TRUE(parsed["opengl"]["limits"]["max_viewport_dims"].is_null());
    EXPECT_TRUE(parsed["opengl"]["limits"]["max_samples"].is_null());
    DeleteFileA(json.c_str());
}

namespace {

// The labels of the changes a text block names, one per line.
std::vector<std::string> changedLabels(const std::string& block) {
    std::vector<std::string> labels;
    std::istringstream lines(block);
    std::string line;
    std::getline(lines, line);  // "Changes since ..."
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0) {
        const size_t colon = line.find(": was ");
        if (colon != std::string::npos) labels.push_back(line.substr(2, colon - 2));
    }
    return labels;
}

}  // namespace

// What changed since a saved report is exactly what the test changed: the
// block right after the summary, the same in the JSON, and the same again
// from the two files alone with no OpenGL at all.
TEST(Compare, NamesWhatChangedSinceASavedReport) {
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &device, 0));
    const std::string adapter = device.DeviceString;
    const std::string key = firstAdapterKey();
    ASSERT_FALSE(key.empty());
    const std::string older = dosPath(unixTempPath("older.json"));
    const std::string newer = dosPath(unixTempPath("newer.json"));
    const Env before = {{"GLDOUBLE_RENDERER", "Renderer A"}, {"GLDOUBLE_EXTENSIONS", "GL_ARB_one GL_ARB_two GL_ARB_three"}};
    const Env after = {{"GLDOUBLE_RENDERER", "Renderer B"}, {"GLDOUBLE_EXTENSIONS", "GL_ARB_one GL_ARB_three"}};
    {
        ScopedRegValue driver(HKEY_LOCAL_MACHINE, key, "OpenGLDriverName", "before.dll");
        ScopedRegValue version(HKEY_LOCAL_MACHINE, key, "DriverVersion", "1.0.0.0");
        ASSERT_EQ(runScript(withDouble() + " --json \"" + older + "\"", withEnv(before)).code, 0u);
    }
    ScopedRegValue driver(HKEY_LOCAL_MACHINE, key, "OpenGLDriverName", "after.dll");
    ScopedRegValue version(HKEY_LOCAL_MACHINE, key, "DriverVersion", "2.0.0.0");
    const std::vector<std::string> expected = {"Summary", "Renderer", "Display adapter \"" + adapter + "\": driver version",
                                               "Display adapter \"" + adapter + "\": OpenGLDriverName"};

    RunHow how = withEnv(after);
    how.pipeOutput = true;
    const Outcome text = runScript(withDouble() + " --compare \"" + older + "\"", how);
    EXPECT_EQ(text.code, 0u) << text.errors;
    const size_t summary = text.output.find("\r\nSummary: ");
    ASSERT_NE(summary, std::string::npos) << text.output.substr(0, 300);
    const size_t block = text.output.find("\r\n", summary + 2) + 2;
    EXPECT_EQ(text.output.compare(block, 14 + older.size(), "Changes since " + older), 0) << text.output.substr(0, 600);
    EXPECT_EQ(changedLabels(text.output.substr(block)), expected) << text.output.substr(block, 800);
    EXPECT_NE(text.output.find("\r\n  Display adapter \"" + adapter + "\": driver version: was \"1.0.0.0\", now \"2.0.0.0\"\r\n"),
              std::string::npos);
    EXPECT_NE(text.output.find("\r\n  Extensions removed (1): GL_ARB_two\r\n"), std::string::npos);
    EXPECT_EQ(text.output.find("Extensions added"), std::string::npos);

    ASSERT_EQ(runScript(withDouble() + " --compare \"" + older + "\" --json \"" + newer + "\"", withEnv(after)).code, 0u);
    const nlohmann::json now = parsedJson(newer);
    std::vector<std::string> labels;
    for (const auto& item : now["changes"]["items"]) labels.push_back(item["label"]);
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(now["changes"]["extensions_removed"], nlohmann::json::array({"GL_ARB_two"}));
    EXPECT_EQ(now["changes"]["since"], parsedJson(older)["made"]);

    // The desk's case: two files, no OpenGL, even with a library that is not there.
    RunHow piping = pipingOutput();
    const Outcome two = runScript("--opengl32 Z:\\no\\such\\opengl32.dll --compare \"" + older + "\" \"" + newer + "\"", piping);
    EXPECT_EQ(two.code, 0u) << two.errors;
    EXPECT_EQ(two.mostVisible, 0);
    // Each file dated by its own "made".
    const std::string dated = "Changes since " + older + " (made " + parsedJson(older)["made"].get<std::string>() + "), in " + newer +
                              " (made " + parsedJson(newer)["made"].get<std::string>() + "):";
    EXPECT_EQ(two.output.rfind(dated, 0), 0u) << two.output;
    EXPECT_EQ(changedLabels(two.output), expected);
    const std::string both = dosPath(unixTempPath("both.json"));
    EXPECT_EQ(runScript("--compare \"" + older + "\" \"" + newer + "\" --json \"" + both + "\"").code, 0u);
    EXPECT_EQ(parsedJson(both)["changes"]["items"].size(), expected.size());

    // What is no report this reads: exit 2, its reason, nothing written.
    const std::string folder = dosPath(unixTempPath("not-reports"));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string newerSchema = readAll(older);
    newerSchema.replace(newerSchema.find("\"schema_version\":5"), 18, "\"schema_version\":99");
    writeFile(folder + "\\newer.json", newerSchema);
    writeFile(folder + "\\cut.json", readAll(older).substr(0, 100));
    writeFile(folder + "\\large.json", std::string(4 * 1024 * 1024 + 1, ' '));
    const std::string written = folder + "\\written.txt";
    const std::pair<std::string, std::string> bad[] = {
        {folder + "\\newer.json", "it is a report of schema version 99, newer than this program reads (5)"},
        {folder + "\\cut.json", "it is cut short"},
        {folder + "\\large.json", "it is larger than 4 MiB, which no report is"},
        {folder + "\\missing.json", "there is no such file"},
        {folder, "it is a folder, not a file"},
    };
    for (const auto& b : bad) {
        const Outcome refused = runScript(withDouble() + " --compare \"" + b.first + "\" --report \"" + written + "\"");
        EXPECT_EQ(refused.code, 2u) << b.first;
        EXPECT_EQ(refused.errors, "--compare " + b.first + ": " + b.second + "\r\n");
        EXPECT_FALSE(exists(written));
    }
    // Two files, either of them no report: the same.
    for (const std::string& line : {"\"" + folder + "\\cut.json\" \"" + older + "\"", "\"" + older + "\" \"" + folder + "\\missing.json\""}) {
        const Outcome refused = runScript("--compare " + line + " --report \"" + written + "\"");
        EXPECT_EQ(refused.code, 2u) << line;
        EXPECT_EQ(refused.errors.rfind("--compare " + folder + "\\", 0), 0u) << refused.errors;
        EXPECT_FALSE(exists(written));
    }
    runUnix("rm -rf '" + unixPath(folder) + "' '" + unixPath(older) + "' '" + unixPath(newer) + "' '" + unixPath(both) + "'");
}

namespace {

const char* accelerationWord(int value) {
    return value == 0x2027 ? "full" : value == 0x2026 ? "generic_accelerated" : value == 0x2025 ? "software" : "?";
}

// The double with formats of its own, reached through WGL_ARB_pixel_format.
Env formatsOfTheDouble(const std::string& formats, const std::string& chosen) {
    return {{"GLDOUBLE_FORMATS", formats},
            {"GLDOUBLE_CHOOSE", chosen},
            {"GLDOUBLE_WGL_EXTENSIONS", "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_multisample"}};
}

}  // namespace

// Every pixel format, as the system answers the test itself: as many rows as
// DescribePixelFormat counts, each as WGL_ARB_pixel_format describes it.
TEST(PixelFormats, ListsEveryFormatAsTheSystemAnswers) {
    const OwnContext own;
    ASSERT_TRUE(own.ok);
    const std::string file = dosPath(unixTempPath("formats.json"));
    ASSERT_EQ(runScript("--pixel-formats --json \"" + file + "\"").code, 0u);
    const nlohmann::json j = parsedJson(file);
    const nlohmann::json& rows = j["pixel_formats"];
    ASSERT_EQ(rows.size(), static_cast<size_t>(std::min(own.formats, 1024)));
    EXPECT_EQ(j["opengl"]["pixel_formats"]["source"], own.arbCount > 0 ? "WGL_ARB_pixel_format" : "DescribePixelFormat");
    EXPECT_EQ(j["opengl"]["pixel_formats"]["listed"], rows.size());
    ASSERT_FALSE(own.arbFormats.empty()) << "llvmpipe under Wine has WGL_ARB_pixel_format";
    // The first, the dialog's, the last, and the first with multisampling.
    std::vector<size_t> sample = {0, rows.size() - 1};
    for (size_t k = 0; k < rows.size(); ++k) {
        if (rows[k]["dialogs"].get<bool>()) sample.push_back(k);
    }
    ASSERT_EQ(sample.size(), 3u) << "no row is the dialog's";
    for (size_t k = 0; k < own.arbFormats.size() && k < rows.size(); ++k) {
        if (own.arbFormats[k][8] > 0) {
            sample.push_back(k);
            break;
        }
    }
    for (size_t k : sample) {
        SCOPED_TRACE(k + 1);
        const std::vector<int>& a = own.arbFormats[k];
        const nlohmann::json& r = rows[k];
        EXPECT_EQ(r["index"], k + 1);
        EXPECT_EQ(r["draw_to_window"].get<bool>(), a[0] != 0);
        EXPECT_EQ(r["acceleration"], accelerationWord(a[1]));
        EXPECT_EQ(r["opengl"].get<bool>(), a[2] != 0);
        EXPECT_EQ(r["double_buffer"].get<bool>(), a[3] != 0);
        EXPECT_EQ(r["colour_bits"], a[4]);
        EXPECT_EQ(r["alpha_bits"], a[5]);
        EXPECT_EQ(r["depth_bits"], a[6]);
        EXPECT_EQ(r["stencil_bits"], a[7]);
        if (a[8] >= 0) {
            EXPECT_EQ(r["samples"], a[8]);
        }
        if (a[9] >= 0) {
            EXPECT_EQ(r["srgb_capable"].get<bool>(), a[9] != 0);
        }
    }
    // The text lists the same, the dialog's marked; without the option, one line at best.
    const Outcome text = runScript("--pixel-formats --report -", pipingOutput());
    std::istringstream lines(text.output);
    std::string line;
    size_t listed = 0, marked = 0;
    while (std::getline(lines, line)) {
        if (line.size() > 8 && (line[2] == '*' || line[2] == ' ') && line[3] == ' ' && std::isdigit(static_cast<unsigned char>(line[7]))) {
            ++listed;
            marked += line[2] == '*' ? 1 : 0;
        }
    }
    EXPECT_EQ(listed, rows.size());
    EXPECT_EQ(marked, 1u);
    const std::string plain = runScript("--report -", pipingOutput()).output;
    EXPECT_EQ(labelled(plain, "Pixel formats at best"), j["opengl"]["pixel_formats"]["best"].get<std::string>());
    EXPECT_EQ(plain.find("Pixel format list"), std::string::npos);
    DeleteFileA(file.c_str());
}

// Whether a program's request would find a format here, and if not, why.
TEST(PixelFormats, AnswersWhetherARequestWouldSucceed) {
    const Outcome met = runScript("--require-pixel-format depth=24,stencil=8", pipingOutput());
    EXPECT_EQ(met.code, 0u) << met.output << met.errors;
    EXPECT_NE(met.output.find("; pixel format depth=24,stencil=8: format "), std::string::npos) << met.output;
    EXPECT_NE(met.output.find(" (wglChoosePixelFormatARB)"), std::string::npos) << met.output;
    const Outcome none = runScript("--require-pixel-format samples=64", pipingOutput());
    EXPECT_EQ(none.code, 4u) << none.output << none.errors;
    EXPECT_NE(none.output.find("missing pixel format samples=64 (no format has samples=64)"), std::string::npos) << none.output;
    const Outcome misspelt = runScript("--require-pixel-format detph=24");
    EXPECT_EQ(misspelt.code, 2u);
    EXPECT_NE(misspelt.errors.find("unknown attribute \"detph\"; did you mean depth?"), std::string::npos) << misspelt.errors;
}

// The generic format where the driver offers its own that meets the same
// request is a cause of its own; so is a frame drawn without depth bits.
TEST(PixelFormats, SaysWhyTheDialogGotTheFormatItGot) {
    const Outcome generic = runScript(withDouble() + " --report -", [] {
        RunHow how = withEnv(formatsOfTheDouble("generic,depth=24;depth=24", "1"));
        how.pipeOutput = true;
        return how;
    }());
    EXPECT_NE(labelled(generic.output, "Summary")
                  .find("ChoosePixelFormat gave this tool the generic format 1, although the driver's own format 2 meets the same request."),
              std::string::npos)
        << labelled(generic.output, "Summary");
    RunHow flat = withEnv(formatsOfTheDouble("depth=0", "1"));
    flat.pipeOutput = true;
    const std::string noDepth = labelled(runScript(withDouble() + " --report -", flat).output, "Summary");
    EXPECT_NE(noDepth.find("The dialog's pixel format 1 has no depth buffer, so the cube is drawn without depth testing."),
              std::string::npos)
        << noDepth;
    EXPECT_EQ(noDepth.find("ChoosePixelFormat gave"), std::string::npos);
}

// What a driver answers, however absurd, keeps the report valid and the list bounded.
TEST(PixelFormats, NonsenseKeepsTheReportValid) {
    const struct {
        const char* what;
        Env env;
        size_t rows;
        bool cut;
    } cases[] = {
        {"no formats", {{"GLDOUBLE_FORMAT_COUNT", "0"}}, 0, false},
        {"a negative count", {{"GLDOUBLE_FORMAT_COUNT", "-5"}}, 0, false},
        {"100,000 formats", {{"GLDOUBLE_FORMAT_COUNT", "100000"}}, 1024, true},
        {"as many as are listed", {{"GLDOUBLE_FORMAT_COUNT", "1024"}}, 1024, false},
        {"one more", {{"GLDOUBLE_FORMAT_COUNT", "1025"}}, 1024, true},
        {"absurd bits", formatsOfTheDouble("colour=100000,depth=-5,stencil=4096,samples=-1;alpha=2000000000", "1"), 2, false},
        {"queries that fail halfway", formatsOfTheDouble("depth=24;depth=16;depth=24;depth=32", "1"), 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Env env = c.env;
        if (std::string(c.what) == "queries that fail halfway") env.push_back({"GLDOUBLE_ARB_FAIL_FROM", "3"});
        const std::string file = dosPath(unixTempPath("nonsense.json"));
        EXPECT_EQ(runScript(withDouble() + " --pixel-formats --json \"" + file + "\"", withEnv(env)).code, 0u);
        const nlohmann::json j = parsedJson(file);
        EXPECT_EQ(j["pixel_formats"].size(), c.rows);
        if (!j["opengl"]["pixel_formats"].is_null()) {
            EXPECT_EQ(j["opengl"]["pixel_formats"]["cut"].get<bool>(), c.cut);
        }
        for (const auto& row : j["pixel_formats"]) {
            for (const char* key : {"colour_bits", "depth_bits", "stencil_bits", "alpha_bits", "samples"}) {
                EXPECT_TRUE(row[key].is_null() || (row[key].get<int>() >= 0 && row[key].get<int>() <= 1024)) << key << row[key];
            }
        }
        DeleteFileA(file.c_str());
    }
    // The text says where the list stops, and that the rest read where the ARB query failed came from DescribePixelFormat.
    RunHow how = withEnv({{"GLDOUBLE_FORMAT_COUNT", "100000"}});
    how.pipeOutput = true;
    EXPECT_NE(runScript(withDouble() + " --pixel-formats --report -", how).output.find("100000 formats, the first 1024 listed"),
              std::string::npos);
    Env failing = formatsOfTheDouble("depth=24;depth=16;depth=24;depth=32", "1");
    failing.push_back({"GLDOUBLE_ARB_FAIL_FROM", "3"});
    RunHow halfway = withEnv(failing);
    halfway.pipeOutput = true;
    EXPECT_NE(runScript(withDouble() + " --pixel-formats --report -", halfway)
                  .output.find("2 of them from DescribePixelFormat where the ARB query failed"),
              std::string::npos);
}
