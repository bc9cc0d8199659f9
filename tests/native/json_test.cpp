#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "report/json.h"
#include "report/requirements.h"
#include "report/text.h"
#include "platform/utf.h"

using nlohmann::json;

namespace {

// Every JSON the tests make is checked against the published schema by a real
// validator, as a consumer would check it. Each call writes in a folder of its
// own, so that tests run at once (ctest -j, two checkouts) never share a file.
void expectValid(const std::vector<std::string>& documents) {
    std::string folder = ::testing::TempDir() + "gri-json-XXXXXX";
    ASSERT_NE(mkdtemp(&folder[0]), nullptr);
    std::string files;
    for (size_t i = 0; i < documents.size(); ++i) {
        const std::string path = folder + "/" + std::to_string(i) + ".json";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(documents[i].data(), 1, documents[i].size(), f);
        std::fclose(f);
        files += " '" + path + "'";
    }
    const std::string command = "/usr/bin/python3 " GRI_SOURCE_DIR "/scripts/validate-json.py " GRI_SOURCE_DIR
                                "/docs/report.schema.json" + files;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::system(("rm -rf '" + folder + "'").c_str());
}

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
    const json parsed = json::parse(formatJson(makeReport(facts)));
    ASSERT_EQ(parsed["drivers"].size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(parsed["drivers"][i]["name"].get<std::string>(), cases[i].parsed);
        EXPECT_EQ(parsed["opengl"]["extensions"][i].get<std::string>(), cases[i].parsed);
    }
    EXPECT_EQ(parsed["opengl"]["vendor"], cases[1].parsed);
    expectValid({formatJson(makeReport(facts))});
}

// Absent values are null, never made up; present ones keep their types.
TEST(Json, AbsentValuesAreNull) {
    ReportFacts bare;
    bare.openGlInitialised = false;
    const json none = json::parse(formatJson(makeReport(bare)));
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
    full.pixelFormat = PixelFormatFacts{3, 32, 6, 24, 8, 0x25};  // alpha and stencil told apart
    full.limits[0] = LimitReading{true, true, {16384, 0}};
    full.limits[3] = LimitReading{true, true, {16384, 8192}};
    full.limits[8] = LimitReading{true, true, {16, 0}};
    full.limits[5] = LimitReading{true, false, {0, 0}};  // asked, never written
    full.driverValues = {{"Software (MICROSOFT)", "OpenGL32.dll"}, {"Acme", "acme.dll"}};
    full.selectedDriverRow = 1;
    const json j = json::parse(formatJson(makeReport(full)));
    EXPECT_EQ(j["opengl"]["shading_language"], "4.50");
    EXPECT_EQ(j["opengl"]["limits"]["max_texture_size"], 16384);
    EXPECT_EQ(j["opengl"]["limits"]["max_viewport_dims"], json::array({16384, 8192}));
    EXPECT_EQ(j["opengl"]["limits"]["max_anisotropy"], 16);
    EXPECT_TRUE(j["opengl"]["limits"]["max_samples"].is_null());
    EXPECT_EQ(j["opengl"]["implementation"], "hardware");
    EXPECT_EQ(j["opengl"]["pixel_format"]["depth_bits"], 24);
    EXPECT_EQ(j["opengl"]["pixel_format"]["alpha_bits"], 6);
    EXPECT_EQ(j["opengl"]["pixel_format"]["stencil_bits"], 8);
    EXPECT_EQ(j["drivers"][1]["name"], "Acme");
    EXPECT_TRUE(j["drivers"][1]["selected"].get<bool>());
    EXPECT_FALSE(j["drivers"][0]["selected"].get<bool>());
    expectValid({formatJson(makeReport(bare)), formatJson(makeReport(full))});
}


// The states a real implementation seldom shows: each keeps its meaning in the
// JSON, and every document validates.
TEST(Json, EveryStateKeepsItsMeaningAndValidates) {
    ReportFacts refused;  // a core profile offered, every version refused
    refused.coreProfile.state = CoreProfileFacts::State::None;
    refused.videoMemory.source = VideoMemoryFacts::Source::Nvx;
    refused.videoMemory.dedicated = LimitReading{true, true, {8388608, 0}};      // 8 GiB in KiB
    refused.videoMemory.totalAvailable = LimitReading{true, true, {25165824, 0}};
    refused.extensions = {"GL_a", "", "GL_b", "WGL_x", "WGL_x"};
    refused.glExtensions = extensionNames("GL_a  GL_b GL_a WGL_x ");
    refused.wglExtensions = extensionNames(" WGL_x");
    // Paths the system gives as UTF-16, outside any 8-bit code page.
    const std::u16string path = u"C:\\tmp\\\u03A9mega\\\u62A5\\opengl32.dll";
    refused.openGlLibrary = utf16ToUtf8(path);
    refused.driverModule = DriverModuleFacts{true, utf16ToUtf8(path), "", utf16ToUtf8(u"Pilote \u00e9t\u00e9"), ""};
    Request asked;
    asked.requirements.hasVersion = true;
    asked.requirements.version = RequiredVersion{4, 1, true};  // major and minor told apart
    asked.requirements.extensions = {"GL_b"};

    const std::string text = formatJson(makeReport(refused, asked));
    const json j = json::parse(text);
    EXPECT_EQ(text.rfind("{\"schema_version\":5,", 0), 0u);
    EXPECT_TRUE(j["opengl"]["core_profile"]["offered"].get<bool>());
    EXPECT_TRUE(j["opengl"]["core_profile"]["version"].is_null());
    EXPECT_NE(text.find("\"dedicated_kib\":8388608,"), std::string::npos) << "a large number not written as an integer";
    EXPECT_EQ(j["opengl"]["video_memory"]["total_available_kib"], 25165824);
    EXPECT_EQ(j["opengl"]["extensions"], json::array({"GL_a", "GL_b", "WGL_x", "WGL_x"}));
    EXPECT_EQ(j["opengl"]["gl_extensions"], json::array({"GL_a", "GL_b", "WGL_x"}));
    EXPECT_EQ(j["opengl"]["wgl_extensions"], json::array({"WGL_x"}));
    EXPECT_EQ(j["opengl"]["library"], "C:\\tmp\\\xCE\xA9mega\\\xE6\x8A\xA5\\opengl32.dll");
    EXPECT_EQ(j["opengl"]["driver"]["company"], "Pilote \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(j["requirements"]["missing"], json::array({"OpenGL 4.1 core profile"}));
    EXPECT_FALSE(j["requirements"]["met"].get<bool>());
    EXPECT_EQ(j["requirements"]["required"]["version"], "4.1");

    ReportFacts bare;
    bare.openGlInitialised = false;
    expectValid({text, formatJson(makeReport(bare)), formatJson(makeReport(ReportFacts{}))});
    EXPECT_EQ(json::parse(formatJson(makeReport(bare))).count("requirements"), 0u);  // only when asked
}

// Whatever a driver or the system answers, the JSON matches its schema:
// negative, fractional, huge or missing numbers, odd bytes, any state. Facts
// made from a fixed seed, so that a failure repeats.
TEST(Json, GeneratedFactsAlwaysValidate) {
    std::mt19937 random(20261209);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::string texts[] = {"", "GDI Generic", "llvmpipe (LLVM 15)", "D3D12 (Adreno)", "zink (lavapipe)", "Microsoft Corporation", "\xff\xfe", "caf\xc3\xa9", "a\x01\"b\\", "VMware SVGA 3D",
                                 "NVIDIA GeForce RTX 3060/PCIe/SSE2", "4.6.0 NVIDIA", "1.1", "x.y"};
    const double numbers[] = {-5, -1, 0, 1, 1.5, 16384, 4294967295.0, 1e20, NAN, INFINITY, -INFINITY};
    const auto text = [&] { return texts[pick(std::size(texts))]; };
    const auto answer = [&] { return Answer{pick(3) != 0, text()}; };
    const auto reading = [&] { return LimitReading{pick(4) != 0, pick(4) != 0, {numbers[pick(std::size(numbers))], numbers[pick(std::size(numbers))]}}; };
    std::vector<std::string> documents;
    for (int n = 0; n < 300; ++n) {
        ReportFacts f;
        f.windowsMajor = random();
        f.platformId = static_cast<unsigned long>(pick(5));
        f.bitness = static_cast<Bitness>(pick(4));
        f.openGlInitialised = pick(4) != 0;
        f.vendor = answer();
        f.renderer = answer();
        f.version = answer();
        f.openGlLibrary = text();
        if (pick(4) == 0) f.openGlLibraryProblem = text();
        f.pixelFormat = PixelFormatFacts{pick(6) - 2, pick(80) - 5, pick(12) - 3, pick(40) - 5, pick(10) - 2, static_cast<std::uint32_t>(random())};
        for (int e = pick(4); e > 0; --e) f.extensions.push_back(text());
        f.glExtensions = extensionNames(text() + " " + text());
        for (int d = pick(4); d > 0; --d) f.driverValues.emplace_back(text(), text());
        f.selectedDriverRow = pick(6) - 2;
        f.driverModule = DriverModuleFacts{pick(2) != 0, text(), text(), text(), text()};
        f.shadingLanguage = answer();
        const auto functionCheck = [&]() {
            FunctionCheck c;
            c.checked = pick(3) != 0;
            c.reach = static_cast<FunctionCheck::Reach>(pick(3));
            c.upTo = GlVersion{pick(6), pick(7)};
            c.asked = pick(1100);
            c.resolved = pick(1100);
            for (int m = pick(3); m > 0; --m) c.missing.push_back(MissingFunction{text(), GlVersion{pick(6), pick(7)}});
            return c;
        };
        f.functions = functionCheck();
        f.glRegistry = pick(2) != 0 ? text() : std::string();
        f.coreProfile = CoreProfileFacts{static_cast<CoreProfileFacts::State>(pick(3)), answer(), answer(), functionCheck()};
        for (LimitReading& l : f.limits) l = reading();
        f.videoMemory.source = static_cast<VideoMemoryFacts::Source>(pick(4));
        f.videoMemory.dedicated = reading();
        f.videoMemory.totalAvailable = reading();
        f.videoMemory.currentAvailable = reading();
        f.videoMemory.atiFreeTexture = reading();
        f.videoMemory.wineVideoMemory = reading();
        f.pixelFormats = PixelFormatCounts{pick(600) - 3, pick(600) - 3, pick(600) - 3};
        f.rendererQuery = RendererQueryFacts{pick(2) != 0, reading(), reading(), reading(), reading()};
        for (int a = pick(4); a > 0; --a) {
            AdapterFacts adapter;
            adapter.name = text();
            adapter.primary = pick(2) != 0;
            adapter.attached = pick(2) != 0;
            adapter.provider = answer();
            adapter.openGlDriver = answer();
            adapter.openGlDriverWow = answer();
            adapter.vendorId = pick(3) == 0 ? 0 : static_cast<unsigned>(random());
            adapter.deviceId = static_cast<unsigned>(random());
            adapter.openGlInfo = OpenGlInfoFacts{pick(2) != 0, text(), static_cast<unsigned>(random()), static_cast<unsigned>(random())};
            f.adapters.push_back(adapter);
        }
        f.session = SessionFacts{pick(2) != 0, pick(2) != 0, answer(), answer(), pick(4) - 1};
        const unsigned machines[] = {0, kMachineX86, kMachineX64, kMachineArm64, 0x1C4};
        f.programMachine = machines[pick(5)];
        f.nativeMachine = machines[pick(5)];
        f.renderingTest.state = static_cast<FrameReading::State>(pick(3));
        f.renderingTest.glError = static_cast<unsigned>(random());
        for (int k = pick(5); k > 0; --k) {
            FrameSample sample;
            sample.face = pick(7) - 1;
            for (std::uint8_t& c : sample.rgb) c = static_cast<std::uint8_t>(random());
            f.renderingTest.samples.push_back(sample);
        }
        f.tool = ToolFacts{pick(2) != 0, pick(2) != 0, pick(4) - 1};
        f.gpuRolesReported = pick(2) != 0;
        f.applicationAsked = pick(3) == 0;
        f.application.path = text();
        f.application.name = text();
        f.application.image.machine = machines[pick(5)];
        f.application.image.nvOptimusEnablement = ExportedValue{pick(2) != 0, static_cast<std::uint32_t>(random())};
        f.application.manifestFrom = static_cast<ApplicationFacts::ManifestFrom>(pick(3));
        f.application.gpuPreference = pick(5) - 1;
        f.application.image.hasClrHeader = pick(2) == 0;
        f.application.image.clrFlags = static_cast<std::uint32_t>(random());
        f.application.image.plus = pick(2) == 0;
        for (int b = pick(3); b > 0; --b) f.application.beside.push_back(BesideDll{text(), text(), text(), text(), machines[pick(5)]});
        for (int l = pick(3); l > 0; --l) f.application.layers.push_back(text());
        Request request;
        if (pick(2) == 0) {
            request.requirements.hasVersion = parseRequiredVersion(pick(2) == 0 ? "3.3" : "4.6core", &request.requirements.version);
            request.requirements.extensions = {pick(2) == 0 ? "GL_ARB_x" : "WGL_caf\xc3\xa9"};
        }
        documents.push_back(formatJson(makeReport(f, request)));
    }
    expectValid(documents);
}

// Text beyond the Basic Multilingual Plane, both ways, against reference
// encodings; a lone or reversed surrogate is U+FFFD, never passed on.
TEST(Utf, ConvertsBeyondTheBasicPlaneAndRefusesLoneSurrogates) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::u16string, std::string> cases[] = {
        {u"\xD834\xDD1E", "\xF0\x9D\x84\x9E"},        // U+1D11E, the G clef
        {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},        // U+1F600
        {u"\xD800\xDC00", "\xF0\x90\x80\x80"},        // U+10000, the first
        {u"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},        // U+10FFFF, the last
        {u"a\xD800" u"b", "a" + fffd + "b"},          // a lone high surrogate
        {u"a\xDC00" u"b", "a" + fffd + "b"},          // a lone low one
        {u"\xDC00\xD800", fffd + fffd},               // a pair the wrong way round
        {u"\xD834", fffd},                            // cut at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf16ToUtf8(c.first), c.second);
        if (c.second.find(fffd) == std::string::npos) {
            EXPECT_EQ(utf8ToUtf16(c.second), c.first);
            EXPECT_EQ(utf8ToWide(c.second).size(), sizeof(wchar_t) == 2 ? 2u : 1u);
            EXPECT_EQ(wideToUtf8(utf8ToWide(c.second)), c.second);
        }
    }
    for (char32_t code = 0x10000; code <= 0x10FFFF; code += 0x1357) {
        const std::u16string pair = {static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)),
                                     static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF))};
        EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(pair)), pair) << static_cast<unsigned long>(code);
    }
}

// Every pixel format row, each enumerated value to its own word in the JSON
// and the text table; "not reported" apart from "no".
TEST(Json, PixelFormatRowsSayEachValueAsItIs) {
    ReportFacts f;
    f.pixelFormatTable.source = PixelFormatTable::Source::Arb;
    const PixelFormatRow::Swap swaps[] = {PixelFormatRow::Swap::Exchange, PixelFormatRow::Swap::Copy, PixelFormatRow::Swap::Undefined,
                                          PixelFormatRow::Swap::Unknown};
    const int srgb[] = {1, 0, -1, 1};
    const PixelFormatRow::Type types[] = {PixelFormatRow::Type::Rgba, PixelFormatRow::Type::ColourIndex, PixelFormatRow::Type::Float,
                                          PixelFormatRow::Type::Unknown};
    for (int k = 0; k < 4; ++k) {
        PixelFormatRow row;
        row.index = k + 1;
        row.swap = swaps[k];
        row.srgb = srgb[k];
        row.type = types[k];
        f.pixelFormatTable.rows.push_back(row);
    }
    Request listed;
    listed.listPixelFormats = true;
    const Report report = makeReport(f, listed);
    const json j = json::parse(formatJson(report));
    const json& rows = j["pixel_formats"];
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0]["swap_method"], "exchange");
    EXPECT_EQ(rows[1]["swap_method"], "copy");
    EXPECT_EQ(rows[2]["swap_method"], "undefined");
    EXPECT_TRUE(rows[3]["swap_method"].is_null());
    EXPECT_EQ(rows[0]["srgb_capable"], true);
    EXPECT_EQ(rows[1]["srgb_capable"], false);
    EXPECT_TRUE(rows[2]["srgb_capable"].is_null());
    const std::string text = formatReport(report);
    // A row: the mark of the dialog's format, then the index right-aligned in the columns 4 to 7.
    const auto rowLine = [&text](int index) {
        char start[16];
        std::snprintf(start, sizeof start, "\r\n    %4d ", index);
        const std::size_t at = text.find(start);
        return at == std::string::npos ? std::string("?not found") : text.substr(at + 2, text.find("\r\n", at + 2) - at - 2);
    };
    EXPECT_EQ(rowLine(1).back(), 'y') << rowLine(1);
    EXPECT_EQ(rowLine(2).back(), '-') << rowLine(2);
    EXPECT_EQ(rowLine(3).back(), '?') << rowLine(3);
    EXPECT_EQ(rowLine(4).substr(0, 4), "    ") << rowLine(4);
    EXPECT_NE(text.find("      id accel draw api db st swap type  col  r  g  b  a dep ste accum aux   ms srgb\r\n"), std::string::npos);
    expectValid({formatJson(report)});
}

// The fleet page's examples read only keys the schema has: `$r.a.b[0].c` and
// `session.measurable` as written in its code and its words.
TEST(Json, TheFleetPageReadsOnlyKeysTheSchemaHas) {
    std::ifstream page(GRI_SOURCE_DIR "/docs/fleets.md");
    std::stringstream text;
    text << page.rdbuf();
    std::ifstream schemaFile(GRI_SOURCE_DIR "/docs/report.schema.json");
    const json schema = json::parse(schemaFile);
    const std::string all = text.str();
    int read = 0;
    for (std::size_t at = all.find("$r."); at != std::string::npos; at = all.find("$r.", at + 1)) {
        std::size_t end = at + 3;
        while (end < all.size() && (std::isalnum(static_cast<unsigned char>(all[end])) || std::strchr("_.[]", all[end]) != nullptr)) ++end;
        std::string path = all.substr(at + 3, end - at - 3);
        while (!path.empty() && path.back() == '.') path.pop_back();
        const json* node = &schema;
        std::size_t from = 0;
        while (from <= path.size()) {
            std::size_t dot = path.find('.', from);
            if (dot == std::string::npos) dot = path.size();
            std::string key = path.substr(from, dot - from);
            const bool indexed = key.find('[') != std::string::npos;
            key = key.substr(0, key.find('['));
            ASSERT_TRUE(node->contains("properties") && (*node)["properties"].contains(key)) << "$r." << path << ": no " << key;
            node = &(*node)["properties"][key];
            if (indexed) {
                ASSERT_TRUE(node->contains("items")) << path;
                node = &(*node)["items"];
            }
            from = dot + 1;
        }
        ++read;
    }
    EXPECT_GE(read, 10);
    for (const char* key : {"session.measurable", "adapters[0].video_memory_bytes"}) {
        EXPECT_NE(all.find(key), std::string::npos) << key;
    }
}
