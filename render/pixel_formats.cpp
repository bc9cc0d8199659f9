#include "render/pixel_formats.h"

#include <algorithm>

#include "platform/ascii.h"

namespace {

// PFD_* flags and types, as wingdi.h has them.
constexpr std::uint32_t kDoubleBuffer = 0x1, kStereo = 0x2, kDrawToWindow = 0x4, kDrawToBitmap = 0x8, kSupportGdi = 0x10,
                        kSupportOpenGl = 0x20, kGenericFormat = 0x40, kSwapExchange = 0x200, kSwapCopy = 0x400,
                        kGenericAccelerated = 0x1000;

// WGL_ARB_pixel_format's attributes and values, and those of the extensions beside it.
enum Attribute : int {
    kDrawToWindowArb = 0x2001, kDrawToBitmapArb = 0x2002, kAccelerationArb = 0x2003, kSwapMethodArb = 0x2007,
    kSupportGdiArb = 0x200F, kSupportOpenGlArb = 0x2010, kDoubleBufferArb = 0x2011, kStereoArb = 0x2012,
    kPixelTypeArb = 0x2013, kColorBitsArb = 0x2014, kRedBitsArb = 0x2015, kGreenBitsArb = 0x2017, kBlueBitsArb = 0x2019,
    kAlphaBitsArb = 0x201B, kAccumBitsArb = 0x201D, kDepthBitsArb = 0x2022, kStencilBitsArb = 0x2023,
    kAuxBuffersArb = 0x2024, kDrawToPbufferArb = 0x202D, kSampleBuffersArb = 0x2041, kSamplesArb = 0x2042,
    kFramebufferSrgbArb = 0x20A9,
};
constexpr int kNoAcceleration = 0x2025, kGenericAccelerationArb = 0x2026, kFullAcceleration = 0x2027;
constexpr int kSwapExchangeArb = 0x2028, kSwapCopyArb = 0x2029, kSwapUndefinedArb = 0x202A;
constexpr int kTypeRgba = 0x202B, kTypeColourIndex = 0x202C, kTypeRgbaFloat = 0x21A0, kTypeRgbaUnsignedFloat = 0x20A8;

// Bits and counts a format can have; anything else is not reported.
int bits(long value) { return value >= 0 && value <= 1024 ? static_cast<int>(value) : -1; }

std::string trimmed(const std::string& text) {
    std::size_t from = 0, to = text.size();
    while (from < to && (text[from] == ' ' || text[from] == '\t')) ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '\t')) --to;
    return text.substr(from, to - from);
}

// Every attribute a request may name: a count of bits (at least so many), or
// a property the format must have.
struct RequestAttribute {
    const char* name;
    int PixelFormatRequest::*number;  // null: a property
    bool PixelFormatRequest::*flag;
    int most;                          // the largest value taken
    const char* unit;                  // what the number counts: "bits", "samples", "buffers"
    const char* example;               // a value a program would ask
};
const RequestAttribute kRequestAttributes[] = {
    {"colour", &PixelFormatRequest::colour, nullptr, 128, "bits", "24"},
    {"color", &PixelFormatRequest::colour, nullptr, 128, "bits", "24"},
    {"red", &PixelFormatRequest::red, nullptr, 32, "bits", "8"},
    {"green", &PixelFormatRequest::green, nullptr, 32, "bits", "8"},
    {"blue", &PixelFormatRequest::blue, nullptr, 32, "bits", "8"},
    {"alpha", &PixelFormatRequest::alpha, nullptr, 32, "bits", "8"},
    {"depth", &PixelFormatRequest::depth, nullptr, 64, "bits", "24"},
    {"stencil", &PixelFormatRequest::stencil, nullptr, 32, "bits", "8"},
    {"accum", &PixelFormatRequest::accum, nullptr, 256, "bits", "64"},
    {"aux", &PixelFormatRequest::aux, nullptr, 16, "buffers", "2"},
    {"samples", &PixelFormatRequest::samples, nullptr, 256, "samples", "4"},
    {"double", nullptr, &PixelFormatRequest::doubleBuffer, 0, nullptr, nullptr},
    {"stereo", nullptr, &PixelFormatRequest::stereo, 0, nullptr, nullptr},
    {"srgb", nullptr, &PixelFormatRequest::srgb, 0, nullptr, nullptr},
    {"float", nullptr, &PixelFormatRequest::isFloat, 0, nullptr, nullptr},
    {"pbuffer", nullptr, &PixelFormatRequest::pbuffer, 0, nullptr, nullptr},
    {"bitmap", nullptr, &PixelFormatRequest::bitmap, 0, nullptr, nullptr},
    {"accelerated", nullptr, &PixelFormatRequest::accelerated, 0, nullptr, nullptr},
};

const RequestAttribute* findAttribute(const std::string& name) {
    for (const RequestAttribute& a : kRequestAttributes) {
        if (name == a.name) return &a;
    }
    return nullptr;
}

// Whether a row has what one attribute asks.
bool hasAttribute(const PixelFormatRow& row, const RequestAttribute& a, const PixelFormatRequest& r) {
    const auto atLeast = [](int have, int want) { return want <= 0 || have >= want; };
    const std::string name = a.name;
    if (name == "colour" || name == "color") return atLeast(row.colour, r.colour);
    if (name == "red") return atLeast(row.red, r.red);
    if (name == "green") return atLeast(row.green, r.green);
    if (name == "blue") return atLeast(row.blue, r.blue);
    if (name == "alpha") return atLeast(row.alpha, r.alpha);
    if (name == "depth") return atLeast(row.depth, r.depth);
    if (name == "stencil") return atLeast(row.stencil, r.stencil);
    if (name == "accum") return atLeast(row.accum, r.accum);
    if (name == "aux") return atLeast(row.aux, r.aux);
    if (name == "samples") return r.samples <= 0 || (row.sampleBuffers >= 1 && row.samples >= r.samples);
    if (name == "double") return !r.doubleBuffer || row.doubleBuffer;
    if (name == "stereo") return !r.stereo || row.stereo;
    if (name == "srgb") return !r.srgb || row.srgb == 1;
    if (name == "float") return !r.isFloat || row.type == PixelFormatRow::Type::Float;
    if (name == "pbuffer") return !r.pbuffer || row.pbuffer == 1;
    if (name == "bitmap") return !r.bitmap || row.bitmap;
    if (name == "accelerated") return !r.accelerated || row.acceleration == PixelFormatRow::Acceleration::Full;
    return true;
}

// A count's value: digits alone, no more than any format has.
bool readCount(const RequestAttribute& a, const std::string& value, int* count, std::string* error) {
    long n = 0;
    bool digits = !value.empty() && value.size() <= 6;
    for (char c : value) {
        digits = digits && c >= '0' && c <= '9';
        if (digits) n = n * 10 + (c - '0');
    }
    if (!digits) {
        *error = std::string(a.name) + " needs a number of " + a.unit + ", such as " + a.name + "=" + a.example;
        return false;
    }
    if (n > a.most) {
        *error = std::string(a.name) + "=" + value + " is more than any format has (at most " + std::to_string(a.most) + ")";
        return false;
    }
    *count = static_cast<int>(n);
    return true;
}

}  // namespace

const char kPixelFormatAttributes[] =
    "colour=N (or color), red=N, green=N, blue=N, alpha=N, depth=N, stencil=N, accum=N, aux=N, samples=N, "
    "double, stereo, srgb, float, pbuffer, bitmap, accelerated";

PixelFormatRow rowFromDescription(int index, const DescribedFormat& d) {
    PixelFormatRow row;
    row.index = index;
    const bool generic = (d.flags & kGenericFormat) != 0;
    row.acceleration = !generic ? PixelFormatRow::Acceleration::Full
                       : (d.flags & kGenericAccelerated) != 0 ? PixelFormatRow::Acceleration::GenericAccelerated
                                                               : PixelFormatRow::Acceleration::Software;
    row.window = (d.flags & kDrawToWindow) != 0;
    row.bitmap = (d.flags & kDrawToBitmap) != 0;
    row.opengl = (d.flags & kSupportOpenGl) != 0;
    row.gdi = (d.flags & kSupportGdi) != 0;
    row.doubleBuffer = (d.flags & kDoubleBuffer) != 0;
    row.stereo = (d.flags & kStereo) != 0;
    row.swap = (d.flags & kSwapExchange) != 0 ? PixelFormatRow::Swap::Exchange
               : (d.flags & kSwapCopy) != 0   ? PixelFormatRow::Swap::Copy
                                              : PixelFormatRow::Swap::Undefined;
    row.type = d.pixelType == 0 ? PixelFormatRow::Type::Rgba : d.pixelType == 1 ? PixelFormatRow::Type::ColourIndex
                                                                                 : PixelFormatRow::Type::Unknown;
    row.colour = bits(d.colour);
    row.red = bits(d.red);
    row.green = bits(d.green);
    row.blue = bits(d.blue);
    row.alpha = bits(d.alpha);
    row.accum = bits(d.accum);
    row.depth = bits(d.depth);
    row.stencil = bits(d.stencil);
    row.aux = bits(d.aux);
    return row;
}

ArbQuery arbQuery(bool multisample, bool pbuffer, bool srgb) {
    ArbQuery q;
    q.attributes = {kDrawToWindowArb, kDrawToBitmapArb, kAccelerationArb, kSwapMethodArb, kSupportGdiArb, kSupportOpenGlArb,
                    kDoubleBufferArb, kStereoArb, kPixelTypeArb, kColorBitsArb, kRedBitsArb, kGreenBitsArb, kBlueBitsArb,
                    kAlphaBitsArb, kAccumBitsArb, kDepthBitsArb, kStencilBitsArb, kAuxBuffersArb};
    // An attribute the implementation does not know fails the whole query.
    if (pbuffer) q.attributes.push_back(kDrawToPbufferArb);
    if (multisample) {
        q.attributes.push_back(kSampleBuffersArb);
        q.attributes.push_back(kSamplesArb);
    }
    if (srgb) q.attributes.push_back(kFramebufferSrgbArb);
    return q;
}

PixelFormatRow rowFromArb(int index, const ArbQuery& query, const std::vector<int>& values) {
    PixelFormatRow row;
    row.index = index;
    row.fromArb = true;
    for (std::size_t k = 0; k < query.attributes.size() && k < values.size(); ++k) {
        const int v = values[k];
        switch (query.attributes[k]) {
        case kDrawToWindowArb: row.window = v != 0; break;
        case kDrawToBitmapArb: row.bitmap = v != 0; break;
        case kAccelerationArb:
            row.acceleration = v == kFullAcceleration         ? PixelFormatRow::Acceleration::Full
                               : v == kGenericAccelerationArb ? PixelFormatRow::Acceleration::GenericAccelerated
                               : v == kNoAcceleration         ? PixelFormatRow::Acceleration::Software
                                                              : PixelFormatRow::Acceleration::Unknown;
            break;
        case kSwapMethodArb:
            row.swap = v == kSwapExchangeArb    ? PixelFormatRow::Swap::Exchange
                       : v == kSwapCopyArb      ? PixelFormatRow::Swap::Copy
                       : v == kSwapUndefinedArb ? PixelFormatRow::Swap::Undefined
                                                : PixelFormatRow::Swap::Unknown;
            break;
        case kSupportGdiArb: row.gdi = v != 0; break;
        case kSupportOpenGlArb: row.opengl = v != 0; break;
        case kDoubleBufferArb: row.doubleBuffer = v != 0; break;
        case kStereoArb: row.stereo = v != 0; break;
        case kPixelTypeArb:
            row.type = v == kTypeRgba                                            ? PixelFormatRow::Type::Rgba
                       : v == kTypeColourIndex                                   ? PixelFormatRow::Type::ColourIndex
                       : v == kTypeRgbaFloat || v == kTypeRgbaUnsignedFloat      ? PixelFormatRow::Type::Float
                                                                                 : PixelFormatRow::Type::Unknown;
            break;
        case kColorBitsArb: row.colour = bits(v); break;
        case kRedBitsArb: row.red = bits(v); break;
        case kGreenBitsArb: row.green = bits(v); break;
        case kBlueBitsArb: row.blue = bits(v); break;
        case kAlphaBitsArb: row.alpha = bits(v); break;
        case kAccumBitsArb: row.accum = bits(v); break;
        case kDepthBitsArb: row.depth = bits(v); break;
        case kStencilBitsArb: row.stencil = bits(v); break;
        case kAuxBuffersArb: row.aux = bits(v); break;
        case kDrawToPbufferArb: row.pbuffer = v != 0 ? 1 : 0; break;
        case kSampleBuffersArb: row.sampleBuffers = bits(v); break;
        case kSamplesArb: row.samples = bits(v); break;
        case kFramebufferSrgbArb: row.srgb = v != 0 ? 1 : 0; break;
        default: break;
        }
    }
    return row;
}

std::string bestWindowFormat(const PixelFormatTable& table) {
    int samples = -1, srgb = -1, depth = -1, stencilAtDepth = -1, depthNoStencil = -1;
    bool anyFloat = false, any = false;
    for (const PixelFormatRow& r : table.rows) {
        if (!r.window || !r.opengl) continue;
        any = true;
        // Samples count only with a sample buffer to put them in, as a request sees them.
        if (r.sampleBuffers >= 1) samples = std::max(samples, r.samples);
        else if (r.sampleBuffers == 0 || r.samples >= 0) samples = std::max(samples, 0);
        srgb = std::max(srgb, r.srgb);
        anyFloat = anyFloat || r.type == PixelFormatRow::Type::Float;
        if (r.stencil > 0 && (r.depth > depth || (r.depth == depth && r.stencil > stencilAtDepth))) {
            depth = r.depth;
            stencilAtDepth = r.stencil;
        }
        depthNoStencil = std::max(depthNoStencil, r.depth);
    }
    if (!any) return std::string();
    std::string out = samples > 0 ? std::to_string(samples) + " samples" : samples == 0 ? "no multisampling" : "multisampling not reported";
    out += srgb == 1 ? ", sRGB-capable" : srgb == 0 ? ", not sRGB-capable" : ", sRGB not reported";
    out += anyFloat ? ", float" : ", no float";
    if (depth >= 0) {
        out += ", depth " + std::to_string(depth) + " with stencil " + std::to_string(stencilAtDepth);
    } else {
        out += depthNoStencil >= 0 ? ", depth " + std::to_string(depthNoStencil) + ", no stencil" : ", depth not reported";
    }
    return out;
}

bool parsePixelFormatRequest(const std::string& text, PixelFormatRequest* request, std::string* error) {
    PixelFormatRequest r;
    r.asked = true;
    r.text = text;
    std::vector<std::string> seen;
    std::size_t from = 0;
    bool any = false;
    while (from <= text.size()) {
        std::size_t comma = text.find(',', from);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = trimmed(text.substr(from, comma - from));
        from = comma + 1;
        if (item.empty()) {
            if (comma == text.size() && any) break;
            *error = "an empty attribute in \"" + text + "\"";
            return false;
        }
        any = true;
        const std::size_t equals = item.find('=');
        const std::string name = asciiLower(trimmed(item.substr(0, equals)));
        const RequestAttribute* a = findAttribute(name);
        if (a == nullptr) {
            const RequestAttribute* near = nullptr;
            std::size_t closest = 3;
            for (const RequestAttribute& k : kRequestAttributes) {
                const std::size_t d = editDistance(name, std::string(k.name));
                if (d < closest) {
                    closest = d;
                    near = &k;
                }
            }
            *error = "unknown attribute \"" + name + "\"" + (near != nullptr ? "; did you mean " + std::string(near->name) + "?" : "") +
                     " It takes " + kPixelFormatAttributes + ".";
            return false;
        }
        const std::string canonical = a->number == &PixelFormatRequest::colour ? "colour" : a->name;
        if (std::find(seen.begin(), seen.end(), canonical) != seen.end()) {
            *error = canonical + " is given more than once";
            return false;
        }
        seen.push_back(canonical);
        if (a->flag != nullptr) {
            if (equals != std::string::npos) {
                *error = std::string(a->name) + " takes no value: ask for it by its name alone";
                return false;
            }
            r.*(a->flag) = true;
            continue;
        }
        const std::string value = equals == std::string::npos ? std::string() : trimmed(item.substr(equals + 1));
        if (!readCount(*a, value, &(r.*(a->number)), error)) return false;
    }
    *request = r;
    return true;
}

std::vector<int> arbChooseAttributes(const PixelFormatRequest& r, bool multisample, bool pbuffer, bool srgb) {
    std::vector<int> a = {kDrawToWindowArb, 1, kSupportOpenGlArb, 1};
    const auto add = [&a](int attribute, int value) {
        a.push_back(attribute);
        a.push_back(value);
    };
    if (r.accelerated) add(kAccelerationArb, kFullAcceleration);
    if (r.doubleBuffer) add(kDoubleBufferArb, 1);
    if (r.stereo) add(kStereoArb, 1);
    add(kPixelTypeArb, r.isFloat ? kTypeRgbaFloat : kTypeRgba);
    if (r.bitmap) add(kDrawToBitmapArb, 1);
    if (r.pbuffer && pbuffer) add(kDrawToPbufferArb, 1);
    const std::pair<int, int> counts[] = {{kColorBitsArb, r.colour}, {kRedBitsArb, r.red},       {kGreenBitsArb, r.green},
                                          {kBlueBitsArb, r.blue},    {kAlphaBitsArb, r.alpha},   {kDepthBitsArb, r.depth},
                                          {kStencilBitsArb, r.stencil}, {kAccumBitsArb, r.accum}, {kAuxBuffersArb, r.aux}};
    for (const auto& c : counts) {
        if (c.second >= 0) add(c.first, c.second);
    }
    if (r.samples > 0 && multisample) {
        add(kSampleBuffersArb, 1);
        add(kSamplesArb, r.samples);
    }
    if (r.srgb && srgb) add(kFramebufferSrgbArb, 1);
    a.push_back(0);
    return a;
}

bool meetsRequest(const PixelFormatRow& row, const PixelFormatRequest& request) {
    if (!row.window || !row.opengl) return false;
    if (!request.isFloat && row.type != PixelFormatRow::Type::Rgba) return false;
    for (const RequestAttribute& a : kRequestAttributes) {
        if (!hasAttribute(row, a, request)) return false;
    }
    return true;
}

std::string attributeNoneMeets(const PixelFormatTable& table, const PixelFormatRequest& request) {
    for (const RequestAttribute& a : kRequestAttributes) {
        bool asked = a.flag != nullptr ? request.*(a.flag) : request.*(a.number) >= 0;
        if (!asked) continue;
        bool met = false;
        for (const PixelFormatRow& row : table.rows) met = met || (row.window && row.opengl && hasAttribute(row, a, request));
        if (!met) return a.flag != nullptr ? std::string(a.name) : std::string(a.name) + "=" + std::to_string(request.*(a.number));
    }
    return std::string();
}

int ownFormatInsteadOfGeneric(const PixelFormatTable& table, int chosen) {
    const PixelFormatRow* mine = nullptr;
    for (const PixelFormatRow& r : table.rows) {
        if (r.index == chosen) mine = &r;
    }
    if (mine == nullptr || mine->acceleration != PixelFormatRow::Acceleration::Software) return 0;
    for (const PixelFormatRow& r : table.rows) {
        if (r.acceleration == PixelFormatRow::Acceleration::Full && r.window && r.opengl && r.doubleBuffer &&
            r.type == PixelFormatRow::Type::Rgba && r.colour >= 24 && r.depth > 0) {
            return r.index;
        }
    }
    return 0;
}
