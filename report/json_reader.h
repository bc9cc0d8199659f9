#pragma once
// A JSON document read back, as reports this program wrote are: strict
// RFC 8259 in UTF-8, bounded in size and depth, no key twice in an object.
// What it reads comes from anyone (a user's file, a desk's mail): every
// refusal says why, nothing is read past the bytes given. Rules only.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct JsonValue {
    enum class Type { Null, Boolean, Number, String, Array, Object } type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // a string's, UTF-8
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;  // in the document's order

    // A member of an object by key; null where there is none or this is no object.
    const JsonValue* get(const char* key) const;
    bool isNull() const { return type == Type::Null; }
};

// The largest document read, and the deepest nesting: a report nests seven
// deep (a missing function's object in its list, in the core profile's check,
// in the core profile, in "opengl", in the top one, and its values).
constexpr std::size_t kMostJsonBytes = 4 * 1024 * 1024;
constexpr int kDeepestJson = 7;

struct JsonReading {
    bool read = false;
    std::string problem;  // "it is not JSON (at byte 12: ...)", "it is cut short", ...
    JsonValue value;
};

// UTF-8, with or without its mark, or UTF-16 in either order after its mark;
// at most kMostJsonBytes as given.
[[nodiscard]] JsonReading readJson(const std::string& bytes, int deepest = kDeepestJson);

// UTF-16 after its byte-order mark (either order) as UTF-8; false where there
// is no mark or the text does not decode (an odd byte, a lone surrogate).
bool utf16ToUtf8(const std::string& bytes, std::string* utf8);

// The element an HTML report carries its JSON report in, as data.
constexpr char kReportDataOpen[] = "<script type=\"application/json\" id=\"gl-renderer-info-report\">";
constexpr char kReportDataClose[] = "</script>";

// The JSON report an HTML report of this program carries. `page` false: the
// bytes are no HTML page (they may be JSON); empty where the page holds none,
// or is cut short before its end.
std::string embeddedReport(const std::string& bytes, bool* page);
