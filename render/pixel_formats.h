#pragma once
// Every pixel format the implementation offers, read by the glue from
// WGL_ARB_pixel_format where there is one and from DescribePixelFormat
// otherwise; what the window formats offer at best; why the dialog got the
// one it got; and whether a program's request would find one. Rules only:
// whatever a driver answers, the rows stay within their ranges.
#include <cstdint>
#include <string>
#include <vector>

struct PixelFormatRow {
    int index = 0;
    enum class Acceleration { Unknown, Full, GenericAccelerated, Software } acceleration = Acceleration::Unknown;
    bool window = false, bitmap = false, opengl = false, gdi = false, doubleBuffer = false, stereo = false;
    int pbuffer = -1;  // -1: not reported (DescribePixelFormat cannot say), else 0 or 1
    enum class Swap { Unknown, Exchange, Copy, Undefined } swap = Swap::Unknown;
    enum class Type { Unknown, Rgba, ColourIndex, Float } type = Type::Unknown;
    // Bits and counts; -1: not reported, or an answer that cannot be (negative, past 1024).
    int colour = -1, red = -1, green = -1, blue = -1, alpha = -1;
    int depth = -1, stencil = -1, accum = -1, aux = -1;
    int sampleBuffers = -1, samples = -1;
    int srgb = -1;  // 0 or 1
    bool fromArb = false;
};

// The formats listed at most; a larger count is said, and stopped at.
constexpr int kMostPixelFormats = 1024;

struct PixelFormatTable {
    enum class Source { None, Arb, Describe } source = Source::None;
    long count = 0;      // as DescribePixelFormat says (WGL_ARB_pixel_format's where it says none): may be 0, or absurd
    long arbCount = 0;   // WGL_NUMBER_PIXEL_FORMATS_ARB; past `count`, formats that draw to no window (pbuffers)
    bool cut = false;    // more than kMostPixelFormats: only that many read
    int describedInstead = 0;  // rows read with DescribePixelFormat because the ARB query failed for them
    std::vector<PixelFormatRow> rows;
};

// What DescribePixelFormat says, as plain values (PIXELFORMATDESCRIPTOR's fields).
struct DescribedFormat {
    std::uint32_t flags = 0;
    int pixelType = 0, colour = 0, red = 0, green = 0, blue = 0, alpha = 0;
    int accum = 0, depth = 0, stencil = 0, aux = 0;
};
PixelFormatRow rowFromDescription(int index, const DescribedFormat& d);

// The attributes asked of wglGetPixelFormatAttribivARB, with what the
// implementation's WGL extensions make known; their answers make the row.
struct ArbQuery {
    std::vector<int> attributes;
};
ArbQuery arbQuery(bool multisample, bool pbuffer, bool srgb);
PixelFormatRow rowFromArb(int index, const ArbQuery& query, const std::vector<int>& values);
// Values of some attributes wglChoosePixelFormatARB takes.
constexpr int kWglNumberPixelFormats = 0x2000;

// What the formats that draw to a window with OpenGL offer at best: "4 samples,
// sRGB-capable, no float, depth 24 with stencil 8"; empty where none does.
std::string bestWindowFormat(const PixelFormatTable& table);

// A program's request, as it asks for a format: "depth=24,stencil=8,samples=4,srgb".
struct PixelFormatRequest {
    bool asked = false;
    std::string text;  // as written
    int colour = -1, red = -1, green = -1, blue = -1, alpha = -1, depth = -1, stencil = -1, accum = -1, aux = -1, samples = -1;
    bool doubleBuffer = false, stereo = false, srgb = false, isFloat = false, pbuffer = false, bitmap = false, accelerated = false;
};
// The request, or why not ("unknown attribute \"detph\"; did you mean depth?").
bool parsePixelFormatRequest(const std::string& text, PixelFormatRequest* request, std::string* error);
extern const char kPixelFormatAttributes[];  // for --help: every attribute's name

// The attributes wglChoosePixelFormatARB is asked with: pairs, 0 at the end.
std::vector<int> arbChooseAttributes(const PixelFormatRequest& request, bool multisample, bool pbuffer, bool srgb);

// Whether a row meets the request; the first attribute of it that no row meets.
bool meetsRequest(const PixelFormatRow& row, const PixelFormatRequest& request);
std::string attributeNoneMeets(const PixelFormatTable& table, const PixelFormatRequest& request);

// The format of the implementation's own (not the generic one) that meets
// what the dialog asks for (draws to a window with OpenGL, double-buffered
// RGBA, colour and depth bits), where the dialog's is the generic one; 0: none.
int ownFormatInsteadOfGeneric(const PixelFormatTable& table, int chosen);
