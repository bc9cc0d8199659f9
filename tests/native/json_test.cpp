#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "report/json.h"

using nlohmann::json;

namespace {

// As the system's text is handed over: the test's own bytes, untouched.
std::string asGiven(const std::string& text) { return text; }

}  // namespace

// Whatever the names hold, the output is JSON that a real parser reads back,
// with the text kept where it was valid and U+FFFD where it was not.
TEST(Json, EveryTextBecomesAValidString) {
    struct Case {
        std::string text;
        std::string parsed;  // what a parser reads back
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"say \"hi\" \\ back\\slash", "say \"hi\" \\ back\\slash"},
        {"tab\tnew\nline\r\x01\x1f\x7f", "tab\tnew\nline\r\x01\x1f\x7f"},
        {std::string("nul\0byte", 8), std::string("nul\0byte", 8)},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},  // valid UTF-8 stays
        {"Pilote \xe9t\xe9", "Pilote \xef\xbf\xbdt\xef\xbf\xbd"},                             // Latin-1 bytes
        {"\x80 \xbf \xff", "\xef\xbf\xbd \xef\xbf\xbd \xef\xbf\xbd"},                          // stray bytes
        {"cut \xe2\x82", "cut \xef\xbf\xbd\xef\xbf\xbd"},
        {"overlong \xc0\xaf \xe0\x80\xaf", "overlong \xef\xbf\xbd\xef\xbf\xbd \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"surrogate \xed\xa0\x80", "surrogate \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"past \xf4\x90\x80\x80", "past \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
    };
    ReportFacts facts;
    for (const Case& c : cases) {
        facts.driverValues.emplace_back(c.text, c.text);
        facts.extensions.push_back(c.text);
    }
    facts.vendor = Answer{true, cases[1].text};
    const json parsed = json::parse(formatJson(facts, asGiven));
    ASSERT_EQ(parsed["drivers"].size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(parsed["drivers"][i]["name"].get<std::string>(), cases[i].parsed);
        EXPECT_EQ(parsed["opengl"]["extensions"][i].get<std::string>(), cases[i].parsed);
    }
    EXPECT_EQ(parsed["opengl"]["vendor"], cases[1].parsed);
}

// Absent values are null, never made up; present ones keep their types.
TEST(Json, AbsentValuesAreNull) {
    ReportFacts bare;
    bare.openGlInitialised = false;
    const json none = json::parse(formatJson(bare, asGiven));
    for (const char* key : {"program", "windows", "opengl", "drivers"}) EXPECT_TRUE(none.contains(key)) << key;
    const json& gl = none["opengl"];
    for (const char* key : {"library", "vendor", "renderer", "version", "shading_language", "pixel_format",
                            "implementation", "pixel_formats", "driver", "video_memory"}) {
        EXPECT_TRUE(gl.at(key).is_null()) << key;
    }
    EXPECT_FALSE(gl["initialised"].get<bool>());
    EXPECT_FALSE(gl["core_profile"]["offered"].get<bool>());
    for (const Limit& limit : kLimits) EXPECT_TRUE(gl["limits"].at(limit.key).is_null()) << limit.key;
    EXPECT_TRUE(gl["extensions"].is_array());

    ReportFacts full;
    full.version = Answer{true, "4.5 Core"};
    full.shadingLanguage = Answer{true, "4.50"};
    full.pixelFormat = PixelFormatFacts{3, 32, 8, 24, 8, 0x25};
    full.limits[0] = LimitReading{true, true, {16384, 0}};
    full.limits[3] = LimitReading{true, true, {16384, 8192}};
    full.limits[8] = LimitReading{true, true, {16, 0}};
    full.limits[5] = LimitReading{true, false, {0, 0}};  // asked, never written
    full.driverValues = {{"Software (MICROSOFT)", "OpenGL32.dll"}, {"Acme", "acme.dll"}};
    full.selectedDriverRow = 1;
    const json j = json::parse(formatJson(full, asGiven));
    EXPECT_EQ(j["opengl"]["shading_language"], "4.50");
    EXPECT_EQ(j["opengl"]["limits"]["max_texture_size"], 16384);
    EXPECT_EQ(j["opengl"]["limits"]["max_viewport_dims"], json::array({16384, 8192}));
    EXPECT_EQ(j["opengl"]["limits"]["max_anisotropy"], 16);
    EXPECT_TRUE(j["opengl"]["limits"]["max_samples"].is_null());
    EXPECT_EQ(j["opengl"]["implementation"], "hardware");
    EXPECT_EQ(j["opengl"]["pixel_format"]["depth_bits"], 24);
    EXPECT_EQ(j["drivers"][1]["name"], "Acme");
    EXPECT_TRUE(j["drivers"][1]["selected"].get<bool>());
    EXPECT_FALSE(j["drivers"][0]["selected"].get<bool>());
}
