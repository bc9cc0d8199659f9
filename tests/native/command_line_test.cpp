#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "app/command_line.h"
#include "platform/ascii.h"
#include "platform/exit_code.h"
#include "platform/destination.h"

using Args = std::vector<std::wstring>;

TEST(CommandLine, SplitsAsTheRuntimeDoes) {
    struct Case {
        const wchar_t* line;
        Args arguments;
    };
    const Case cases[] = {
        {L"prog.exe", {}},
        {L"\"C:\\Program Files\\gl info\\prog.exe\"  a\tb ", {L"a", L"b"}},
        {L"prog --opengl32 \"C:\\soft gl\\opengl32.dll\"", {L"--opengl32", L"C:\\soft gl\\opengl32.dll"}},
        {L"prog C:\\dir\\ \"C:\\dir\\\\\" x", {L"C:\\dir\\", L"C:\\dir\\", L"x"}},  // backslashes before a quote halve
        {L"prog a\\\\\\\"b \"c\"\"d\" \"\"", {L"a\\\"b", L"c\"d", L""}},
        {L"prog --report C:\\out\\\\", {L"--report", L"C:\\out\\\\"}},  // kept at the very end of the line
    };
    for (const Case& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.arguments) << std::wstring(c.line).size();
}

// Every form of every option; misspellings refused with a suggestion; what is
// not ours ignored; an option never taken as another one's value.
TEST(CommandLine, ReadsTheOptionsAndIgnoresTheRest) {
    struct Case {
        Args arguments;
        Output output;
        const wchar_t* file;      // or --opengl32's path, for the Dialog cases
        const char* error;        // a piece of the error; null: none
    };
    const Case cases[] = {
        {{L"--json=C:\\t\\gl.json"}, Output::Json, L"C:\\t\\gl.json", nullptr},
        {{L"/HTML:C:\\t\\gl.html"}, Output::Html, L"C:\\t\\gl.html", nullptr},
        {{L"--html"}, Output::Html, L"", nullptr},
        {{L"--html", L"a", L"--json", L"b"}, Output::Html, L"a", "--report, --json or --html is given more than once."},
        {{L"--compare", L"a", L"b", L"--html", L"c"}, Output::Html, L"c", "--html writes this machine's report"},
        {{L"--htlm", L"x"}, Output::Dialog, L"", "did you mean --html?"},
        {{L"--html2"}, Output::Dialog, L"", "did you mean --html?"},  // only a version runs into a name
        {{L"--compare2", L"a.json"}, Output::Dialog, L"", "did you mean --compare?"},
        {{L"--REPORT", L"-"}, Output::Text, L"-", nullptr},
        {{L"--Json", L"x"}, Output::Json, L"x", nullptr},
        {{L"/report", L"x"}, Output::Text, L"x", nullptr},
        {{L"/json:C:\\t\\gl.json"}, Output::Json, L"C:\\t\\gl.json", nullptr},
        {{L"-report=a b.txt"}, Output::Text, L"a b.txt", nullptr},
        {{L"-json:x"}, Output::Json, L"x", nullptr},
        {{L"--json:C:\\m1.json"}, Output::Json, L"C:\\m1.json", nullptr},
        {{L"\u2014report", L"C:\\m4.txt"}, Output::Text, L"C:\\m4.txt", nullptr},  // pasted dashes
        {{L"\u2013\u2013JSON=a"}, Output::Json, L"a", nullptr},
        {{L"\u2212report:b"}, Output::Text, L"b", nullptr},
        {{L"\u2014repot"}, Output::Dialog, L"", "Unknown option \xe2\x80\x94repot; did you mean --report?"},
        {{L"--report", L""}, Output::Dialog, L"", "--report needs a FILE; the one given is empty."},
        {{L"/report:"}, Output::Dialog, L"", "/report: needs a FILE after the \":\"."},
        {{L"--report"}, Output::Text, L"", nullptr},
        {{L"--report", L"--opengl32", L"d.dll"}, Output::Text, L"", nullptr},  // the next option is no file
        {{L"--report", L"/?"}, Output::Text, L"", nullptr},
        {{L"/OpenGL32", L"D:\\mesa\\opengl32.dll", L"extra"}, Output::Dialog, L"D:\\mesa\\opengl32.dll", nullptr},
        {{L"-psn_0_123", L"foo", L"--", L"/", L"-x", L"/s"}, Output::Dialog, L"", nullptr},
        // Other programs' one-letter switches, each the first letter of an option: left alone.
        {{L"-a", L"/j", L"-r", L"/c", L"-o", L"/p", L"-s", L"\u2013a"}, Output::Dialog, L"", nullptr},
        {{L"--reprot", L"x"}, Output::Dialog, L"", "Unknown option --reprot; did you mean --report?"},
        {{L"/all", L"-map", L"/bat"}, Output::Dialog, L"", nullptr},  // two edits from --app: other programs' words
        {{L"/reporters", L"-jsonlines"}, Output::Dialog, L"", nullptr},  // three and five edits: not ours
        // Two dashes and no option's name: refused, alone or beside options, with the nearest where one is near.
        {{L"--verbose"}, Output::Dialog, L"", "Unknown option --verbose."},
        {{L"--bogus", L"--report", L"-"}, Output::Text, L"", "Unknown option --bogus."},
        {{L"--report", L"-", L"--jsonlines"}, Output::Text, L"", "Unknown option --jsonlines."},
        {{L"\u2014\u2014Verbose=1"}, Output::Dialog, L"", "Unknown option \xe2\x80\x94\xe2\x80\x94Verbose."},
        {{L"--a"}, Output::Dialog, L"", "Unknown option --a; did you mean --app?"},
        {{L"--xyz"}, Output::Dialog, L"", "Unknown option --xyz; did you mean --app?"},  // three edits: still near
        {{L"--wxyz"}, Output::Dialog, L"", "Unknown option --wxyz."},                  // four from every option
        {{L"--repository"}, Output::Dialog, L"", "Unknown option --repository."},
        {{L"/reportr"}, Output::Dialog, L"", "did you mean --report?"},      // one
        {{L"-apx", L"x.exe"}, Output::Dialog, L"", "did you mean --app?"},
        // Two letters that begin an option's name, or are one edit from --app.
        {{L"--ap", L"x.exe"}, Output::Dialog, L"", "Unknown option --ap; did you mean --app?"},
        {{L"/pp"}, Output::Dialog, L"", "did you mean --app?"},
        {{L"-js", L"x"}, Output::Dialog, L"", "did you mean --json?"},
        {{L"--op", L"x.dll"}, Output::Dialog, L"", "did you mean --opengl32?"},
        {{L"/re"}, Output::Dialog, L"", "did you mean --report?"},
        {{L"-gl", L"/fs", L"-ab"}, Output::Dialog, L"", nullptr},  // other programs' two letters
        {{L"--app", L"a.exe", L"--app=b.exe"}, Output::Application, L"", "more than once"},
        {{L"--jsn"}, Output::Dialog, L"", "did you mean --json?"},
        {{L"--opengl", L"x.dll"}, Output::Dialog, L"", "did you mean --opengl32?"},
        {{L"/REQUIRES:3.3"}, Output::Dialog, L"", "Unknown option /REQUIRES; did you mean --require?"},
        {{L"--opengl32", L"--report", L"C:\\tmp\\o.txt"}, Output::Dialog, L"", "not the option --report"},
        {{L"--opengl32", L"--json"}, Output::Dialog, L"", "not the option --json"},
        {{L"--opengl32", L"--anything"}, Output::Dialog, L"", "not the option --anything"},
        {{L"--opengl32"}, Output::Dialog, L"", "needs the path"},
        {{L"--opengl32", L""}, Output::Dialog, L"", "needs the path"},
        {{L"--opengl32", L"a.dll", L"/opengl32=b.dll"}, Output::Dialog, L"", "more than once"},
        {{L"--report", L"a.txt", L"--report"}, Output::Text, L"", "more than once"},
        {{L"--json", L"--report"}, Output::Json, L"", "more than once"},
        {{L"--json="}, Output::Json, L"", "needs a FILE"},
    };
    for (const Case& c : cases) {
        const Options o = parseOptions(c.arguments);
        SCOPED_TRACE(c.arguments[0] + L" ... (" + std::to_wstring(c.arguments.size()) + L")");
        if (c.error != nullptr) {
            EXPECT_NE(o.error.find(c.error), std::string::npos) << o.error;
            continue;
        }
        EXPECT_EQ(o.error, "");
        EXPECT_EQ(o.output, c.output);
        EXPECT_EQ(c.output == Output::Dialog ? o.opengl32 : o.file, c.file);
    }
    // --compare: one earlier report with this machine's, or two alone.
    const Options one = parseOptions({L"--compare", L"old.json"});
    EXPECT_EQ(one.output, Output::Text);
    EXPECT_EQ(one.compare, L"old.json");
    EXPECT_EQ(one.compareNewer, L"");
    EXPECT_EQ(parseOptions({L"--compare", L"old.json", L"--json", L"new.json"}).output, Output::Json);
    EXPECT_EQ(parseOptions({L"--require", L"3.3", L"--compare:old.json", L"x"}).output, Output::Text) << "--require keeps its meaning";
    const Options two = parseOptions({L"/compare", L"old.json", L"new.json", L"--json"});
    EXPECT_EQ(two.output, Output::Comparison);
    EXPECT_EQ(two.compareNewer, L"new.json");
    EXPECT_TRUE(two.comparisonJson);
    EXPECT_FALSE(parseOptions({L"--compare", L"a.json", L"b.json", L"--report", L"c.txt"}).comparisonJson);
    EXPECT_NE(parseOptions({L"--compare", L"a.json", L"b.json", L"--app", L"g.exe"}).error, "");
    EXPECT_NE(parseOptions({L"--compare", L"a.json", L"b.json", L"--require", L"3.3"}).error, "");
    EXPECT_NE(parseOptions({L"--compare"}).error.find("needs a JSON or HTML report"), std::string::npos);
    EXPECT_NE(parseOptions({L"--comapre", L"a.json"}).error.find("did you mean --compare?"), std::string::npos);
    EXPECT_TRUE(parseOptions({L"--compare", L"a.json"}).script);
    EXPECT_TRUE(parseOptions({L"--html", L"a.html"}).script);
    // Pixel formats: the list as a report; a request as a requirement.
    const Options formats = parseOptions({L"/pixel-formats"});
    EXPECT_TRUE(formats.listPixelFormats);
    EXPECT_EQ(formats.output, Output::Text);
    EXPECT_EQ(parseOptions({L"--pixel-formats", L"--json", L"f.json"}).output, Output::Json);
    const Options request = parseOptions({L"--require-pixel-format", L"depth=24,stencil=8"});
    EXPECT_EQ(request.output, Output::Requirements);
    EXPECT_EQ(request.requirements.pixelFormat.depth, 24);
    EXPECT_NE(parseOptions({L"--require-pixel-format=detph=24"}).error.find("--require-pixel-format: unknown attribute \"detph\"; did you mean depth?"),
              std::string::npos);
    EXPECT_NE(parseOptions({L"--pixelformats"}).error.find("did you mean --pixel-formats?"), std::string::npos);
    for (const Args& help : {Args{L"/?"}, Args{L"-?"}, Args{L"-h"}, Args{L"--help"}, Args{L"/HELP"}, Args{L"x", L"-Help"}}) {
        EXPECT_TRUE(parseOptions(help).help) << help.back();
    }
    // A script's option, even misspelt, means no box whatever happens.
    EXPECT_TRUE(parseOptions({L"--reprot"}).script);
    EXPECT_TRUE(parseOptions({L"--ap", L"x.exe"}).script);
    EXPECT_TRUE(parseOptions({L"--opengl32", L"--report"}).script);
    EXPECT_FALSE(parseOptions({L"--opengl32", L"x.dll", L"--help"}).script);
    EXPECT_FALSE(parseOptions({L"--opengl"}).script);
    EXPECT_TRUE(parseOptions({L"--verbose"}).script && parseOptions({L"--verbose"}).usage) << "no box waits for a person";
    EXPECT_FALSE(parseOptions({L"--report"}).usage);
    EXPECT_TRUE(parseOptions({L"--reprot"}).usage) << "a misspelling is followed by the synopsis too";
    EXPECT_FALSE(parseOptions({L"--report", L""}).usage);
}

// Every dash that stands in for a hyphen, once and twice; the characters
// just beside those ranges do not.
TEST(CommandLine, TakesEveryPastedDash) {
    const wchar_t dashes[] = {0x2010, 0x2011, 0x2012, 0x2013, 0x2014, 0x2015, 0x2212, 0xFE58, 0xFE63, 0xFF0D};
    for (wchar_t d : dashes) {
        SCOPED_TRACE(static_cast<int>(d));
        EXPECT_EQ(parseOptions({std::wstring(1, d) + L"json", L"a"}).output, Output::Json);
        EXPECT_EQ(parseOptions({std::wstring(2, d) + L"report=b"}).file, L"b");
        EXPECT_EQ(parseOptions({std::wstring(1, d) + L"-app", L"c.exe"}).output, Output::Application);
    }
    for (wchar_t other : {wchar_t(0x200F), wchar_t(0x2016), wchar_t(0x2211), wchar_t(0x2213), wchar_t(0xFE57), wchar_t(0xFE62),
                          wchar_t(0xFE64), wchar_t(0xFF0C), wchar_t(0xFF0E), wchar_t(0x00AD)}) {
        const Options o = parseOptions({std::wstring(1, other) + L"json", L"a"});
        EXPECT_EQ(o.output, Output::Dialog) << static_cast<int>(other);
        EXPECT_EQ(o.error, "") << static_cast<int>(other);
    }
}

TEST(CommandLine, ReadsWhatIsRequired) {
    struct Case {
        Args arguments;
        bool bad;
        int major, minor;
        bool core;
        std::vector<std::string> extensions;
    };
    const Case cases[] = {
        {{L"--require", L"3.3"}, false, 3, 3, false, {}},
        {{L"--require=4.6CORE", L"--require-extension", L"GL_a", L"/require-extension:WGL_b"}, false, 4, 6, true, {"GL_a", "WGL_b"}},
        {{L"--require", L"1.0"}, false, 1, 0, false, {}},
        {{L"--require3.3"}, false, 3, 3, false, {}},  // the version run into the name
        {{L"\u2014Require4.6core"}, false, 4, 6, true, {}},
        {{L"--require3"}, true, 0, 0, false, {}},
        {{L"--require", L"x.y"}, true, 0, 0, false, {}},
        {{L"--require", L"3"}, true, 0, 0, false, {}},
        {{L"--require", L"0.5"}, true, 0, 0, false, {}},
        {{L"--require", L"3.3 core"}, true, 0, 0, false, {}},
        {{L"--require", L"2.1core"}, true, 0, 0, false, {}},  // no core profile before 3.2
        {{L"--require", L"3.3", L"--require", L"4.0"}, true, 0, 0, false, {}},
        {{L"--require-extension"}, true, 0, 0, false, {}},
    };
    for (const Case& c : cases) {
        const Options o = parseOptions(c.arguments);
        SCOPED_TRACE(c.arguments[1 % c.arguments.size()]);
        EXPECT_TRUE(o.script);
        EXPECT_EQ(!o.error.empty(), c.bad) << o.error;
        if (c.bad) continue;
        EXPECT_EQ(o.output, Output::Requirements);  // alone: the one line
        EXPECT_EQ(o.requirements.version.major, c.major);
        EXPECT_EQ(o.requirements.version.minor, c.minor);
        EXPECT_EQ(o.requirements.version.core, c.core);
        EXPECT_EQ(o.requirements.extensions, c.extensions);
    }
    EXPECT_EQ(parseOptions({L"--json", L"--require", L"3.3"}).output, Output::Json);
    const Options app = parseOptions({L"/APP:C:\\g\\game.exe"});
    EXPECT_EQ(app.output, Output::Application);
    EXPECT_EQ(app.app, L"C:\\g\\game.exe");
    EXPECT_TRUE(app.script);
    EXPECT_EQ(parseOptions({L"--report", L"--app", L"g.exe"}).output, Output::Text);
}

TEST(CommandLine, KnowsDevicesAndLongPaths) {
    for (const wchar_t* device : {L"NUL", L"nul", L"NUL.txt", L"C:\\t\\con", L"CONOUT$", L"com1", L"LPT9.log", L"NUL:",
                                  L"\\\\.\\pipe\\x", L"C:NUL"}) {
        EXPECT_TRUE(isDevicePath(device)) << device;
    }
    for (const wchar_t* file : {L"nul.txt.bak", L"CONFIG", L"C:\\nul\\report.txt", L"COM0", L"COM10", L"null", L"report.txt"}) {
        EXPECT_FALSE(isDevicePath(file)) << file;
    }
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'a');
    EXPECT_EQ(longPathForm(L"C:\\t\\gl.json"), L"C:\\t\\gl.json");
    EXPECT_EQ(longPathForm(longPath), L"\\\\?\\" + longPath);
    EXPECT_EQ(longPathForm(L"\\\\server\\share\\" + std::wstring(300, L'a')), L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'a'));
    EXPECT_EQ(longPathForm(L"\\\\?\\" + longPath), L"\\\\?\\" + longPath);
    EXPECT_NE(temporaryPath(L"C:\\r.txt", 7, 0), temporaryPath(L"C:\\r.txt", 7, 1));
    EXPECT_EQ(withPathInserted(L"Bad EXE format for %1.", L"C:\\x.dll"), L"Bad EXE format for C:\\x.dll.");
}

// One source for what can drift: the options and exit codes the code has are
// the ones --help, the manual page, the README and the release's guide give.
TEST(CommandLine, TheManualSaysWhatTheCodeDoes) {
    const auto read = [](const char* path) {
        std::ifstream file(std::string(GRI_SOURCE_DIR "/") + path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    };
    // The options, as --help lists them: each line that begins with "  --".
    std::set<std::string> options;
    std::stringstream usage(usageText());
    for (std::string line; std::getline(usage, line);) {
        if (line.rfind("  --", 0) == 0) options.insert(line.substr(2, line.find_first_of(" ,", 2) - 2));
    }
    ASSERT_GE(options.size(), 10u);
    const std::string page = read("docs/command-line.md");
    std::set<std::string> listed;  // the manual page's OPTIONS: "- `--name ...`"
    std::stringstream lines(page);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("- `--", 0) == 0) listed.insert(line.substr(3, line.find_first_of(" `", 3) - 3));
    }
    EXPECT_EQ(listed, options) << "the manual page's OPTIONS and --help";
    for (const char* doc : {"README.md", "docs/README.txt", "docs/command-line.md"}) {
        const std::string text = read(doc);
        for (const std::string& o : options) EXPECT_NE(text.find(o), std::string::npos) << doc << " lacks " << o;
        for (const ExitCodeMeaning& e : kExitCodes) {
            const std::string n = std::to_string(exitValue(e.code));
            const std::string row = std::string(doc).find(".txt") != std::string::npos ? "  " + n + "  " + e.meaning + "\n"
                                                                                       : "| " + n + " | " + e.meaning + " |";
            EXPECT_NE(text.find(row), std::string::npos) << doc << " says otherwise of exit code " << n;
        }
        EXPECT_EQ(text.find("| " + std::to_string(sizeof kExitCodes / sizeof kExitCodes[0]) + " |"), std::string::npos)
            << doc << " has an exit code the code has not";
    }
    for (const ExitCodeMeaning& e : kExitCodes) EXPECT_NE(usageText().find(e.meaning), std::string::npos);
}

// The shared text rules: edits at their edges (empty sides, a swap of
// neighbours counted once), and case folded for A to Z alone.
TEST(CommandLine, TextRulesAtTheirEdges) {
    const struct {
        const char* a;
        const char* b;
        std::size_t edits;
    } cases[] = {{"", "abc", 3}, {"abc", "", 3}, {"", "", 0}, {"ab", "ba", 1}, {"report", "reprot", 1},
                 {"kitten", "sitting", 3}, {"app", "ap", 1}, {"json", "jsno", 1}, {"abc", "xyz", 3}, {"ca", "abc", 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(editDistance(std::string(c.a), std::string(c.b)), c.edits) << c.a << " / " << c.b;
        EXPECT_EQ(editDistance(std::string(c.b), std::string(c.a)), c.edits) << c.b << " / " << c.a;
    }
    EXPECT_EQ(editDistance(std::wstring(L"Repo\u2014rt"), std::wstring(L"Report")), 1u);
    EXPECT_EQ(asciiLower(std::string("AZaz@[\xc3\x84")), "azaz@[\xc3\x84");
    EXPECT_EQ(asciiLower(std::wstring(L"A\u00C4Z")), L"a\u00C4z");
    EXPECT_EQ(asciiLower("GL_ARB"), "gl_arb");
}
