#include "report/json.h"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The length of the UTF-8 sequence at `p` (n bytes left), or 0 when it is not
// one: a stray continuation byte, a cut sequence, an overlong form, a
// surrogate or a code point past U+10FFFF.
size_t utf8Length(const unsigned char* p, size_t n) {
    const unsigned char c = p[0];
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (n < length || p[1] < low || p[1] > high) return 0;
    for (size_t k = 2; k < length; ++k) {
        if (p[k] < 0x80 || p[k] > 0xBF) return 0;
    }
    return length;
}

using Members = std::vector<std::pair<const char*, std::string>>;

std::string object(const Members& members) {
    std::string out = "{";
    for (size_t i = 0; i < members.size(); ++i) {
        if (i > 0) out += ",";
        out += jsonString(members[i].first) + ":" + members[i].second;
    }
    return out + "}";
}

std::string array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i > 0 ? "," : "") + items[i];
    return out + "]";
}

const std::string kNull = "null";

std::string number(double value) {
    if (!std::isfinite(value)) return kNull;  // JSON has no NaN or infinity
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string boolean(bool value) { return value ? "true" : "false"; }

class Writer {
public:
    explicit Writer(ToUtf8 toUtf8) : toUtf8_(toUtf8) {}

    std::string text(const std::string& systemText) const {
        return jsonString(toUtf8_ != nullptr ? toUtf8_(systemText) : systemText);
    }
    std::string answer(const Answer& a) const { return a.reported ? text(a.text) : kNull; }
    std::string textOrNull(const std::string& systemText) const { return systemText.empty() ? kNull : text(systemText); }

private:
    ToUtf8 toUtf8_;
};

std::string limitValue(const Limit& limit, const LimitReading& reading) {
    if (!reading.applies || !reading.reported) return kNull;
    if (limit.count == 2) return array({number(reading.values[0]), number(reading.values[1])});
    return number(reading.values[0]);
}

std::string kib(const LimitReading& reading) { return reading.reported ? number(reading.values[0]) : kNull; }

std::string windows(const ReportFacts& f) {
    const char* family = f.platformId == 2 ? "\"NT\"" : f.platformId == 1 ? "\"95\"" : f.platformId == 0 ? "\"Win32s\"" : "null";
    const char* bitness = f.bitness == Bitness::Windows32 ? "\"32-bit\""
                          : f.bitness == Bitness::Wow64   ? "\"32-bit program on 64-bit\""
                          : f.bitness == Bitness::Windows64 ? "\"64-bit\""
                                                            : "null";
    return object({{"major", number(f.windowsMajor)},
                   {"minor", number(f.windowsMinor)},
                   {"build", number(f.windowsBuild)},
                   {"family", family},
                   {"bitness", bitness}});
}

std::string opengl(const ReportFacts& f, const Writer& w) {
    std::vector<std::string> extensions;
    for (const std::string& e : f.extensions) extensions.push_back(w.text(e));

    const CoreProfileFacts& c = f.coreProfile;
    const std::string core = object({{"offered", boolean(c.state != CoreProfileFacts::State::NotOffered)},
                                     {"version", w.answer(c.version)},
                                     {"shading_language", w.answer(c.shadingLanguage)}});
    Members limits;
    for (int i = 0; i < kLimitCount; ++i) limits.emplace_back(kLimits[i].key, limitValue(kLimits[i], f.limits[i]));

    const PixelFormatFacts& p = f.pixelFormat;
    const std::string kind = pixelFormatKind(p.flags);
    const std::string pixelFormat =
        p.index <= 0 ? kNull
                     : object({{"index", number(p.index)},
                               {"colour_bits", number(p.colourBits)},
                               {"alpha_bits", number(p.alphaBits)},
                               {"depth_bits", number(p.depthBits)},
                               {"stencil_bits", number(p.stencilBits)},
                               {"double_buffered", boolean((p.flags & 1u) != 0)}});
    const std::string implementation = p.index <= 0 ? kNull : jsonString(kind.substr(0, kind.find(' ')));

    const DriverModuleFacts& d = f.driverModule;
    const std::string driver = !d.found ? kNull
                                        : object({{"path", w.text(d.path)},
                                                  {"version", w.textOrNull(d.version)},
                                                  {"company", w.textOrNull(d.company)}});
    const VideoMemoryFacts& v = f.videoMemory;
    std::string memory = kNull;
    if (v.source == VideoMemoryFacts::Source::Nvx) {
        memory = object({{"source", "\"GL_NVX_gpu_memory_info\""},
                         {"dedicated_kib", kib(v.dedicated)},
                         {"total_available_kib", kib(v.totalAvailable)},
                         {"current_available_kib", kib(v.currentAvailable)}});
    } else if (v.source == VideoMemoryFacts::Source::Ati) {
        memory = object({{"source", "\"GL_ATI_meminfo\""}, {"free_texture_kib", kib(v.atiFreeTexture)}});
    }
    const PixelFormatCounts& n = f.pixelFormats;
    const std::string counts = n.all == 0 ? kNull
                                          : object({{"all", number(n.all)},
                                                    {"window_opengl", number(n.windowOpenGl)},
                                                    {"drivers_own", number(n.driversOwn)}});
    const bool glsl = atLeast(parseGlVersion(f.version.text), 2, 0);
    return object({{"initialised", boolean(f.openGlInitialised)},
                   {"library", w.textOrNull(f.openGlLibrary)},
                   {"vendor", w.answer(f.vendor)},
                   {"renderer", w.answer(f.renderer)},
                   {"version", w.answer(f.version)},
                   {"shading_language", glsl ? w.answer(f.shadingLanguage) : kNull},
                   {"extensions", array(extensions)},
                   {"core_profile", core},
                   {"limits", object(limits)},
                   {"pixel_format", pixelFormat},
                   {"implementation", implementation},
                   {"pixel_formats", counts},
                   {"driver", driver},
                   {"video_memory", memory}});
}

std::string drivers(const ReportFacts& f, const Writer& w) {
    std::vector<std::string> rows;
    for (size_t k = 0; k < f.driverValues.size(); ++k) {
        rows.push_back(object({{"name", w.text(f.driverValues[k].first)},
                               {"data", w.text(f.driverValues[k].second)},
                               {"selected", boolean(static_cast<int>(k) == f.selectedDriverRow)}}));
    }
    return array(rows);
}

}  // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
            }
            ++i;
            continue;
        }
        const size_t length = utf8Length(p + i, n - i);
        if (length == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out + "\"";
}

std::string formatJson(const ReportFacts& f, ToUtf8 toUtf8) {
    const Writer w(toUtf8);
    const std::string program = object({{"name", w.text(f.programName)}, {"version", w.text(f.programVersion)}});
    return object({{"program", program}, {"windows", windows(f)}, {"opengl", opengl(f, w)}, {"drivers", drivers(f, w)}}) +
           "\n";
}
