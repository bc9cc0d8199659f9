#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>
#include <sstream>

#include "report/compare.h"
#include "report/json.h"
#include "report/json_reader.h"
#include "report/text.h"

namespace {

// A report with a value in every compared field, as this program writes it.
ReportFacts machine() {
    ReportFacts f;
    f.madeAt = "2026-12-01T08:00:00Z";
    f.programName = "OpenGL Renderer infos";
    f.programVersion = "1.0.0.11";
    f.windowsMajor = 10;
    f.windowsBuild = 19045;
    f.platformId = 2;
    f.vendor = Answer{true, "NVIDIA Corporation"};
    f.renderer = Answer{true, "NVIDIA GeForce RTX 3060/PCIe/SSE2"};
    f.version = Answer{true, "4.6.0 NVIDIA 546.33"};
    f.openGlLibrary = "C:\\Windows\\SYSTEM32\\opengl32.dll";
    f.driverModule = DriverModuleFacts{true, "C:\\Windows\\System32\\nvoglv64.dll", "31.0.15.4633", "NVIDIA Corporation", "2023-12-01"};
    f.shadingLanguage = Answer{true, "4.60 NVIDIA"};
    f.coreProfile.state = CoreProfileFacts::State::Made;
    f.coreProfile.version = Answer{true, "4.6.0 NVIDIA 546.33"};
    f.glExtensions = {"GL_ARB_a", "GL_ARB_b", "GL_ARB_c"};
    f.extensions = {"GL_ARB_a", "GL_ARB_b", "GL_ARB_c", "WGL_ARB_x"};
    f.limits[0] = LimitReading{true, true, {32768, 0}};
    f.limits[3] = LimitReading{true, true, {32768, 32768}};
    f.pixelFormats = PixelFormatCounts{120, 100, 96};
    f.pixelFormat.index = 7;
    f.pixelFormat.flags = 0x25;
    AdapterFacts a;
    a.name = "NVIDIA GeForce RTX 3060";
    a.primary = a.attached = true;
    a.driverVersion = Answer{true, "31.0.15.4633"};
    a.driverDate = Answer{true, "12-1-2023"};
    a.openGlDriver = Answer{true, "nvoglv64.dll"};
    a.openGlDriverWow = Answer{true, "nvoglv32.dll"};
    a.memoryReported = true;
    a.memoryBytes = 8ull << 30;
    f.adapters = {a};
    f.session.sessionId = 1;
    f.session.interactiveStation = 1;
    f.session.account = SessionFacts::Account::Other;
    return f;
}

JsonValue asRead(const ReportFacts& f) {
    const JsonReading r = readJson(formatJson(makeReport(f)));
    EXPECT_TRUE(r.read) << r.problem;
    return r.value;
}

Changes between(const ReportFacts& older, const ReportFacts& newer) { return compareReports(asRead(older), asRead(newer)); }

}  // namespace

// Each compared field, changed alone, is the one change named; order and the
// time a report was made are none.
TEST(Compare, NamesEachFieldThatChangedAndNothingElse) {
    const ReportFacts base = machine();
    const struct {
        const char* what;
        std::function<void(ReportFacts&)> change;
        std::string label;
        std::string was, now;
    } cases[] = {
        {"the renderer", [](ReportFacts& f) { f.renderer.text = "GDI Generic"; }, "Renderer", "NVIDIA GeForce RTX 3060/PCIe/SSE2",
         "GDI Generic"},
        {"the vendor", [](ReportFacts& f) { f.vendor.text = "Microsoft Corporation"; }, "Vendor", "NVIDIA Corporation", "Microsoft Corporation"},
        {"the version", [](ReportFacts& f) { f.version.text = "4.5.0 NVIDIA 546.33"; }, "Version", "4.6.0 NVIDIA 546.33",
         "4.5.0 NVIDIA 546.33"},
        {"the library", [](ReportFacts& f) { f.openGlLibrary = "D:\\mesa\\opengl32.dll"; }, "OpenGL library",
         "C:\\Windows\\SYSTEM32\\opengl32.dll", "D:\\mesa\\opengl32.dll"},
        {"the driver's version", [](ReportFacts& f) { f.driverModule.version = "32.0.15.6094"; }, "OpenGL driver version",
         "31.0.15.4633", "32.0.15.6094"},
        {"the driver's date", [](ReportFacts& f) { f.driverModule.date = "2024-09-01"; }, "OpenGL driver date", "2023-12-01", "2024-09-01"},
        {"the adapter's driver version", [](ReportFacts& f) { f.adapters[0].driverVersion.text = "32.0.15.6094"; },
         "Display adapter \"NVIDIA GeForce RTX 3060\": driver version", "31.0.15.4633", "32.0.15.6094"},
        {"the adapter's memory", [](ReportFacts& f) { f.adapters[0].memoryBytes = 12ull << 30; },
         "Display adapter \"NVIDIA GeForce RTX 3060\": video memory (bytes)", "8589934592", "12884901888"},
        {"the session", [](ReportFacts& f) { f.session.sessionId = 0; }, "Session", "1", "0"},
        {"the window station", [](ReportFacts& f) { f.session.interactiveStation = 0; }, "Window station with a display", "yes",
         "no"},
        {"the account", [](ReportFacts& f) { f.session.account = SessionFacts::Account::LocalSystem; }, "Account", "other",
         "local_system"},
        {"a disconnected session", [](ReportFacts& f) { f.session.disconnected = true; }, "Disconnected session", "no", "yes"},
        {"the adapter's driver date", [](ReportFacts& f) { f.adapters[0].driverDate.text = "9-1-2024"; },
         "Display adapter \"NVIDIA GeForce RTX 3060\": driver date", "2023-12-01", "2024-09-01"},
        {"the adapter's OpenGL driver", [](ReportFacts& f) { f.adapters[0].openGlDriver = Answer(); },
         "Display adapter \"NVIDIA GeForce RTX 3060\": OpenGLDriverName", "nvoglv64.dll", ""},
        {"the Wow value", [](ReportFacts& f) { f.adapters[0].openGlDriverWow.text = "nvoglv32b.dll"; },
         "Display adapter \"NVIDIA GeForce RTX 3060\": OpenGLDriverNameWow", "nvoglv32.dll", "nvoglv32b.dll"},
        {"the shading language", [](ReportFacts& f) { f.shadingLanguage.text = "4.50"; }, "Shading language", "4.60 NVIDIA", "4.50"},
        {"the core profile", [](ReportFacts& f) { f.coreProfile = CoreProfileFacts{CoreProfileFacts::State::None, {}, {}, {}}; },
         "Core profile", "4.6.0 NVIDIA 546.33", "none"},
        {"Windows' build", [](ReportFacts& f) { f.windowsBuild = 22631; }, "Windows", "10.0 build 19045", "10.0 build 22631"},
        {"Windows' minor version", [](ReportFacts& f) { f.windowsMinor = 3; }, "Windows", "10.0 build 19045", "10.3 build 19045"},
        {"a remote session", [](ReportFacts& f) { f.session.remote = true; }, "Remote session", "no", "yes"},
        {"Wine", [](ReportFacts& f) { f.session.wine = true; f.session.wineVersion = Answer{true, "9.0"}; }, "Wine", "no", "Wine 9.0"},
        {"a limit down", [](ReportFacts& f) { f.limits[0].values[0] = 16384; }, "Max texture size", "32768", "16384"},
        {"a two-value limit", [](ReportFacts& f) { f.limits[3].values[1] = 16384; }, "Max viewport dims", "32768 x 32768", "32768 x 16384"},
        {"pixel formats", [](ReportFacts& f) { f.pixelFormats.driversOwn = 0; }, "Pixel formats a driver's own", "96", "0"},
        {"pixel formats in all", [](ReportFacts& f) { f.pixelFormats.all = 121; }, "Pixel formats in all", "120", "121"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReportFacts newer = base;
        c.change(newer);
        const Changes ch = between(base, newer);
        // The summary and verdict follow some of these (and the rendering test, a session that
        // cannot be measured); the field itself is there, and nothing unrelated.
        const Change* found = nullptr;
        for (const Change& item : ch.items) {
            if (item.label == c.label) found = &item;
            EXPECT_TRUE(item.label == c.label || item.label == "Summary" || item.label == "Verdict" ||
                        item.label == "Rendering test")
                << item.label;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->was, c.was);
        EXPECT_EQ(found->now, c.now);
        EXPECT_TRUE(ch.extensionsAdded.empty() && ch.extensionsRemoved.empty());
    }
    // The verdict and summary, most important, come first.
    ReportFacts software = base;
    software.vendor.text = "Microsoft Corporation";
    software.renderer.text = "GDI Generic";
    software.version.text = "1.1.0";
    const Changes toSoftware = between(base, software);
    ASSERT_GE(toSoftware.items.size(), 5u);
    EXPECT_EQ(toSoftware.items[0].label, "Verdict");
    EXPECT_EQ(toSoftware.items[0].was, "hardware");
    EXPECT_EQ(toSoftware.items[0].now, "generic");
    EXPECT_EQ(toSoftware.items[1].label, "Summary");

    // Which way limits went; adapters added and removed; extensions each named.
    ReportFacts more = base;
    more.limits[0].values[0] = 65536;
    more.adapters[0].name = "NVIDIA GeForce RTX 4070";
    more.extensions = {"WGL_ARB_x", "GL_ARB_d", "GL_ARB_a"};
    const Changes moved = between(base, more);
    std::string kinds;
    for (const Change& c : moved.items) kinds += (c.kind == Change::Kind::Added ? "+" : c.kind == Change::Kind::Removed ? "-" : "~") + c.label + (c.direction > 0 ? "^" : c.direction < 0 ? "v" : "") + ";";
    EXPECT_EQ(kinds, "+Display adapter added;-Display adapter removed;~Max texture size^;");
    EXPECT_EQ(moved.extensionsAdded, std::vector<std::string>({"GL_ARB_d"}));
    EXPECT_EQ(moved.extensionsRemoved, std::vector<std::string>({"GL_ARB_b", "GL_ARB_c"}));
    const std::string text = changesText(moved);
    EXPECT_NE(text.find("\r\n  Display adapter added: \"NVIDIA GeForce RTX 4070\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n  Max texture size: was \"32768\", now \"65536\" (up)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n  Extensions removed (2): GL_ARB_b, GL_ARB_c\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("Changes since  (made 2026-12-01T08:00:00Z):\r\n", 0), 0u) << text;

    // Another time, extensions and adapters in another order: no change.
    ReportFacts later = base;
    later.madeAt = "2026-12-09T17:00:00Z";
    later.extensions = {"WGL_ARB_x", "GL_ARB_c", "GL_ARB_b", "GL_ARB_a"};
    const Changes none = between(base, later);
    EXPECT_FALSE(none.any());
    EXPECT_NE(changesText(none).find("\r\n  No change in anything the report compares.\r\n"), std::string::npos);
    // Two files: each dated by its own report, and a newer one without a date said so.
    Changes files = between(base, later);
    files.file = "old.json";
    files.newerFile = "new.json";
    EXPECT_EQ(changesText(files).rfind("Changes since old.json (made 2026-12-01T08:00:00Z), in new.json (made 2026-12-09T17:00:00Z):\r\n", 0), 0u)
        << changesText(files);
    files.newerMade.clear();
    EXPECT_NE(changesText(files).find("in new.json (the newer report does not say when it was made):"), std::string::npos);
    // Two adapters of one name are matched in their order, not as one.
    ReportFacts twin = base;
    twin.adapters.push_back(base.adapters[0]);
    ReportFacts twinChanged = twin;
    twinChanged.adapters[1].driverVersion.text = "1.0";
    ASSERT_EQ(between(twin, twinChanged).items.size(), 1u);
    const Changes oneGone = between(twin, base);
    ASSERT_EQ(oneGone.items.size(), 1u);
    EXPECT_EQ(oneGone.items[0].kind, Change::Kind::Removed);

    // Uneven reports: more adapters of one name in the newer one, in either
    // direction, are added or removed, never read past either list.
    ReportFacts three = base;
    three.adapters = {base.adapters[0], base.adapters[0], base.adapters[0]};
    three.adapters[2].driverVersion.text = "9.9";
    const Changes grown = between(base, three);
    ASSERT_EQ(grown.items.size(), 2u);
    EXPECT_TRUE(grown.items[0].kind == Change::Kind::Added && grown.items[1].kind == Change::Kind::Added);
    EXPECT_EQ(grown.items[1].now, "NVIDIA GeForce RTX 3060");
    const Changes shrunk = between(three, base);
    ASSERT_EQ(shrunk.items.size(), 2u);
    EXPECT_TRUE(shrunk.items[0].kind == Change::Kind::Removed && shrunk.items[1].kind == Change::Kind::Removed);
    ReportFacts noAdapters = base;
    noAdapters.adapters.clear();
    EXPECT_EQ(between(noAdapters, three).items.size(), 3u);
    // Only part of a report changed: extensions alone, one way or the other, are changes.
    for (const bool added : {true, false}) {
        ReportFacts moreExtensions = base;
        moreExtensions.extensions.push_back("GL_ARB_z");
        const Changes only = added ? between(base, moreExtensions) : between(moreExtensions, base);
        EXPECT_TRUE(only.any() && only.items.empty());
        EXPECT_EQ(changesText(only).find("No change"), std::string::npos) << changesText(only);
    }

    // An empty answer (as another writer may put it) and none at all read
    // alike as text, and are not alike.
    std::string emptyText = formatJson(makeReport(base));
    const std::string glsl = "\"shading_language\":\"4.60 NVIDIA\"";
    ASSERT_NE(emptyText.find(glsl), std::string::npos);
    emptyText.replace(emptyText.find(glsl), glsl.size(), "\"shading_language\":\"\"");
    ReportFacts unreported = base;
    unreported.shadingLanguage = Answer();
    const Changes emptied = compareReports(readJson(emptyText).value, asRead(unreported));
    ASSERT_EQ(emptied.items.size(), 1u);
    EXPECT_TRUE(emptied.items[0].wasGiven && !emptied.items[0].nowGiven);
    EXPECT_NE(changesText(emptied).find("Shading language: was \"\", now not reported"), std::string::npos) << changesText(emptied);

    // What --app said, where both checked the same program, in any case of its path.
    ReportFacts app = base;
    app.applicationAsked = true;
    app.application.path = "C:\\Games\\Game.exe";
    app.application.image.machine = 0x8664;
    ReportFacts appLater = app;
    appLater.application.path = "c:\\games\\game.exe";
    appLater.adapters[0].openGlDriver = Answer();
    bool said = false;
    for (const Change& c : between(app, appLater).items) said = said || c.label.rfind("What --app said of ", 0) == 0;
    EXPECT_TRUE(said);
    ReportFacts otherApp = appLater;
    otherApp.application.path = "C:\\Other.exe";
    for (const Change& c : between(app, otherApp).items) EXPECT_EQ(c.label.find("--app"), std::string::npos);
}

// An older report is read as far as its schema goes: what it lacks is said
// to be missing, never a change.
TEST(Compare, ReadsAnOlderReportAsFarAsItGoes) {
    nlohmann::json older = nlohmann::json::parse(formatJson(makeReport(machine())));
    older["schema_version"] = 2;
    older.erase("made");
    older["opengl"].erase("rendering_test");
    older["opengl"]["driver"].erase("date");
    const JsonReading read = readJson(older.dump());
    ASSERT_TRUE(read.read) << read.problem;
    EXPECT_EQ(reportProblem(read.value), "");
    const Changes ch = compareReports(read.value, asRead(machine()));
    EXPECT_FALSE(ch.any());
    EXPECT_EQ(ch.olderSchema, 2);
    EXPECT_EQ(ch.since, "");
    EXPECT_EQ(ch.missingInOlder, std::vector<std::string>({"OpenGL driver date", "Rendering test"}));
    const std::string text = changesText(ch);
    EXPECT_NE(text.find("(the older report does not say when it was made)"), std::string::npos);
    EXPECT_NE(text.find("\r\n  Not in the older report: OpenGL driver date, Rendering test\r\n"), std::string::npos) << text;
    // A schema 3 report kept the registry's month-day-year: the same date, no change.
    nlohmann::json dated = nlohmann::json::parse(formatJson(makeReport(machine())));
    ASSERT_EQ(dated["adapters"][0]["driver_date"], "2023-12-01");
    dated["adapters"][0]["driver_date"] = "12-1-2023";
    EXPECT_FALSE(compareReports(readJson(dated.dump()).value, asRead(machine())).any());
    dated["adapters"][0]["driver_date"] = "12-2-2023";
    const Changes redated = compareReports(readJson(dated.dump()).value, asRead(machine()));
    ASSERT_EQ(redated.items.size(), 1u);
    EXPECT_EQ(redated.items[0].was, "2023-12-02");
    // The other way round too, for two files of which the later is older.
    EXPECT_EQ(compareReports(asRead(machine()), read.value).missingInNewer.size(), 2u);
}

// What no report is, however it came, is refused with its reason.
TEST(Compare, RefusesWhatIsNoReportItReads) {
    const std::string report = formatJson(makeReport(machine()));
    std::string duplicated = report;
    duplicated.insert(1, "\"made\":null,");
    std::string deep = "{\"schema_version\":3,\"x\":";
    for (int k = 0; k < 10; ++k) deep += "[";
    deep += std::string(10, ']') + "}";
    std::string latin1 = report;
    latin1.replace(latin1.find("NVIDIA Corporation"), 6, "Pilote \xe9t\xe9");
    const struct {
        std::string bytes;
        std::string problem;  // its beginning
    } cases[] = {
        {"", "it is empty"},
        {"just some text", "it is not JSON: an unexpected character (at byte 0)"},
        {report.substr(0, report.size() / 2), "it is cut short"},
        {report + "x", "it is not JSON: something follows the document"},
        {duplicated, "it has the key \"made\" twice in one object"},
        {deep, "it nests deeper than a report does"},
        {latin1, "it is not UTF-8 text (at byte"},
        {"[1, 2]", "it is JSON, but not a report of this program (no schema_version)"},
        {"{\"schema_version\":3,\"program\":{\"name\":\"Another tool\"}}", "it is JSON, but not a report of this program"},
        {"{\"schema_version\":6,\"program\":{\"name\":\"OpenGL Renderer infos\"}}",
         "it is a report of schema version 6, newer than this program reads (5)"},
        {"{\"schema_version\":2.5}", "it is JSON, but not a report of this program (no schema_version)"},
        {formatChangesJson(Changes()), "it is a comparison of two reports, not a report"},
        {std::string(kMostJsonBytes + 1, ' '), "it is larger than 4 MiB"},
        {"{\"a\":\"\\ud800\"}", "it is not JSON: a lone surrogate"},
        {"{\"a\":01}", "it is not JSON: a missing comma"},
        {"{\"a\":1.}", "it is not JSON: a number without digits"},
        {"{\"a\" 1}", "it is not JSON: a missing colon"},
        {"{\"a\":\"\x01\"}", "it is not JSON: a control character in a string"},
    };
    for (const auto& c : cases) {
        const JsonReading r = readJson(c.bytes);
        const std::string problem = r.read ? reportProblem(r.value) : r.problem;
        EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << c.problem << " | " << problem;
    }
    // What it reads, it reads as written: escapes, pairs, a mark in front.
    const JsonReading text = readJson("\xEF\xBB\xBF{\"s\":\"a\\\"\\u00e9\\ud83d\\ude00\\/\",\"n\":-1.5e3,\"b\":[true,false,null]}");
    ASSERT_TRUE(text.read) << text.problem;
    EXPECT_EQ(text.value.get("s")->text, "a\"\xc3\xa9\xf0\x9f\x98\x80/");
    EXPECT_EQ(text.value.get("n")->number, -1500);
    EXPECT_EQ(text.value.get("b")->items.size(), 3u);
    EXPECT_EQ(text.value.get("missing"), nullptr);
    // The ends of each surrogate range: U+10000 and U+10FFFF; a high one before a non-surrogate is refused.
    const JsonReading ends = readJson("[\"\\ud800\\udc00\", \"\\udbff\\udfff\"]");
    ASSERT_TRUE(ends.read) << ends.problem;
    EXPECT_EQ(ends.value.items[0].text, "\xf0\x90\x80\x80");
    EXPECT_EQ(ends.value.items[1].text, "\xf4\x8f\xbf\xbf");
    EXPECT_FALSE(readJson("[\"\\udbff\\ue000\"]").read);
    // Each UTF-8 width at its ends, written as escapes and as bytes; overlong,
    // surrogate and past-U+10FFFF bytes refused.
    const std::pair<const char*, const char*> widths[] = {
        {"\\u007f", "\x7f"}, {"\\u0080", "\xc2\x80"}, {"\\u07ff", "\xdf\xbf"}, {"\\u0800", "\xe0\xa0\x80"}, {"\\uffff", "\xef\xbf\xbf"}};
    for (const auto& w : widths) {
        const JsonReading escaped = readJson(std::string("[\"") + w.first + "\"]");
        const JsonReading raw = readJson(std::string("[\"") + w.second + "\"]");
        ASSERT_TRUE(escaped.read && raw.read) << w.first;
        EXPECT_EQ(escaped.value.items[0].text, w.second) << w.first;
        EXPECT_EQ(raw.value.items[0].text, w.second) << w.first;
    }
    for (const char* bad : {"\xc0\x80", "\xc1\xbf", "\xe0\x9f\xbf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xf8\x88\x80\x80\x80", "\xe0\xa0"}) {
        EXPECT_FALSE(readJson(std::string("[\"") + bad + "\"]").read) << "bytes " << bad;
    }
    EXPECT_TRUE(readJson("[\"\xf4\x8f\xbf\xbf\"]").read);
    // Hex digits in either case; an escape cut short at the end.
    const JsonReading hex = readJson("[\"\\u00C9\\u00e9\\u00Af\"]");
    ASSERT_TRUE(hex.read) << hex.problem;
    EXPECT_EQ(hex.value.items[0].text, "\xc3\x89\xc3\xa9\xc2\xaf");
    for (const char* cut : {"[\"\\u00", "[\"\\u", "[\"\\u00e"}) EXPECT_EQ(readJson(cut).problem.rfind("it is cut short", 0), 0u) << cut;
    // The size at the limit and one past it.
    std::string largest = "[" + std::string(kMostJsonBytes - 2, ' ') + "]";
    EXPECT_TRUE(readJson(largest).read);
    largest.insert(1, " ");
    EXPECT_EQ(readJson(largest).problem.rfind("it is larger than 4 MiB", 0), 0u);
    // Nesting at the limit and one past it.
    const auto nested = [](int arrays) { return std::string(arrays, '[') + "1" + std::string(arrays, ']'); };
    int deepestRead = 0;
    while (deepestRead < 20 && readJson(nested(deepestRead + 1)).read) ++deepestRead;
    EXPECT_EQ(deepestRead, kDeepestJson - 1) << "the arrays and the number within them";
    EXPECT_TRUE(readJson(nested(2), 3).read);
    EXPECT_FALSE(readJson(nested(3), 3).read);
    EXPECT_FALSE(readJson("[\"\\udbff\\udbff\"]").read);
    // A report saved as UTF-16 by PowerShell, in either order, reads as the
    // same report; text that does not decode, and the text report, are refused.
    const std::string utf8 = formatJson(makeReport(machine()));
    for (const bool big : {false, true}) {
        std::string utf16 = big ? "\xFE\xFF" : "\xFF\xFE";
        std::string units;
        for (std::size_t k = 0; k < utf8.size(); ++k) units += big ? std::string(1, '\0') + utf8[k] : std::string(1, utf8[k]) + '\0';
        const JsonReading same = readJson(utf16 + units);
        ASSERT_TRUE(same.read) << same.problem;
        EXPECT_FALSE(compareReports(asRead(machine()), same.value).any());
        // Beyond ASCII: two-, three- and four-byte characters, the last from a surrogate pair.
        const unsigned short pieces[] = {'[', '"', 0xE9, 0x20AC, 0xD83D, 0xDE00, '"', ']'};
        std::string wideBytes = utf16;
        for (unsigned short u : pieces) {
            const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            wideBytes += big ? std::string{hi, lo} : std::string{lo, hi};
        }
        const JsonReading chars = readJson(wideBytes);
        ASSERT_TRUE(chars.read) << chars.problem;
        EXPECT_EQ(chars.value.items[0].text, "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
        EXPECT_FALSE(readJson(wideBytes.substr(0, wideBytes.size() - 1)).read) << "an odd byte";
        EXPECT_EQ(readJson(wideBytes + " ").problem.rfind("it is UTF-16 text that does not decode", 0), 0u) << "a byte past the last unit";
        // A high surrogate as the very last unit: refused, nothing read past the end.
        const std::string highLast = wideBytes.substr(0, 2 + 2 * 5);  // mark, '[', '"', two characters, the high surrogate
        EXPECT_EQ(readJson(highLast).problem.rfind("it is UTF-16 text that does not decode", 0), 0u);
        std::string lone = wideBytes;
        lone.erase(lone.size() - 8, 2);  // the low surrogate's unit gone
        EXPECT_EQ(readJson(lone).problem.rfind("it is UTF-16 text that does not decode", 0), 0u) << readJson(lone).problem;
    }
    ReportFacts plain = machine();
    const std::string textReport = "\xEF\xBB\xBF" + formatReport(makeReport(plain));
    EXPECT_EQ(textReportProblem(textReport).rfind("it is the text report, not the JSON one: save the JSON with --json FILE", 0), 0u);
    std::string textUtf16 = "\xFF\xFE";
    for (char c : formatReport(makeReport(plain)).substr(0, 40)) textUtf16 += std::string(1, c) + '\0';
    EXPECT_NE(textReportProblem(textUtf16), "");
    EXPECT_EQ(textReportProblem(utf8), "");
    EXPECT_EQ(textReportProblem("Programs: none"), "");
    // Deep enough for every report the schema describes, and no deeper.
    std::ifstream file(GRI_SOURCE_DIR "/docs/report.schema.json");
    std::stringstream schema;
    schema << file.rdbuf();
    const std::function<int(const nlohmann::json&)> depth = [&depth](const nlohmann::json& node) {
        int most = 1;
        if (node.contains("properties")) {
            for (const auto& child : node["properties"].items()) most = std::max(most, 1 + depth(child.value()));
        }
        if (node.contains("items")) most = std::max(most, 1 + depth(node["items"]));
        return most;
    };
    EXPECT_EQ(depth(nlohmann::json::parse(schema.str())), kDeepestJson);
}
