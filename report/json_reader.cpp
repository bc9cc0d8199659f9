#include "report/json_reader.h"

#include <cstdio>
#include <set>

#include "platform/utf.h"

const JsonValue* JsonValue::get(const char* key) const {
    if (type != Type::Object) return nullptr;
    for (const auto& m : members) {
        if (m.first == key) return &m.second;
    }
    return nullptr;
}

namespace {

class Parser {
public:
    Parser(const std::string& b, int deepest) : b_(b), deepest_(deepest) {}

    JsonReading run() {
        JsonReading reading;
        // An editor may put a byte-order mark in front.
        if (b_.compare(0, 3, "\xEF\xBB\xBF") == 0) i_ = 3;
        space();
        if (i_ >= b_.size()) return refused(b_.empty() || i_ == 3 ? "it is empty" : "it is cut short");
        if (!value(&reading.value, 1)) return refused(problem_);
        space();
        if (i_ < b_.size()) return refused(at("something follows the document"));
        reading.read = true;
        return reading;
    }

private:
    JsonReading refused(const std::string& why) {
        JsonReading reading;
        reading.problem = why;
        return reading;
    }

    std::string where() const {
        char text[48];
        std::snprintf(text, sizeof text, " (at byte %lu)", static_cast<unsigned long>(i_));
        return text;
    }
    std::string at(const char* what) const { return std::string("it is not JSON: ") + what + where(); }

    bool fail(const std::string& why) {
        if (problem_.empty()) problem_ = why;
        return false;
    }
    bool end() { return fail("it is cut short"); }

    void space() {
        while (i_ < b_.size() && (b_[i_] == ' ' || b_[i_] == '\t' || b_[i_] == '\n' || b_[i_] == '\r')) ++i_;
    }

    bool literal(const char* word) {
        for (std::size_t k = 0; word[k] != 0; ++k, ++i_) {
            if (i_ >= b_.size()) return end();
            if (b_[i_] != word[k]) return fail(at("an unknown word"));
        }
        return true;
    }

    bool value(JsonValue* v, int depth) {
        if (depth > deepest_) return fail("it nests deeper than a report does");
        space();
        if (i_ >= b_.size()) return end();
        const char c = b_[i_];
        if (c == '{') return object(v, depth);
        if (c == '[') return array(v, depth);
        if (c == '"') {
            v->type = JsonValue::Type::String;
            return string(&v->text);
        }
        if (c == 't' || c == 'f') {
            v->type = JsonValue::Type::Boolean;
            v->boolean = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            v->type = JsonValue::Type::Null;
            return literal("null");
        }
        if (c == '-' || (c >= '0' && c <= '9')) return number(v);
        return fail(at("an unexpected character"));
    }

    bool digits() {
        const std::size_t from = i_;
        while (i_ < b_.size() && b_[i_] >= '0' && b_[i_] <= '9') ++i_;
        if (i_ == from) return i_ >= b_.size() ? end() : fail(at("a number without digits"));
        return true;
    }

    bool number(JsonValue* v) {
        const std::size_t from = i_;
        if (b_[i_] == '-') ++i_;
        if (i_ < b_.size() && b_[i_] == '0') {
            ++i_;
        } else if (!digits()) {
            return false;
        }
        if (i_ < b_.size() && b_[i_] == '.') {
            ++i_;
            if (!digits()) return false;
        }
        if (i_ < b_.size() && (b_[i_] == 'e' || b_[i_] == 'E')) {
            ++i_;
            if (i_ < b_.size() && (b_[i_] == '+' || b_[i_] == '-')) ++i_;
            if (!digits()) return false;
        }
        if (i_ - from > 64) return fail(at("a number too long"));
        v->type = JsonValue::Type::Number;
        v->number = numberOf(from, i_);
        return true;
    }

    // The value of a number already checked against the grammar. Whole
    // numbers up to 2^53, which every count in a report is, come out exact;
    // fractions to about 15 digits, alike for both reports compared. (The C
    // runtime's strtod would weigh more than this whole reader.)
    double numberOf(std::size_t from, std::size_t to) const {
        std::size_t k = from;
        const bool negative = b_[k] == '-';
        if (negative) ++k;
        double value = 0;
        int exponent = 0;
        int digits = 0;
        for (; k < to && b_[k] >= '0' && b_[k] <= '9'; ++k) {
            if (digits < 18) {
                value = value * 10 + (b_[k] - '0');
                if (value != 0) ++digits;
            } else {
                ++exponent;
            }
        }
        if (k < to && b_[k] == '.') {
            for (++k; k < to && b_[k] >= '0' && b_[k] <= '9'; ++k) {
                if (digits < 18) {
                    value = value * 10 + (b_[k] - '0');
                    if (value != 0) ++digits;
                    --exponent;
                }
            }
        }
        if (k < to && (b_[k] == 'e' || b_[k] == 'E')) {
            ++k;
            const bool down = k < to && b_[k] == '-';
            if (k < to && (b_[k] == '+' || b_[k] == '-')) ++k;
            int e = 0;
            for (; k < to; ++k) e = e < 100000 ? e * 10 + (b_[k] - '0') : e;
            exponent += down ? -e : e;
        }
        // Past what a double holds, it is 0 or as large as one can be.
        if (value == 0 || exponent < -400) return negative ? -0.0 : 0.0;
        if (exponent > 400) return negative ? -1e308 * 10 : 1e308 * 10;
        for (; exponent > 0; --exponent) value *= 10;
        for (; exponent < 0; ++exponent) value /= 10;
        return negative ? -value : value;
    }

    static int hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    bool unit(unsigned* u) {
        if (i_ + 4 > b_.size()) return end();
        *u = 0;
        for (int k = 0; k < 4; ++k) {
            const int h = hex(b_[i_++]);
            if (h < 0) return fail(at("a bad \\u escape"));
            *u = *u << 4 | static_cast<unsigned>(h);
        }
        return true;
    }

    static void put(std::string* out, unsigned cp) {
        if (cp < 0x80) {
            *out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            *out += static_cast<char>(0xC0 | cp >> 6);
            *out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            *out += static_cast<char>(0xE0 | cp >> 12);
            *out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            *out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            *out += static_cast<char>(0xF0 | cp >> 18);
            *out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            *out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            *out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    bool string(std::string* out) {
        ++i_;  // the opening quote
        for (;;) {
            if (i_ >= b_.size()) return end();
            const unsigned char c = static_cast<unsigned char>(b_[i_]);
            if (c == '"') {
                ++i_;
                return true;
            }
            if (c < 0x20) return fail(at("a control character in a string"));
            if (c >= 0x80) {
                const std::size_t n = utf8SequenceLength(reinterpret_cast<const unsigned char*>(b_.data()) + i_, b_.size() - i_);
                if (n == 0) return fail("it is not UTF-8 text" + where());
                out->append(b_, i_, n);
                i_ += n;
                continue;
            }
            ++i_;
            if (c != '\\') {
                *out += static_cast<char>(c);
                continue;
            }
            if (i_ >= b_.size()) return end();
            const char e = b_[i_++];
            switch (e) {
            case '"': *out += '"'; break;
            case '\\': *out += '\\'; break;
            case '/': *out += '/'; break;
            case 'b': *out += '\b'; break;
            case 'f': *out += '\f'; break;
            case 'n': *out += '\n'; break;
            case 'r': *out += '\r'; break;
            case 't': *out += '\t'; break;
            case 'u': {
                unsigned u = 0;
                if (!unit(&u)) return false;
                if (u >= 0xDC00 && u <= 0xDFFF) return fail(at("a lone surrogate"));
                if (u >= 0xD800 && u <= 0xDBFF) {
                    unsigned low = 0;
                    if (i_ + 2 > b_.size()) return end();
                    if (b_[i_] != '\\' || b_[i_ + 1] != 'u') return fail(at("a lone surrogate"));
                    i_ += 2;
                    if (!unit(&low)) return false;
                    if (low < 0xDC00 || low > 0xDFFF) return fail(at("a lone surrogate"));
                    u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                }
                put(out, u);
                break;
            }
            default:
                return fail(at("a bad escape"));
            }
        }
    }

    bool array(JsonValue* v, int depth) {
        v->type = JsonValue::Type::Array;
        ++i_;
        space();
        if (i_ < b_.size() && b_[i_] == ']') {
            ++i_;
            return true;
        }
        for (;;) {
            v->items.emplace_back();
            if (!value(&v->items.back(), depth + 1)) return false;
            space();
            if (i_ >= b_.size()) return end();
            if (b_[i_] == ']') {
                ++i_;
                return true;
            }
            if (b_[i_] != ',') return fail(at("a missing comma"));
            ++i_;
        }
    }

    bool object(JsonValue* v, int depth) {
        v->type = JsonValue::Type::Object;
        std::set<std::string> keys;
        ++i_;
        space();
        if (i_ < b_.size() && b_[i_] == '}') {
            ++i_;
            return true;
        }
        for (;;) {
            space();
            if (i_ >= b_.size()) return end();
            if (b_[i_] != '"') return fail(at("a key that is no string"));
            std::string key;
            if (!string(&key)) return false;
            if (!keys.insert(key).second) return fail("it has the key \"" + key + "\" twice in one object");
            space();
            if (i_ >= b_.size()) return end();
            if (b_[i_] != ':') return fail(at("a missing colon"));
            ++i_;
            v->members.emplace_back(key, JsonValue());
            if (!value(&v->members.back().second, depth + 1)) return false;
            space();
            if (i_ >= b_.size()) return end();
            if (b_[i_] == '}') {
                ++i_;
                return true;
            }
            if (b_[i_] != ',') return fail(at("a missing comma"));
            ++i_;
        }
    }

    const std::string& b_;
    const int deepest_;
    std::size_t i_ = 0;
    std::string problem_;
};

}  // namespace

bool utf16ToUtf8(const std::string& bytes, std::string* utf8) {
    const bool big = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF;
    const bool little = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE;
    utf8->clear();
    if ((!big && !little) || bytes.size() % 2 != 0) return false;
    std::u16string units;
    for (std::size_t at = 2; at < bytes.size(); at += 2) {
        const unsigned a = static_cast<unsigned char>(bytes[at]), b = static_cast<unsigned char>(bytes[at + 1]);
        units += static_cast<char16_t>(big ? (a << 8) | b : (b << 8) | a);
    }
    // A surrogate without its other half is no text: refused, where the
    // conversion would put U+FFFD for it.
    for (std::size_t k = 0; k < units.size(); ++k) {
        const bool high = units[k] >= 0xD800 && units[k] <= 0xDBFF, low = units[k] >= 0xDC00 && units[k] <= 0xDFFF;
        if (low) return false;
        if (high && (k + 1 == units.size() || units[k + 1] < 0xDC00 || units[k + 1] > 0xDFFF)) return false;
        if (high) ++k;
    }
    *utf8 = utf16ToUtf8(units);
    return true;
}

JsonReading readJson(const std::string& bytes, int deepest) {
    if (bytes.size() > kMostJsonBytes) {
        JsonReading reading;
        reading.problem = "it is larger than 4 MiB, which no report is";
        return reading;
    }
    // Windows PowerShell 5 writes a redirected report as UTF-16 with a byte-order mark.
    if (bytes.size() >= 2 && (static_cast<unsigned char>(bytes[0]) == 0xFF || static_cast<unsigned char>(bytes[0]) == 0xFE)) {
        std::string utf8;
        const bool marked = (static_cast<unsigned char>(bytes[0]) ^ static_cast<unsigned char>(bytes[1])) == 0x01;
        if (marked) {
            if (!utf16ToUtf8(bytes, &utf8)) {
                JsonReading reading;
                reading.problem = "it is UTF-16 text that does not decode (a byte or a surrogate missing)";
                return reading;
            }
            return Parser(utf8, deepest).run();
        }
    }
    return Parser(bytes, deepest).run();
}

std::string embeddedReport(const std::string& bytes, bool* page) {
    *page = bytes.compare(0, 15, "<!DOCTYPE html>") == 0;
    const std::size_t open = bytes.find(kReportDataOpen);
    if (!*page || open == std::string::npos) return std::string();
    const std::size_t from = open + sizeof kReportDataOpen - 1;
    const std::size_t close = bytes.find(kReportDataClose, from);
    return close == std::string::npos ? std::string() : bytes.substr(from, close - from);
}
