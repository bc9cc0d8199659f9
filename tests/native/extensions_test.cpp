#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "info/info_rules.h"

namespace {

std::vector<std::string> rowsOf(char* text) {
    std::vector<std::string> rows;
    splitExtensionRows(text, [&rows](const char* row) { rows.emplace_back(row); });
    return rows;
}

using Rows = std::vector<std::string>;

}  // namespace

TEST(Extensions, JoinsBothPartsWithOneSeparator) {
    struct Case {
        const char* gl;
        const char* wgl;
        const char* joined;
        Rows rows;
    };
    const Case cases[] = {
        {"GL_a GL_b", "WGL_c ", "GL_a GL_b WGL_c ", {"GL_a", "GL_b", "WGL_c"}},
        {"GL_a GL_b ", "WGL_c", "GL_a GL_b WGL_c", {"GL_a", "GL_b", "WGL_c"}},  // no doubled space
        {"GL_a GL_b", nullptr, "GL_a GL_b ", {"GL_a", "GL_b"}},  // no WGL part: separator still written
        {"GL_a GL_b", "", "GL_a GL_b ", {"GL_a", "GL_b"}},
        {"", "WGL_c", "WGL_c", {"WGL_c"}},  // empty OpenGL part: nothing before it is looked at
        {nullptr, "WGL_c WGL_d", "WGL_c WGL_d", {"WGL_c", "WGL_d"}},
        {nullptr, nullptr, "", {}},
        {"GL_a", "WGL_c", "GL_a WGL_c", {"GL_a", "WGL_c"}},
    };
    for (const Case& c : cases) {
        char* text = joinExtensionText(c.gl, c.wgl);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, c.joined);
        EXPECT_EQ(rowsOf(text), c.rows) << c.joined;
        std::free(text);
    }
}

TEST(Extensions, SplitsAtEverySingleSpace) {
    struct Case {
        const char* text;
        Rows rows;
    };
    const Case cases[] = {
        {"", {}},
        {"GL_a", {"GL_a"}},
        {"GL_a  GL_b", {"GL_a", "", "GL_b"}},  // doubled space: an empty row
        {" GL_a", {"", "GL_a"}},             // leading space: an empty row
        {"GL_a ", {"GL_a"}},                 // trailing space: no extra row
        {"GL_a  ", {"GL_a", ""}},
        {" ", {""}},
        {"a b c d", {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases) {
        std::string buffer(c.text);
        EXPECT_EQ(rowsOf(&buffer[0]), c.rows) << "'" << c.text << "'";
    }
    EXPECT_TRUE(rowsOf(nullptr).empty());
}

TEST(Extensions, FormatsTheInformationText) {
    char text[kInfoTextSize];
    formatRendererInfo(text, "Mesa", "llvmpipe", "4.5");
    EXPECT_STREQ(text, "Vendor: Mesa\nRenderer: llvmpipe\nVersion: 4.5");
    formatRendererInfo(text, nullptr, nullptr, nullptr);
    EXPECT_STREQ(text, "Vendor: \nRenderer: \nVersion: ");

    // A long answer is cut at the buffer, with its terminator.
    std::string huge(3000, 'x');
    std::memset(text, 'z', sizeof text);
    formatRendererInfo(text, huge.c_str(), "r", "v");
    EXPECT_EQ(std::strlen(text), kInfoTextSize - 1);
    EXPECT_EQ(std::string(text, 8), "Vendor: ");
}
