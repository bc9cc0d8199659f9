// The version claimed, proven: the table made from the Khronos registry, the
// check that asks for each function, and what the report makes of it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "report/compare.h"
#include "report/json.h"
#include "report/json_reader.h"
#include "report/report.h"
#include "report/text.h"
#include "report/words.h"

namespace {

std::string key(GlVersion v) { return versionNumber(v); }

// gl.xml read line by line, apart from the generator: each version's new
// functions, and the names the core profile removes.
struct Registry {
    std::map<std::string, int> newPerVersion;
    std::set<std::string> removedFromCore;
    std::set<std::string> requiredInCoreLater;  // required again in a core block after the removal
};

Registry readRegistry() {
    Registry r;
    std::ifstream xml(GRI_GL_XML);
    const std::regex feature(R"re(<feature api="gl" name="GL_VERSION_\d+_\d+" number="(\d+\.\d+)")re");
    const std::regex command(R"re(<command name="(gl\w+)"/>)re");
    std::string line, version, block;
    std::set<std::string> seen;
    for (std::smatch m; std::getline(xml, line);) {
        if (std::regex_search(line, m, feature)) version = m[1];
        if (line.find("</feature>") != std::string::npos) version.clear();
        if (line.find("<require") != std::string::npos) block = line;
        if (line.find("<remove") != std::string::npos) block = line;
        if (version.empty() || !std::regex_search(line, m, command)) continue;
        const std::string name = m[1];
        if (block.find("<remove") != std::string::npos) {
            r.removedFromCore.insert(name);
        } else if (seen.insert(name).second) {
            ++r.newPerVersion[version];
        } else if (r.removedFromCore.count(name) != 0 && block.find("compatibility") == std::string::npos) {
            r.requiredInCoreLater.insert(name);
        }
    }
    return r;
}

struct Table {
    std::map<std::string, int> perVersion;
    std::map<std::string, RegistryFunction> byName;
};

Table decoded() {
    Table t;
    forEachRegistryFunction(
        [](const RegistryFunction& f, void* to) {
            Table& table = *static_cast<Table*>(to);
            ++table.perVersion[key(f.version)];
            table.byName[f.name] = f;
        },
        &t);
    return t;
}

// A resolver that lacks the functions named, and records what it was asked.
struct Lookups {
    std::set<std::string> lacking;
    std::map<std::string, GlVersion> asked;
};
bool resolves(const char* name, GlVersion version, void* context) {
    Lookups& l = *static_cast<Lookups*>(context);
    l.asked[name] = version;
    return l.lacking.count(name) == 0;
}

FunctionCheck checked(const std::string& version, GlProfile profile, Lookups& lookups) {
    return checkFunctions(version, profile, resolves, &lookups);
}

ReportFacts claiming(const std::string& version, const std::set<std::string>& lacking, const std::set<std::string>& lackingInCore) {
    ReportFacts f;
    f.programName = "OpenGL Renderer infos";
    f.programVersion = "1.0.0.11";
    f.renderer = Answer{true, "Renderer"};
    f.version = Answer{true, version};
    f.pixelFormat.index = 3;
    f.pixelFormat.depthBits = 24;
    f.coreProfile.state = CoreProfileFacts::State::Made;
    f.coreProfile.version = Answer{true, version};
    Lookups dialog{lacking, {}}, core{lackingInCore, {}};
    f.functions = checked(version, GlProfile::Compatibility, dialog);
    f.coreProfile.functions = checked(version, GlProfile::Core, core);
    return f;
}

}  // namespace

TEST(Registry, TheTableHoldsWhatGlXmlLists) {
    const Registry xml = readRegistry();
    const Table table = decoded();
    ASSERT_FALSE(xml.newPerVersion.empty()) << GRI_GL_XML;
    EXPECT_EQ(table.perVersion, xml.newPerVersion);
    EXPECT_EQ(key(newestRegistryVersion()), xml.newPerVersion.rbegin()->first);
    // Removed for good from the core profile: never asked of it.
    ASSERT_GT(xml.removedFromCore.size(), 300u);
    for (const std::string& name : xml.removedFromCore) {
        const RegistryFunction& f = table.byName.at(name);
        if (xml.requiredInCoreLater.count(name) == 0) {
            EXPECT_EQ(f.core.major, 0) << name;
        } else {
            EXPECT_TRUE(atLeast(f.core, 3, 3)) << name << " is back in a later core profile";
        }
    }
    // Older functions the core profile keeps are in it from 3.2; newer ones from their own version.
    EXPECT_EQ(key(table.byName.at("glDrawArrays").core), "3.2");
    EXPECT_EQ(key(table.byName.at("glGetnTexImage").core), "4.5");
    EXPECT_EQ(key(table.byName.at("glGetnTexImage").version), "4.5");
    EXPECT_EQ(table.byName.at("glBegin").core.major, 0);
    EXPECT_NE(std::string(glRegistryRelease()), "");
}

TEST(Registry, EachFunctionOfTheVersionClaimedIsAskedOnce) {
    Lookups all;
    const FunctionCheck full = checked("4.5 (Compatibility Profile) Mesa 22.3.6", GlProfile::Compatibility, all);
    const Table table = decoded();
    int upTo45 = 0;
    for (const auto& v : table.perVersion) upTo45 += v.first != "4.6" ? v.second : 0;
    EXPECT_EQ(full.asked, upTo45);
    EXPECT_EQ(full.resolved, upTo45);
    EXPECT_EQ(static_cast<int>(all.asked.size()), upTo45);
    EXPECT_EQ(all.asked.count("glSpecializeShader"), 0u) << "a 4.6 function asked of 4.5";
    EXPECT_EQ(key(all.asked.at("glBegin")), "1.0") << "1.0's functions come from the library's exports";
    EXPECT_EQ(key(all.asked.at("glBindTexture")), "1.1");
    EXPECT_EQ(key(full.upTo), "4.5");
    EXPECT_EQ(full.reach, FunctionCheck::Reach::Claimed);

    // In the core profile: no removed function, nor one of the compatibility profile alone.
    Lookups core{{"glGetPointerv"}, {}};
    const FunctionCheck coreCheck = checked("4.2", GlProfile::Core, core);
    EXPECT_EQ(core.asked.count("glBegin"), 0u);
    EXPECT_EQ(core.asked.count("glVertexP2ui"), 0u);
    EXPECT_EQ(core.asked.count("glGetPointerv"), 0u) << "back in the core profile only from 4.3";
    EXPECT_EQ(core.asked.count("glDrawArrays"), 1u);
    EXPECT_TRUE(coreCheck.missing.empty());
    EXPECT_EQ(checked("4.3", GlProfile::Core, core).missing.size(), 1u);

    // Missing ones, by version and then by name, each with its version.
    Lookups lacking{{"glGetnTexImage", "glCreateBuffers", "glPointParameteri", "glAccum"}, {}};
    const FunctionCheck some = checked("4.5", GlProfile::Compatibility, lacking);
    ASSERT_EQ(some.missing.size(), 4u);
    EXPECT_EQ(some.missing[0].name + key(some.missing[0].version), "glAccum1.0");
    EXPECT_EQ(some.missing[1].name + key(some.missing[1].version), "glPointParameteri1.4");
    EXPECT_EQ(some.missing[2].name + key(some.missing[2].version), "glCreateBuffers4.5");
    EXPECT_EQ(some.missing[3].name + key(some.missing[3].version), "glGetnTexImage4.5");
    EXPECT_EQ(some.resolved, some.asked - 4);
}

TEST(Registry, AVersionThatDoesNotFitIsCheckedAsFarAsItCanBe) {
    struct Case {
        const char* version;
        FunctionCheck::Reach reach;
        const char* upTo;
    };
    const std::string newest = key(newestRegistryVersion());
    const Case cases[] = {
        {"5.0 Future", FunctionCheck::Reach::RegistryEnds, newest.c_str()},
        {"4.7", FunctionCheck::Reach::RegistryEnds, newest.c_str()},
        {"3.4 Odd", FunctionCheck::Reach::Claimed, "3.3"},
        {"1.0", FunctionCheck::Reach::Claimed, "1.0"},
        {"", FunctionCheck::Reach::VersionUnread, "1.1"},
        {"OpenGL ES 3.2", FunctionCheck::Reach::VersionUnread, "1.1"},
        {"0.9", FunctionCheck::Reach::VersionUnread, "1.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        Lookups l;
        const FunctionCheck check = checked(c.version, GlProfile::Compatibility, l);
        EXPECT_EQ(check.reach, c.reach);
        EXPECT_EQ(key(check.upTo), c.upTo);
        EXPECT_GT(check.asked, 0);
    }
}

TEST(Registry, TheNumbersSomeDriversAnswerAreNoFunction) {
    for (std::uintptr_t answer : {std::uintptr_t{0}, std::uintptr_t{1}, std::uintptr_t{2}, std::uintptr_t{3}, ~std::uintptr_t{0}}) {
        EXPECT_FALSE(isProcAddress(answer)) << answer;
    }
    static int somewhere;
    EXPECT_TRUE(isProcAddress(4));
    EXPECT_TRUE(isProcAddress(reinterpret_cast<std::uintptr_t>(&somewhere)));
    EXPECT_TRUE(isProcAddress(~std::uintptr_t{0} - 1));
}

TEST(Functions, TheReportSaysWhatResolvesAndWhatIsMissing) {
    EXPECT_EQ(grouped(0), "0");
    EXPECT_EQ(grouped(999), "999");
    EXPECT_EQ(grouped(1048), "1,048");
    EXPECT_EQ(grouped(1000000), "1,000,000");

    const std::string all = formatReport(makeReport(claiming("4.5 Driver", {}, {})));
    EXPECT_NE(all.find("\r\nFunctions: every function of OpenGL 1.0 to 4.5 resolves (1,044)\r\n"), std::string::npos) << all;
    EXPECT_NE(all.find("\r\nCore profile functions: every function of the OpenGL 4.5 core profile resolves ("), std::string::npos);
    EXPECT_EQ(all.find("does not fully have"), std::string::npos);

    const Report some = makeReport(claiming("4.5 Driver", {"glGetnTexImage", "glCreateBuffers", "glDrawArraysIndirect"},
                                            {"glGetnTexImage"}));
    const std::string text = formatReport(some);
    EXPECT_NE(text.find("\r\nFunctions: OpenGL 4.5 claimed, 3 of its functions missing: glDrawArraysIndirect (4.0), "
                        "glCreateBuffers (4.5), glGetnTexImage (4.5)\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\nCore profile functions: OpenGL 4.5 core profile claimed, 1 of its functions missing: glGetnTexImage (4.5)\r\n"),
              std::string::npos);
    EXPECT_NE(some.findings.summary.text.find(
                  " The driver claims OpenGL 4.5 but does not fully have it: 3 of its functions do not resolve (glDrawArraysIndirect "
                  "(4.0), glCreateBuffers (4.5), glGetnTexImage (4.5)). Its core profile claims OpenGL 4.5 but does not fully have "
                  "it: 1 of its functions does not resolve (glGetnTexImage (4.5))."),
              std::string::npos)
        << some.findings.summary.text;

    // Past twenty names, the text says how many more; the JSON lists them all.
    std::set<std::string> many;
    forEachRegistryFunction([](const RegistryFunction& f, void* to) {
        if (f.version.major == 2) static_cast<std::set<std::string>*>(to)->insert(f.name);
    }, &many);
    const Report lots = makeReport(claiming("2.1", many, {}));
    EXPECT_NE(formatReport(lots).find(", and " + std::to_string(many.size() - 20) + " more\r\n"), std::string::npos);
    EXPECT_NE(lots.findings.summary.text.find(", and " + std::to_string(many.size() - 3) + " more)."), std::string::npos);
    const nlohmann::json json = nlohmann::json::parse(formatJson(lots));
    EXPECT_EQ(json["opengl"]["functions"]["missing"].size(), many.size());
    EXPECT_EQ(json["opengl"]["functions"]["missing"][0]["version"], "2.0");
    EXPECT_EQ(json["opengl"]["functions"]["checked_up_to"], "2.1");
    EXPECT_EQ(json["opengl"]["functions"]["asked"].get<int>() - json["opengl"]["functions"]["resolved"].get<int>(),
              static_cast<int>(many.size()));

    // Where the claim could not be checked whole, the line says how far it went.
    const std::string future = formatReport(makeReport(claiming("5.0", {}, {})));
    EXPECT_NE(future.find("Functions: OpenGL 5.0 claimed; the registry this program knows goes to " + key(newestRegistryVersion()) +
                          ", checked that far: every function of OpenGL 1.0 to " + key(newestRegistryVersion())),
              std::string::npos);
    const std::string unread = formatReport(makeReport(claiming("Driver", {"glAccum"}, {})));
    EXPECT_NE(unread.find("Functions: the version string gives no version, so only OpenGL 1.0 and 1.1 are checked: 1 of its "
                          "functions missing: glAccum (1.0)\r\n"),
              std::string::npos)
        << unread;
    EXPECT_NE(formatReport(makeReport(claiming("1.1", {}, {}))).find("Functions: every function of OpenGL 1.0 and 1.1 resolves (336)"),
              std::string::npos);
    ReportFacts none = claiming("4.5", {}, {});
    none.functions = FunctionCheck();
    none.coreProfile.state = CoreProfileFacts::State::None;
    const std::string unchecked = formatReport(makeReport(none));
    EXPECT_EQ(unchecked.find("Functions:"), std::string::npos);
    EXPECT_EQ(unchecked.find("Core profile functions:"), std::string::npos);
    const nlohmann::json nulls = nlohmann::json::parse(formatJson(makeReport(none)));
    EXPECT_TRUE(nulls["opengl"]["functions"].is_null());
    EXPECT_TRUE(nulls["opengl"]["core_profile"]["functions"].is_null());
}

TEST(Functions, ARequirementFailsOnAMissingFunctionOfItsVersion) {
    const ReportFacts f = claiming("4.5", {"glGetnTexImage", "glPointParameteri"}, {"glDrawArraysIndirect"});
    struct Case {
        const char* required;
        const char* missing;  // empty: met
    };
    const Case cases[] = {
        {"4.5", "OpenGL 4.5 (2 of its functions do not resolve: glPointParameteri (1.4), glGetnTexImage (4.5))"},
        {"1.4", "OpenGL 1.4 (1 of its functions does not resolve: glPointParameteri (1.4))"},
        {"1.3", ""},
        {"3.3core", ""},
        {"4.0core", "OpenGL 4.0 core profile (1 of its functions does not resolve: glDrawArraysIndirect (4.0))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.required);
        Requirements r;
        r.hasVersion = parseRequiredVersion(c.required, &r.version);
        ASSERT_TRUE(r.hasVersion);
        const RequirementCheck check = checkRequirements(r, f, RenderingResult());
        EXPECT_EQ(check.met, std::string(c.missing).empty());
        EXPECT_EQ(check.missing, std::string(c.missing).empty() ? std::vector<std::string>() : std::vector<std::string>{c.missing});
    }
}

TEST(Functions, ACompareNamesFunctionsGoneAndBack) {
    const auto read = [](const ReportFacts& f) {
        const JsonReading r = readJson(formatJson(makeReport(f)));
        EXPECT_TRUE(r.read) << r.problem;
        return r.value;
    };
    const JsonValue before = read(claiming("4.5", {"glCreateBuffers"}, {"glGetnTexImage"}));
    const JsonValue after = read(claiming("4.5", {"glGetnTexImage", "glBindTextureUnit"}, {}));
    const Changes changes = compareReports(before, after);
    EXPECT_EQ(changes.functionsGone, (std::vector<std::string>{"glBindTextureUnit", "glGetnTexImage"}));
    EXPECT_EQ(changes.functionsBack, (std::vector<std::string>{"glCreateBuffers", "glGetnTexImage (core profile)"}));
    const std::string text = changesText(changes);
    EXPECT_NE(text.find("  Functions gone missing (2): glBindTextureUnit, glGetnTexImage\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  Functions back (2): glCreateBuffers, glGetnTexImage (core profile)\r\n"), std::string::npos);
    EXPECT_FALSE(compareReports(after, after).any());

    // A report from before the check says so, and counts nothing as changed.
    ReportFacts older = claiming("4.5", {}, {});
    std::string json = formatJson(makeReport(older));
    const std::size_t at = json.find("\"functions\":");
    json.erase(at, json.find("},", at) + 2 - at);
    const JsonReading old = readJson(json);
    ASSERT_TRUE(old.read) << old.problem;
    const Changes fromOld = compareReports(old.value, after);
    EXPECT_EQ(fromOld.missingInOlder, std::vector<std::string>{"Functions"});
    EXPECT_TRUE(fromOld.functionsGone.empty());
}
