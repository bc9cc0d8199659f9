#include <gtest/gtest.h>

#include "render/pixel_formats.h"

namespace {

// A format's ARB answers, by attribute: what an implementation would say.
PixelFormatRow arbRow(int index, const std::vector<std::pair<int, int>>& answers, bool multisample = true, bool srgb = true) {
    const ArbQuery q = arbQuery(multisample, true, srgb);
    std::vector<int> values(q.attributes.size(), 0);
    for (const auto& a : answers) {
        for (std::size_t k = 0; k < q.attributes.size(); ++k) {
            if (q.attributes[k] == a.first) values[k] = a.second;
        }
    }
    return rowFromArb(index, q, values);
}

// A window format that a program would take: full acceleration, RGBA, double-buffered.
std::vector<std::pair<int, int>> windowFormat(int depth, int stencil, int samples = 0) {
    return {{0x2001, 1}, {0x2003, 0x2027}, {0x2010, 1}, {0x2011, 1}, {0x2013, 0x202B}, {0x2014, 32}, {0x201B, 8},
            {0x2022, depth}, {0x2023, stencil}, {0x2041, samples > 0 ? 1 : 0}, {0x2042, samples}};
}

}  // namespace

// Each column group, from the ARB answers and from DescribePixelFormat's, and
// nonsense kept out of every range.
TEST(PixelFormats, RowsSayWhatTheAnswersSay) {
    const PixelFormatRow full = arbRow(3, {{0x2001, 1}, {0x2002, 1}, {0x202D, 1}, {0x2003, 0x2027}, {0x2010, 1}, {0x200F, 0},
                                           {0x2011, 1}, {0x2012, 1}, {0x2007, 0x2029}, {0x2013, 0x21A0}, {0x2014, 64}, {0x2015, 16},
                                           {0x2017, 15}, {0x2019, 14}, {0x201B, 13}, {0x2022, 24}, {0x2023, 8}, {0x201D, 64},
                                           {0x2024, 2}, {0x2041, 1}, {0x2042, 4}, {0x20A9, 1}});
    EXPECT_EQ(full.index, 3);
    EXPECT_EQ(full.acceleration, PixelFormatRow::Acceleration::Full);
    EXPECT_TRUE(full.window && full.bitmap && full.opengl && full.doubleBuffer && full.stereo && full.fromArb);
    EXPECT_FALSE(full.gdi);
    EXPECT_EQ(full.pbuffer, 1);
    EXPECT_EQ(full.swap, PixelFormatRow::Swap::Copy);
    EXPECT_EQ(full.type, PixelFormatRow::Type::Float);
    EXPECT_EQ(std::vector<int>({full.colour, full.red, full.green, full.blue, full.alpha}), std::vector<int>({64, 16, 15, 14, 13}));
    EXPECT_EQ(std::vector<int>({full.depth, full.stencil, full.accum, full.aux}), std::vector<int>({24, 8, 64, 2}));
    EXPECT_EQ(std::vector<int>({full.sampleBuffers, full.samples, full.srgb}), std::vector<int>({1, 4, 1}));
    const PixelFormatRow generic = arbRow(1, {{0x2003, 0x2026}, {0x2007, 0x2028}, {0x2013, 0x202C}, {0x200F, 1}});
    EXPECT_EQ(generic.acceleration, PixelFormatRow::Acceleration::GenericAccelerated);
    EXPECT_EQ(generic.swap, PixelFormatRow::Swap::Exchange);
    EXPECT_EQ(generic.type, PixelFormatRow::Type::ColourIndex);
    EXPECT_TRUE(generic.gdi);
    EXPECT_EQ(arbRow(1, {{0x2003, 0x2025}, {0x2013, 0x20A8}, {0x2007, 0x202A}}).acceleration, PixelFormatRow::Acceleration::Software);
    EXPECT_EQ(arbRow(1, {{0x2013, 0x20A8}}).type, PixelFormatRow::Type::Float);
    EXPECT_EQ(arbRow(1, {{0x2007, 0x202A}}).swap, PixelFormatRow::Swap::Undefined);
    // Nonsense: past every range, unknown words, and what was not asked.
    const PixelFormatRow odd = arbRow(2, {{0x2003, 7}, {0x2013, 1}, {0x2014, -8}, {0x2022, 1025}, {0x2023, 1024}, {0x2042, 0x7FFFFFFF}},
                                      false, false);
    EXPECT_EQ(odd.acceleration, PixelFormatRow::Acceleration::Unknown);
    EXPECT_EQ(odd.type, PixelFormatRow::Type::Unknown);
    EXPECT_EQ(odd.colour, -1);
    EXPECT_EQ(odd.depth, -1);
    EXPECT_EQ(odd.stencil, 1024);
    EXPECT_EQ(std::vector<int>({odd.sampleBuffers, odd.samples, odd.srgb, odd.pbuffer}), std::vector<int>({-1, -1, -1, 0}));
    EXPECT_EQ(arbQuery(false, false, false).attributes.size() + 4, arbQuery(true, true, true).attributes.size());

    DescribedFormat d;
    d.flags = 0x4 | 0x20 | 0x1 | 0x40;  // window, OpenGL, double-buffered, generic
    d.colour = 24;
    d.depth = 32;
    d.stencil = 300;
    d.pixelType = 0;
    const PixelFormatRow described = rowFromDescription(5, d);
    EXPECT_EQ(described.acceleration, PixelFormatRow::Acceleration::Software);
    EXPECT_TRUE(described.window && described.opengl && described.doubleBuffer && !described.fromArb);
    EXPECT_EQ(described.type, PixelFormatRow::Type::Rgba);
    EXPECT_EQ(described.swap, PixelFormatRow::Swap::Undefined);
    EXPECT_EQ(std::vector<int>({described.pbuffer, described.samples, described.srgb}), std::vector<int>({-1, -1, -1}));
    d.flags |= 0x1000 | 0x400 | 0x8 | 0x10 | 0x2;
    d.pixelType = 1;
    const PixelFormatRow accelerated = rowFromDescription(5, d);
    EXPECT_EQ(accelerated.acceleration, PixelFormatRow::Acceleration::GenericAccelerated);
    EXPECT_EQ(accelerated.swap, PixelFormatRow::Swap::Copy);
    EXPECT_EQ(accelerated.type, PixelFormatRow::Type::ColourIndex);
    EXPECT_TRUE(accelerated.bitmap && accelerated.gdi && accelerated.stereo);
    d.flags = 0x200;
    d.pixelType = 9;
    EXPECT_EQ(rowFromDescription(1, d).acceleration, PixelFormatRow::Acceleration::Full);
    EXPECT_EQ(rowFromDescription(1, d).swap, PixelFormatRow::Swap::Exchange);
    EXPECT_EQ(rowFromDescription(1, d).type, PixelFormatRow::Type::Unknown);
}

// At best, of the window formats with OpenGL; and why the dialog got the generic one.
TEST(PixelFormats, SaysWhatTheFormatsOfferAndWhyTheDialogsWasPicked) {
    PixelFormatTable table;
    table.rows = {arbRow(1, windowFormat(24, 8, 4)), arbRow(2, windowFormat(32, 0)), arbRow(3, windowFormat(16, 8, 8))};
    table.rows[1].srgb = 1;
    PixelFormatRow pbufferOnly = arbRow(4, windowFormat(32, 8, 16));
    pbufferOnly.window = false;  // offers more, but draws to no window
    table.rows.push_back(pbufferOnly);
    EXPECT_EQ(bestWindowFormat(table), "8 samples, sRGB-capable, no float, depth 24 with stencil 8");
    PixelFormatTable plain;
    plain.rows = {rowFromDescription(1, DescribedFormat{0x25, 0, 24, 8, 8, 8, 0, 0, 16, 0, 0})};
    EXPECT_EQ(bestWindowFormat(plain), "multisampling not reported, sRGB not reported, no float, depth 16, no stencil");
    EXPECT_EQ(bestWindowFormat(PixelFormatTable()), "");
    PixelFormatTable unknown;  // a window format that reports nothing else
    unknown.rows.resize(1);
    unknown.rows[0].window = unknown.rows[0].opengl = true;
    EXPECT_EQ(bestWindowFormat(unknown), "multisampling not reported, sRGB not reported, no float, depth not reported");
    // Samples without a sample buffer are no multisampling, here as in a request.
    PixelFormatTable noBuffer;
    noBuffer.rows = {arbRow(1, windowFormat(24, 8, 4))};
    noBuffer.rows[0].sampleBuffers = 0;
    EXPECT_EQ(bestWindowFormat(noBuffer).rfind("no multisampling, ", 0), 0u) << bestWindowFormat(noBuffer);
    PixelFormatTable sameDepth;  // the most stencil at the deepest depth, whichever comes first
    sameDepth.rows = {arbRow(1, windowFormat(24, 8)), arbRow(2, windowFormat(24, 16)), arbRow(3, windowFormat(24, 4))};
    EXPECT_NE(bestWindowFormat(sameDepth).find("depth 24 with stencil 16"), std::string::npos) << bestWindowFormat(sameDepth);

    // The generic format picked where the driver's own meets the same request.
    PixelFormatTable generic;
    generic.rows = {arbRow(1, windowFormat(24, 8)), arbRow(2, windowFormat(24, 8)), arbRow(3, windowFormat(0, 0))};
    generic.rows[0].acceleration = PixelFormatRow::Acceleration::Software;
    EXPECT_EQ(ownFormatInsteadOfGeneric(generic, 1), 2);
    EXPECT_EQ(ownFormatInsteadOfGeneric(generic, 2), 0) << "the driver's own was picked";
    EXPECT_EQ(ownFormatInsteadOfGeneric(generic, 9), 0) << "no such format";
    generic.rows[1].depth = 0;  // its own formats lack what the request needs
    EXPECT_EQ(ownFormatInsteadOfGeneric(generic, 1), 0);
    generic.rows[1] = arbRow(2, windowFormat(24, 8));
    generic.rows[1].doubleBuffer = false;
    EXPECT_EQ(ownFormatInsteadOfGeneric(generic, 1), 0);
    generic.rows[1] = arbRow(2, windowFormat(24, 8));
    generic.rows[1].acceleration = PixelFormatRow::Acceleration::GenericAccelerated;
    EXPECT_EQ(ownFormatInsteadOfGeneric(generic, 1), 0) << "generic accelerated is no driver's own";
}

// A program's request, read as it asks: every attribute, and each slip refused.
TEST(PixelFormats, ReadsAProgramsRequest) {
    PixelFormatRequest r;
    std::string error;
    // Every count its own value, so that a row pointing at another's member shows.
    ASSERT_TRUE(parsePixelFormatRequest(" Depth=24, stencil = 8,samples=4,SRGB,double,alpha=3,float,stereo,pbuffer,bitmap,accelerated,"
                                        "colour=32,red=5,green=6,blue=7,accum=64,aux=2",
                                        &r, &error))
        << error;
    EXPECT_TRUE(r.asked);
    EXPECT_EQ(std::vector<int>({r.depth, r.stencil, r.samples, r.alpha, r.colour, r.red, r.green, r.blue, r.accum, r.aux}),
              std::vector<int>({24, 8, 4, 3, 32, 5, 6, 7, 64, 2}));
    EXPECT_TRUE(r.srgb && r.doubleBuffer && r.isFloat && r.stereo && r.pbuffer && r.bitmap && r.accelerated);
    // Each property alone sets itself and no other.
    const std::pair<const char*, bool PixelFormatRequest::*> properties[] = {
        {"double", &PixelFormatRequest::doubleBuffer}, {"stereo", &PixelFormatRequest::stereo}, {"srgb", &PixelFormatRequest::srgb},
        {"float", &PixelFormatRequest::isFloat},       {"pbuffer", &PixelFormatRequest::pbuffer}, {"bitmap", &PixelFormatRequest::bitmap},
        {"accelerated", &PixelFormatRequest::accelerated}};
    for (const auto& p : properties) {
        ASSERT_TRUE(parsePixelFormatRequest(p.first, &r, &error)) << p.first;
        for (const auto& other : properties) EXPECT_EQ(r.*(other.second), other.first == p.first) << p.first << " set " << other.first;
    }
    // Each count's largest value taken, and one past it refused.
    const std::pair<const char*, int> most[] = {{"colour", 128}, {"color", 128}, {"red", 32},    {"green", 32}, {"blue", 32}, {"alpha", 32},
                                                {"depth", 64},   {"stencil", 32}, {"accum", 256}, {"aux", 16},   {"samples", 256}};
    for (const auto& m : most) {
        EXPECT_TRUE(parsePixelFormatRequest(std::string(m.first) + "=" + std::to_string(m.second), &r, &error)) << m.first << error;
        EXPECT_FALSE(parsePixelFormatRequest(std::string(m.first) + "=" + std::to_string(m.second + 1), &r, &error)) << m.first;
    }
    ASSERT_TRUE(parsePixelFormatRequest("color=24", &r, &error));
    EXPECT_EQ(r.colour, 24);
    EXPECT_EQ(r.depth, -1) << "a new request starts from nothing";
    EXPECT_TRUE(parsePixelFormatRequest("depth=0", &r, &error));
    EXPECT_TRUE(parsePixelFormatRequest("samples=256", &r, &error));
    const std::pair<const char*, const char*> bad[] = {
        {"detph=24", "unknown attribute \"detph\"; did you mean depth?"},
        {"samlpes=4", "did you mean samples?"},
        {"wide=24", "unknown attribute \"wide\" It takes colour=N"},
        {"depth=24,depth=16", "depth is given more than once"},
        {"colour=24,color=32", "colour is given more than once"},
        {"depth", "depth needs a number of bits, such as depth=24"},
        {"depth=x", "depth needs a number"},
        {"depth=-1", "depth needs a number"},
        {"depth=65", "depth=65 is more than any format has (at most 64)"},
        {"samples=257", "at most 256"},
        {"depth=1234567", "depth needs a number"},
        // Each count in its own unit: samples and buffers are not bits.
        {"samples=4x", "samples needs a number of samples, such as samples=4"},
        {"aux=two", "aux needs a number of buffers, such as aux=2"},
        {"stencil=8bits", "stencil needs a number of bits, such as stencil=8"},
        {"double=1", "double takes no value"},
        {"", "an empty attribute"},
        {"depth=24,,stencil=8", "an empty attribute"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(parsePixelFormatRequest(b.first, &r, &error)) << b.first;
        EXPECT_NE(error.find(b.second), std::string::npos) << b.first << ": " << error;
    }
    EXPECT_TRUE(parsePixelFormatRequest("depth=24,", &r, &error)) << "a trailing comma is no empty attribute";
}

// Whether a request is met, which attribute no format has, and what
// wglChoosePixelFormatARB is asked with.
TEST(PixelFormats, AnswersWhetherARequestWouldSucceed) {
    PixelFormatTable table;
    table.rows = {arbRow(1, windowFormat(24, 8, 4)), arbRow(2, windowFormat(16, 0))};
    PixelFormatRequest r;
    std::string error;
    const struct {
        const char* request;
        bool first, second;
        const char* noneHas;
    } cases[] = {
        {"depth=24,stencil=8", true, false, ""},
        {"depth=16", true, true, ""},
        {"samples=4", true, false, ""},
        {"samples=8", false, false, "samples=8"},
        {"double,srgb", false, false, "srgb"},
        {"depth=32", false, false, "depth=32"},
        {"depth=24,stencil=0,samples=0", true, false, ""},
        {"float", false, false, "float"},
        {"accelerated,alpha=8", true, true, ""},
        {"alpha=16", false, false, "alpha=16"},
        {"stencil=8", true, false, ""},  // none is not "not reported"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        ASSERT_TRUE(parsePixelFormatRequest(c.request, &r, &error)) << error;
        EXPECT_EQ(meetsRequest(table.rows[0], r), c.first);
        EXPECT_EQ(meetsRequest(table.rows[1], r), c.second);
        EXPECT_EQ(attributeNoneMeets(table, r), c.noneHas);
    }
    // Each attribute met somewhere, but not by one format at once.
    ASSERT_TRUE(parsePixelFormatRequest("depth=24,stencil=0", &r, &error));
    PixelFormatTable apart;
    apart.rows = {arbRow(1, windowFormat(16, 8)), arbRow(2, windowFormat(24, 8))};
    ASSERT_TRUE(parsePixelFormatRequest("samples=4,depth=24", &r, &error));
    apart.rows[0] = arbRow(1, windowFormat(16, 8, 4));
    EXPECT_FALSE(meetsRequest(apart.rows[0], r) || meetsRequest(apart.rows[1], r));
    EXPECT_EQ(attributeNoneMeets(apart, r), "");
    // Each count against its own column, at the value and one past it.
    const std::pair<const char*, int PixelFormatRow::*> columns[] = {
        {"colour", &PixelFormatRow::colour}, {"red", &PixelFormatRow::red},       {"green", &PixelFormatRow::green},
        {"blue", &PixelFormatRow::blue},     {"alpha", &PixelFormatRow::alpha},   {"depth", &PixelFormatRow::depth},
        {"stencil", &PixelFormatRow::stencil}, {"accum", &PixelFormatRow::accum}, {"aux", &PixelFormatRow::aux},
        {"samples", &PixelFormatRow::samples}};
    for (const auto& c : columns) {
        PixelFormatTable one;
        one.rows = {arbRow(1, windowFormat(16, 16, 16))};
        for (const auto& other : columns) one.rows[0].*(other.second) = 16;
        one.rows[0].*(c.second) = 10;
        ASSERT_TRUE(parsePixelFormatRequest(std::string(c.first) + "=10", &r, &error));
        EXPECT_TRUE(meetsRequest(one.rows[0], r)) << c.first;
        ASSERT_TRUE(parsePixelFormatRequest(std::string(c.first) + "=11", &r, &error));
        EXPECT_FALSE(meetsRequest(one.rows[0], r)) << c.first;
        EXPECT_EQ(attributeNoneMeets(one, r), std::string(c.first) + "=11");
    }
    // Even one sample needs a sample buffer.
    ASSERT_TRUE(parsePixelFormatRequest("samples=1", &r, &error));
    PixelFormatRow single = table.rows[1];
    single.sampleBuffers = 0;
    single.samples = 1;
    EXPECT_FALSE(meetsRequest(single, r));
    // Samples count only with a sample buffer to put them in.
    PixelFormatRow noBuffer = table.rows[0];
    noBuffer.sampleBuffers = 0;
    ASSERT_TRUE(parsePixelFormatRequest("samples=4", &r, &error));
    EXPECT_FALSE(meetsRequest(noBuffer, r));
    // A format that draws to no window meets nothing.
    PixelFormatRow offscreen = table.rows[0];
    offscreen.window = false;
    ASSERT_TRUE(parsePixelFormatRequest("depth=16", &r, &error));
    EXPECT_FALSE(meetsRequest(offscreen, r));

    ASSERT_TRUE(parsePixelFormatRequest("depth=24,samples=4,srgb,double,accelerated", &r, &error));
    const std::vector<int> asked = arbChooseAttributes(r, true, true, true);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), 0);
    EXPECT_EQ(asked.size() % 2, 1u);
    const auto value = [&asked](int attribute) {
        for (std::size_t k = 0; k + 1 < asked.size(); k += 2) {
            if (asked[k] == attribute) return asked[k + 1];
        }
        return -1;
    };
    EXPECT_EQ(value(0x2001), 1);
    EXPECT_EQ(value(0x2010), 1);
    EXPECT_EQ(value(0x2022), 24);
    EXPECT_EQ(value(0x2042), 4);
    EXPECT_EQ(value(0x2041), 1);
    EXPECT_EQ(value(0x20A9), 1);
    EXPECT_EQ(value(0x2011), 1);
    EXPECT_EQ(value(0x2003), 0x2027);
    EXPECT_EQ(value(0x2013), 0x202B);
    EXPECT_EQ(value(0x2023), -1) << "stencil was not asked";
    ASSERT_TRUE(parsePixelFormatRequest("bitmap,stereo,pbuffer", &r, &error));
    const std::vector<int> flags = arbChooseAttributes(r, true, true, true);
    for (const int attribute : {0x2002, 0x2012, 0x202D}) {
        bool found = false;
        for (std::size_t k = 0; k + 1 < flags.size(); k += 2) found = found || (flags[k] == attribute && flags[k + 1] == 1);
        EXPECT_TRUE(found) << attribute;
    }
    // Without the extensions, what they alone know is not asked (the answer is checked instead).
    const std::vector<int> bare = arbChooseAttributes(r, false, false, false);
    for (std::size_t k = 0; k + 1 < bare.size(); k += 2) EXPECT_TRUE(bare[k] != 0x2042 && bare[k] != 0x20A9) << bare[k];
}
