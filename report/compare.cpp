#include "report/compare.h"

#include <cmath>
#include <cstdio>
#include <set>

#include "platform/ascii.h"
#include "report/diagnosis.h"
#include "report/facts.h"
#include "report/schema.h"
#include "res/version.h"

namespace {

// A value down a path of keys: null itself where a step on the way is null
// (a driver that is not reported has no path either), absent (nullptr) only
// where a key is missing, as in an older schema.
const JsonValue* at(const JsonValue* v, std::initializer_list<const char*> path) {
    static const JsonValue kNull;
    for (const char* key : path) {
        if (v == nullptr) return nullptr;
        if (v->isNull()) return &kNull;
        v = v->get(key);
    }
    return v;
}

// A value as the text a reader compares: a number without needless digits,
// arrays joined as the report's text writes viewport sizes.
std::string asText(const JsonValue& v) {
    switch (v.type) {
    case JsonValue::Type::Boolean: return v.boolean ? "yes" : "no";
    case JsonValue::Type::Number: {
        char text[40];
        if (std::fabs(v.number) < 1e15 && v.number == std::floor(v.number)) {
            std::snprintf(text, sizeof text, "%.0f", v.number);
        } else {
            std::snprintf(text, sizeof text, "%g", v.number);
        }
        return text;
    }
    case JsonValue::Type::String: return v.text;
    case JsonValue::Type::Array: {
        std::string out;
        for (const JsonValue& item : v.items) out += (out.empty() ? "" : " x ") + asText(item);
        return out;
    }
    default: return std::string();
    }
}

// One side of a compared field: there or not (an older schema), given or null.
struct Side {
    bool present = false;
    bool given = false;
    std::string text;
    const JsonValue* number = nullptr;  // a plain number, for which way a limit went
};

Side side(const JsonValue* v) {
    Side s;
    s.present = v != nullptr;
    s.given = v != nullptr && !v->isNull();
    if (s.given) s.text = asText(*v);
    if (s.given && v->type == JsonValue::Type::Number) s.number = v;
    return s;
}

// A driver date read in ISO 8601 whichever way the report wrote it: an older
// report kept the registry's month-day-year.
Side driverDate(const JsonValue* v) {
    Side s = side(v);
    const DriverDate date = isoDriverDate(s.text);
    if (s.given && date.understood) s.text = date.iso;
    return s;
}

// The rendering test in one value: passed or not, and what it saw.
Side renderingTest(const JsonValue* doc) {
    const JsonValue* test = at(doc, {"opengl", "rendering_test"});
    Side s = side(test);
    if (!s.given) return s;
    const JsonValue* passed = test->get("passed");
    const JsonValue* detail = test->get("detail");
    s.text = std::string(passed == nullptr || passed->isNull() ? "not made" : passed->boolean ? "passed" : "failed") +
             (detail != nullptr && !detail->text.empty() ? ": " + detail->text : "");
    return s;
}

// The core profile as the text report says it: not offered, none, or its version.
Side coreProfile(const JsonValue* doc) {
    const JsonValue* core = at(doc, {"opengl", "core_profile"});
    Side s = side(core);
    if (!s.given) return s;
    const JsonValue* offered = core->get("offered");
    const JsonValue* version = core->get("version");
    s.text = offered == nullptr || !offered->boolean ? "not offered" : version == nullptr || version->isNull() ? "none" : version->text;
    return s;
}

// Windows in one value: "6.1 build 7601".
Side windowsVersion(const JsonValue* doc) {
    const JsonValue* w = doc->get("windows");
    const JsonValue* major = at(w, {"major"});
    const JsonValue* minor = at(w, {"minor"});
    const JsonValue* build = at(w, {"build"});
    Side s;
    s.present = major != nullptr && minor != nullptr && build != nullptr;
    s.given = s.present;
    if (s.present) s.text = asText(*major) + "." + asText(*minor) + " build " + asText(*build);
    return s;
}

// Wine, or not: its version where it runs.
Side wine(const JsonValue* doc) {
    const JsonValue* w = at(doc, {"session", "wine"});
    Side s = side(w);
    s.given = s.present;
    s.text = s.present && !w->isNull() ? "Wine " + asText(at(w, {"version"}) != nullptr ? *at(w, {"version"}) : JsonValue()) : "no";
    return s;
}

class Comparer {
public:
    explicit Comparer(Changes* out) : out_(out) {}

    void field(const std::string& key, const std::string& label, const Side& was, const Side& now) {
        if (!was.present || !now.present) {
            if (!was.present && now.present) out_->missingInOlder.push_back(label);
            if (!now.present && was.present) out_->missingInNewer.push_back(label);
            return;
        }
        if (was.given == now.given && was.text == now.text) return;
        Change c;
        c.key = key;
        c.label = label;
        c.wasGiven = was.given;
        c.nowGiven = now.given;
        c.was = was.text;
        c.now = now.text;
        if (was.number != nullptr && now.number != nullptr) c.direction = now.number->number > was.number->number ? 1 : -1;
        out_->items.push_back(c);
    }

    void adapters(const JsonValue* was, const JsonValue* now) {
        if (was == nullptr || now == nullptr || was->type != JsonValue::Type::Array || now->type != JsonValue::Type::Array) {
            field("adapters", "Display adapters", side(was), side(now));
            return;
        }
        // Adapters are matched by name, the nth of a name with the nth.
        for (std::size_t k = 0; k < now->items.size(); ++k) {
            const std::string name = nameOf(now->items[k]);
            const JsonValue* before = named(*was, name, nthOf(*now, k));
            const std::string key = "adapters[\"" + name + "\"]";
            if (before == nullptr) {
                Change c;
                c.kind = Change::Kind::Added;
                c.key = key;
                c.label = "Display adapter added";
                c.nowGiven = true;
                c.now = name;
                out_->items.push_back(c);
                continue;
            }
            const std::string label = "Display adapter \"" + name + "\": ";
            const JsonValue& after = now->items[k];
            const char* const keys[][2] = {{"driver_version", "driver version"},
                                           {"opengl_driver", "OpenGLDriverName"},
                                           {"opengl_driver_wow", "OpenGLDriverNameWow"},
                                           {"video_memory_bytes", "video memory (bytes)"}};
            field(key + ".driver_date", label + "driver date", driverDate(before->get("driver_date")),
                  driverDate(after.get("driver_date")));
            for (const auto& k2 : keys) field(key + "." + k2[0], label + k2[1], side(before->get(k2[0])), side(after.get(k2[0])));
        }
        for (std::size_t k = 0; k < was->items.size(); ++k) {
            const std::string name = nameOf(was->items[k]);
            if (named(*now, name, nthOf(*was, k)) != nullptr) continue;
            Change c;
            c.kind = Change::Kind::Removed;
            c.key = "adapters[\"" + name + "\"]";
            c.label = "Display adapter removed";
            c.wasGiven = true;
            c.was = name;
            out_->items.push_back(c);
        }
    }

    void extensions(const JsonValue* was, const JsonValue* now) {
        if (was == nullptr || now == nullptr || was->type != JsonValue::Type::Array || now->type != JsonValue::Type::Array) {
            field("opengl.extensions", "Extensions", side(was), side(now));
            return;
        }
        difference(names(*was), names(*now), "", &out_->extensionsAdded, &out_->extensionsRemoved);
    }

    // The functions missing in a context: those that went missing, and those
    // that came back. A context not made has none missing.
    void functions(const JsonValue* was, const JsonValue* now, const char* label, const char* suffix) {
        const auto listed = [](const JsonValue* check) {
            const JsonValue* missing = check != nullptr ? check->get("missing") : nullptr;
            return missing != nullptr && missing->type == JsonValue::Type::Array ? names(*missing) : std::set<std::string>();
        };
        if (was == nullptr || now == nullptr) {
            field("opengl.functions", label, side(was), side(now));
            return;
        }
        difference(listed(was), listed(now), suffix, &out_->functionsGone, &out_->functionsBack);
    }

private:
    // A list's names: its strings, or its objects' "name".
    static std::set<std::string> names(const JsonValue& list) {
        std::set<std::string> out;
        for (const JsonValue& e : list.items) out.insert(e.type == JsonValue::Type::Object ? nameOf(e) : e.text);
        return out;
    }
    static void difference(const std::set<std::string>& before, const std::set<std::string>& after, const char* suffix,
                           std::vector<std::string>* added, std::vector<std::string>* removed) {
        for (const std::string& e : after) {
            if (before.count(e) == 0) added->push_back(e + suffix);
        }
        for (const std::string& e : before) {
            if (after.count(e) == 0) removed->push_back(e + suffix);
        }
    }
    static std::string nameOf(const JsonValue& adapter) {
        const JsonValue* n = adapter.get("name");
        return n != nullptr ? n->text : std::string();
    }
    static const JsonValue* named(const JsonValue& list, const std::string& name, int nth) {
        for (const JsonValue& a : list.items) {
            if (nameOf(a) == name && nth-- == 0) return &a;
        }
        return nullptr;
    }
    static int nthOf(const JsonValue& list, std::size_t k) {
        int nth = 0;
        for (std::size_t j = 0; j < k; ++j) nth += nameOf(list.items[j]) == nameOf(list.items[k]) ? 1 : 0;
        return nth;
    }

    Changes* out_;
};

std::string shown(bool given, const std::string& value) { return given ? "\"" + value + "\"" : "not reported"; }

}  // namespace

std::string textReportProblem(const std::string& bytes) {
    std::string text;
    if (!utf16ToUtf8(bytes.substr(0, 64), &text)) text = bytes.substr(0, 64);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    if (text.compare(0, 9, "Program: ") != 0) return std::string();
    return "it is the text report, not the JSON one: save the JSON with --json FILE, or as \"JSON report (*.json)\" in "
           "Save report, and compare that";
}

std::string reportProblem(const JsonValue& doc) {
    const JsonValue* version = doc.get("schema_version");
    const JsonValue* name = at(&doc, {"program", "name"});
    if (doc.type != JsonValue::Type::Object || version == nullptr || version->type != JsonValue::Type::Number ||
        version->number != std::floor(version->number) || version->number < 1) {
        return "it is JSON, but not a report of this program (no schema_version)";
    }
    if (version->number > kJsonSchemaVersion) {
        char text[128];
        std::snprintf(text, sizeof text, "it is a report of schema version %.0f, newer than this program reads (%d)",
                      std::fmin(version->number, 1e9), kJsonSchemaVersion);
        return text;
    }
    if (name == nullptr || name->text != GRI_PRODUCT_NAME || doc.get("summary") == nullptr || doc.get("opengl") == nullptr) {
        return doc.get("changes") != nullptr ? "it is a comparison of two reports, not a report"
                                             : "it is JSON, but not a report of this program";
    }
    return std::string();
}

Changes compareReports(const JsonValue& older, const JsonValue& newer) {
    Changes changes;
    const JsonValue* version = older.get("schema_version");
    changes.olderSchema = version != nullptr ? static_cast<int>(version->number) : 0;
    const JsonValue* made = older.get("made");
    if (made != nullptr && made->type == JsonValue::Type::String) changes.since = made->text;
    const JsonValue* newerMade = newer.get("made");
    if (newerMade != nullptr && newerMade->type == JsonValue::Type::String) changes.newerMade = newerMade->text;
    Comparer c(&changes);
    const auto path = [&](std::initializer_list<const char*> keys, const std::string& label) {
        std::string key;
        for (const char* k : keys) key += (key.empty() ? "" : ".") + std::string(k);
        c.field(key, label, side(at(&older, keys)), side(at(&newer, keys)));
    };
    path({"summary", "verdict"}, "Verdict");
    path({"summary", "text"}, "Summary");
    path({"opengl", "vendor"}, "Vendor");
    path({"opengl", "renderer"}, "Renderer");
    path({"opengl", "version"}, "Version");
    path({"opengl", "library"}, "OpenGL library");
    // The driver file: null where opengl32 served the context itself.
    path({"opengl", "driver", "path"}, "OpenGL driver");
    path({"opengl", "driver", "version"}, "OpenGL driver version");
    path({"opengl", "driver", "date"}, "OpenGL driver date");
    c.adapters(older.get("adapters"), newer.get("adapters"));
    path({"opengl", "shading_language"}, "Shading language");
    c.field("opengl.core_profile", "Core profile", coreProfile(&older), coreProfile(&newer));
    c.field("opengl.rendering_test", "Rendering test", renderingTest(&older), renderingTest(&newer));
    c.field("windows", "Windows", windowsVersion(&older), windowsVersion(&newer));
    path({"session", "remote"}, "Remote session");
    path({"session", "virtual_machine"}, "Virtual machine");
    c.field("session.wine", "Wine", wine(&older), wine(&newer));
    path({"session", "id"}, "Session");
    path({"session", "interactive_window_station"}, "Window station with a display");
    path({"session", "account"}, "Account");
    path({"session", "disconnected"}, "Disconnected session");
    // Every limit the report lists, as its JSON names it.
    for (const Limit& limit : kLimits) path({"opengl", "limits", limit.key}, limit.label);
    path({"opengl", "pixel_formats", "all"}, "Pixel formats in all");
    path({"opengl", "pixel_formats", "window_opengl"}, "Pixel formats that draw to a window with OpenGL");
    path({"opengl", "pixel_formats", "drivers_own"}, "Pixel formats a driver's own");
    c.extensions(at(&older, {"opengl", "extensions"}), at(&newer, {"opengl", "extensions"}));
    c.functions(at(&older, {"opengl", "functions"}), at(&newer, {"opengl", "functions"}), "Functions", "");
    c.functions(at(&older, {"opengl", "core_profile", "functions"}), at(&newer, {"opengl", "core_profile", "functions"}),
                "Core profile functions", " (core profile)");
    // What --app said, where both checked the same program.
    const JsonValue* a = at(&older, {"application", "path"});
    const JsonValue* b = at(&newer, {"application", "path"});
    if (a != nullptr && b != nullptr && asciiLower(a->text) == asciiLower(b->text)) {
        path({"application", "summary"}, "What --app said of " + b->text);
        path({"application", "runs_as"}, "How " + b->text + " runs");
    }
    return changes;
}

std::string changesText(const Changes& ch) {
    // Each file's date beside its own name.
    const auto made = [](const std::string& when, const char* which) {
        return " (" + (when.empty() ? "the " + std::string(which) + " report does not say when it was made" : "made " + when) + ")";
    };
    std::string out = "Changes since " + ch.file + made(ch.since, "older") +
                      (ch.newerFile.empty() ? std::string() : ", in " + ch.newerFile + made(ch.newerMade, "newer")) + ":\r\n";
    for (const Change& c : ch.items) {
        if (c.kind == Change::Kind::Added) {
            out += "  " + c.label + ": \"" + c.now + "\"\r\n";
        } else if (c.kind == Change::Kind::Removed) {
            out += "  " + c.label + ": \"" + c.was + "\"\r\n";
        } else {
            out += "  " + c.label + ": was " + shown(c.wasGiven, c.was) + ", now " + shown(c.nowGiven, c.now) +
                   (c.direction > 0 ? " (up)" : c.direction < 0 ? " (down)" : "") + "\r\n";
        }
    }
    const auto list = [&out](const char* what, const std::vector<std::string>& names) {
        if (names.empty()) return;
        out += "  " + std::string(what) + " (" + std::to_string(names.size()) + "):";
        for (std::size_t k = 0; k < names.size(); ++k) out += (k == 0 ? " " : ", ") + names[k];
        out += "\r\n";
    };
    list("Extensions added", ch.extensionsAdded);
    list("Extensions removed", ch.extensionsRemoved);
    list("Functions gone missing", ch.functionsGone);
    list("Functions back", ch.functionsBack);
    if (!ch.any()) out += "  No change in anything the report compares.\r\n";
    const auto missing = [&out](const char* where, const std::vector<std::string>& labels) {
        if (labels.empty()) return;
        out += "  Not in the " + std::string(where) + " report:";
        for (std::size_t k = 0; k < labels.size(); ++k) out += (k == 0 ? " " : ", ") + labels[k];
        out += "\r\n";
    };
    missing("older", ch.missingInOlder);
    missing("newer", ch.missingInNewer);
    return out;
}
