#include <gtest/gtest.h>

#include "app/command_line.h"

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
    };
    for (const Case& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.arguments) << std::wstring(c.line).size();
}

TEST(CommandLine, ReadsTheOptionsAndIgnoresTheRest) {
    Options o = parseOptions({L"/unknown", L"--opengl32", L"D:\\mesa\\opengl32.dll", L"extra"});
    EXPECT_EQ(o.opengl32, L"D:\\mesa\\opengl32.dll");
    EXPECT_FALSE(o.help);
    EXPECT_TRUE(o.error.empty());
    EXPECT_TRUE(parseOptions({L"/?"}).help);
    EXPECT_TRUE(parseOptions({L"x", L"--help"}).help);
    EXPECT_TRUE(parseOptions({L"--HELP", L"-opengl32"}).error.empty());  // unknown, so ignored

    for (const Args& bad : {Args{L"--opengl32"}, Args{L"--opengl32", L""},
                            Args{L"--opengl32", L"a.dll", L"--opengl32", L"b.dll"}}) {
        EXPECT_FALSE(parseOptions(bad).error.empty()) << bad.size();
        EXPECT_FALSE(parseOptions(bad).script);
    }
}

TEST(CommandLine, ReadsWhereAReportGoes) {
    struct Case {
        Args arguments;
        Output output;
        const wchar_t* file;
        bool bad;
    };
    const Case cases[] = {
        {{L"--report"}, Output::Text, L"", false},
        {{L"--report", L"-"}, Output::Text, L"-", false},
        {{L"--json", L"C:\\out\\gl.json", L"x"}, Output::Json, L"C:\\out\\gl.json", false},
        {{L"--report", L"--opengl32", L"d.dll"}, Output::Text, L"", false},  // the next option is no file
        {{L"--report", L"a.txt", L"--report"}, Output::Text, L"a.txt", true},
        {{L"--json", L"--report"}, Output::Json, L"", true},
        {{L"--opengl32", L"--report"}, Output::Dialog, L"", false},  // a path that happens to read so
        {{L"--report", L"--opengl32"}, Output::Text, L"", true},
    };
    for (const Case& c : cases) {
        const Options o = parseOptions(c.arguments);
        SCOPED_TRACE(c.arguments.size());
        EXPECT_EQ(o.error.empty(), !c.bad) << o.error;
        EXPECT_TRUE(o.script);
        if (c.bad) continue;
        EXPECT_EQ(o.output, c.output);
        EXPECT_EQ(o.file, c.file);
    }
}
