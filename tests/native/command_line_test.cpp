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
    }
}
