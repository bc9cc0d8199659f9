// The HTML page: its PNG read back by zlib, its escaping, its links, and the
// JSON it carries.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "report/compare.h"
#include "report/html.h"
#include "report/json.h"
#include "report/json_reader.h"
#include "report/png.h"
#include "report/text.h"

namespace {

std::uint32_t bigEndian(const std::string& s, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 | static_cast<unsigned char>(s[at + 3]);
}

// The pixels of a PNG, read as the format says: chunks checked by their
// CRC, the image data inflated by zlib, each row after its filter byte.
std::string decodedPng(const std::string& png, int* width, int* height) {
    EXPECT_EQ(png.compare(0, 8, std::string("\x89PNG\r\n\x1A\n", 8)), 0);
    std::string idat, header;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = bigEndian(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, length);
        const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
        EXPECT_EQ(bigEndian(png, at + 8 + length), crc) << type;
        if (type == "IHDR") header = data;
        if (type == "IDAT") idat += data;
        at += 12 + length;
        if (type == "IEND") {
            EXPECT_EQ(at, png.size());
        }
    }
    EXPECT_EQ(header.size(), 13u);
    *width = static_cast<int>(bigEndian(header, 0));
    *height = static_cast<int>(bigEndian(header, 4));
    EXPECT_EQ(header.substr(8), std::string("\x08\x02\x00\x00\x00", 5)) << "8-bit RGB, no interlace";
    std::string raw(static_cast<std::size_t>(*height) * (*width * 3 + 1), '\0');
    uLongf size = raw.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&raw[0]), &size, reinterpret_cast<const Bytef*>(idat.data()), idat.size()), Z_OK);
    EXPECT_EQ(size, raw.size());
    // Stored blocks, as few as hold the rows: the zlib header, 5 bytes a block, the Adler-32.
    EXPECT_EQ(idat.size(), 2 + 5 * ((raw.size() + 65534) / 65535) + raw.size() + 4);
    std::string pixels;
    for (int y = 0; y < *height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * (*width * 3 + 1);
        EXPECT_EQ(raw[row], '\0') << "filter of row " << y;
        pixels += raw.substr(row + 1, static_cast<std::size_t>(*width) * 3);
    }
    return pixels;
}

std::size_t count(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

ReportFacts facts() {
    ReportFacts f;
    f.programName = "OpenGL Renderer infos";
    f.programVersion = "1.0.0.11";
    f.vendor = Answer{true, "V & Co \"quoted\""};
    f.renderer = Answer{true, "<script>alert(1)</script> \xC3\xA9t\xC3\xA9"};
    f.version = Answer{true, "4.5 </script><script>alert(2)</script>"};
    f.pixelFormat = PixelFormatFacts{3, 32, 8, 24, 8, 0x25};
    f.extensions = {"GL_ARB_sync", "\"><img src=x onerror=alert(1)>", "WGL_EXT_swap_control"};
    f.glExtensions = {"GL_ARB_sync", "\"><img src=x onerror=alert(1)>"};
    f.wglExtensions = {"WGL_EXT_swap_control"};
    f.driverRows = {"Software (MICROSOFT): OpenGL32.dll"};
    return f;
}

}  // namespace

TEST(Png, ZlibReadsBackEveryPixel) {
    EXPECT_EQ(base64(""), "");
    EXPECT_EQ(base64("f"), "Zg==");
    EXPECT_EQ(base64("fo"), "Zm8=");
    EXPECT_EQ(base64("foo"), "Zm9v");
    EXPECT_EQ(base64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(base64(std::string("\xFF\xFE\x00", 3)), "//4A");
    // Larger than one stored block (65,535 bytes), and a single pixel.
    for (const auto& size : {std::pair<int, int>{301, 250}, std::pair<int, int>{1, 1}}) {
        std::string pixels;
        for (int i = 0; i < size.first * size.second * 3; ++i) pixels += static_cast<char>((i * 7 + i / 3) & 0xFF);
        int width = 0, height = 0;
        const std::string png = pngImage(size.first, size.second, reinterpret_cast<const std::uint8_t*>(pixels.data()));
        EXPECT_EQ(decodedPng(png, &width, &height), pixels);
        EXPECT_EQ(width, size.first);
        EXPECT_EQ(height, size.second);
    }
}

TEST(Html, EscapesEveryKindOfCharacter) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a & b", "a &amp; b"},
        {"<script>", "&lt;script&gt;"},
        {"\"double\" 'single'", "&quot;double&quot; &#39;single&#39;"},
        {"tab\tkept", "tab\tkept"},
        {"nul\x01" "bell\x07", "nul\xEF\xBF\xBD" "bell\xEF\xBF\xBD"},
        {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80"},
        {"bad \xFF and cut \xE2\x82", "bad \xEF\xBF\xBD and cut \xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) EXPECT_EQ(htmlEscaped(c.in), c.out) << c.in;
    EXPECT_EQ(htmlEscaped(std::string("a\0b", 3)), "a\xEF\xBF\xBD" "b");
}

TEST(Html, LinksEachExtensionToItsRegistryPage) {
    const std::string base = "https://registry.khronos.org/OpenGL/extensions/";
    const struct {
        const char* name;
        std::string page;
    } cases[] = {
        {"GL_ARB_sync", base + "ARB/ARB_sync.txt"},
        {"GL_ARB_texture_float", base + "ARB/ARB_texture_float.txt"},
        {"GL_ARB_texture_rgb10_a2ui", base + "ARB/ARB_texture_rgb10_a2ui.txt"},
        {"GL_ARB_texture_swizzle", base + "ARB/ARB_texture_swizzle.txt"},
        {"GL_ATI_texture_float", base + "ATI/ATI_texture_float.txt"},
        {"GL_ARB_texture_rgb10-a2ui", ""},
        {"GL_NVX_gpu_memory_info", base + "NVX/NVX_gpu_memory_info.txt"},
        {"GL_3DFX_texture_compression_FXT1", base + "3DFX/3DFX_texture_compression_FXT1.txt"},
        {"WGL_EXT_swap_control", base + "EXT/WGL_EXT_swap_control.txt"},
        {"WGL_ARB_pixel_format", base + "ARB/WGL_ARB_pixel_format.txt"},
        {"GLX_ARB_create_context", base + "ARB/GLX_ARB_create_context.txt"},
        {"GL_foo", ""},
        {"GL_ARB_", ""},
        {"GL__x", ""},
        {"VK_KHR_surface", ""},
        {"GL_ARB_a\"b", ""},
        {"\"><img src=x onerror=alert(1)>", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(extensionPage(c.name), c.page) << c.name;
}

TEST(Html, ThePageKeepsUntrustedTextAsTextAndCarriesItsJson) {
    Report report = makeReport(facts());
    const std::string page = formatHtml(report);
    // Only the page's own elements: one data element, no image without a frame.
    EXPECT_EQ(count(page, "<script"), 1u);
    EXPECT_EQ(count(page, "</script>"), 1u);
    EXPECT_EQ(count(page, "<img"), 0u);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt; \xC3\xA9t\xC3\xA9"), std::string::npos);
    EXPECT_NE(page.find("<li>&quot;&gt;&lt;img src=x onerror=alert(1)&gt;</li>"), std::string::npos);
    EXPECT_NE(page.find("<li><a href=\"https://registry.khronos.org/OpenGL/extensions/ARB/ARB_sync.txt\">GL_ARB_sync</a></li>"),
              std::string::npos);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    // The summary first, the facts, then the extensions.
    EXPECT_NE(page.find("<table>\n<tr><th>Program</th><td>OpenGL Renderer infos 1.0.0.11 ("), std::string::npos);
    EXPECT_NE(page.find("</td></tr>\n</table>\n<details>"), std::string::npos);
    const std::size_t summary = page.find("<p class=\"summary\">"), table = page.find("<table>"), list = page.find("<details>");
    EXPECT_LT(summary, table);
    EXPECT_LT(table, list);
    EXPECT_NE(page.find("<tr><th>Rendering test</th><td>not run: the context was not current</td></tr>"), std::string::npos);
    EXPECT_EQ(page.find("<th>Summary"), std::string::npos) << "the summary is at the top, once";
    EXPECT_NE(page.find("<tr><th>Drivers (* selected)</th><td><ul><li>Software (MICROSOFT): OpenGL32.dll</li>"),
              std::string::npos);

    // The JSON inside reads back as the report's own, "</script>" and all.
    bool isPage = false;
    const std::string json = embeddedReport(page, &isPage);
    ASSERT_TRUE(isPage);
    const JsonReading carried = readJson(json), own = readJson(formatJson(report));
    ASSERT_TRUE(carried.read) << carried.problem;
    EXPECT_FALSE(compareReports(own.value, carried.value).any());
    EXPECT_EQ(carried.value.get("opengl")->get("version")->text, "4.5 </script><script>alert(2)</script>");
    // Cut short: a page still, with no report.
    EXPECT_EQ(embeddedReport(page.substr(0, page.size() / 2), &isPage), "");
    EXPECT_TRUE(isPage);
    EXPECT_EQ(embeddedReport(formatJson(report), &isPage), "");
    EXPECT_FALSE(isPage);
    EXPECT_EQ(embeddedReport(" " + page, &isPage), "") << "a page begins with its doctype";
    EXPECT_FALSE(isPage);

    // With a --compare, the changes block is in the page too.
    report.compared = true;
    report.changes.file = "old <1>.json";
    EXPECT_NE(formatHtml(report).find("<tr><th>Changes since old &lt;1&gt;.json (the older report does not say when it was made)"),
              std::string::npos);
}

TEST(Html, TheFrameIsShownWithItsPointsMarked) {
    ReportFacts f = facts();
    FrameReading& frame = f.renderingTest;
    frame.state = FrameReading::State::Read;
    frame.width = 40;
    frame.height = 30;
    frame.pixels.assign(40 * 30 * 3, 0);
    for (std::size_t i = 0; i < frame.pixels.size(); i += 3) frame.pixels[i] = 200;  // all red
    FrameSample sample;
    sample.x = 10;
    sample.y = 5;  // counted from the bottom: row 24 from the top
    FrameSample corner;  // its square runs along the top and left edges
    corner.x = 3;
    corner.y = 26;
    frame.samples = {sample, corner};
    const std::string page = formatHtml(makeReport(f));
    const std::string marker = "src=\"data:image/png;base64,";
    const std::size_t at = page.find(marker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(page.find("width=\"40\" height=\"30\""), std::string::npos);
    EXPECT_EQ(count(page, "<img"), 1u);
    const std::size_t row = page.find("<tr><th>Rendering test</th>");
    EXPECT_LT(row, at);
    EXPECT_GT(page.find("<tr>", row + 1), at) << "beside the verdict, in its row";
    const std::string encoded = page.substr(at + marker.size(), page.find('"', at + marker.size()) - at - marker.size());
    // base64 back to bytes
    std::string png;
    int bits = 0, value = 0;
    for (char c : encoded) {
        const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        if (c == '=') break;
        value = ((value << 6) | static_cast<int>(std::strchr(digits, c) - digits)) & 0xFFFF;
        if ((bits += 6) >= 8) png += static_cast<char>((value >> (bits -= 8)) & 0xFF);
    }
    int width = 0, height = 0;
    const std::string pixels = decodedPng(png, &width, &height);
    const auto pixel = [&](int x, int y) { return pixels.substr((static_cast<std::size_t>(y) * width + x) * 3, 3); };
    EXPECT_EQ(pixel(10, 24), std::string("\xC8\0\0", 3)) << "the point itself stays as read";
    EXPECT_EQ(pixel(13, 24), "\xFF\xFF\xFF") << "its square";
    EXPECT_EQ(pixel(10, 21), "\xFF\xFF\xFF");
    EXPECT_EQ(pixel(1, 1), std::string("\xC8\0\0", 3));
    EXPECT_EQ(pixel(3, 0), "\xFF\xFF\xFF") << "the corner's square, cut by the edge";
    EXPECT_EQ(pixel(0, 3), "\xFF\xFF\xFF");
    EXPECT_EQ(pixel(39, 29), std::string("\xC8\0\0", 3));
    EXPECT_EQ(pixel(0, 15), std::string("\xC8\0\0", 3)) << "the first column too";

    // A large frame is shown smaller, whole.
    frame.width = 1300;
    frame.height = 700;
    frame.pixels.assign(1300 * 700 * 3, 9);
    EXPECT_NE(formatHtml(makeReport(f)).find("width=\"433\" height=\"233\""), std::string::npos);
    // A frame that failed to read is not shown.
    frame.state = FrameReading::State::ReadFailed;
    EXPECT_EQ(formatHtml(makeReport(f)).find("<img"), std::string::npos);
}

TEST(Html, TheLongListsComeLastInTheTextAndThePage) {
    ReportFacts f = facts();
    f.pixelFormatTable.source = PixelFormatTable::Source::Describe;
    f.pixelFormatTable.count = 1;
    f.pixelFormatTable.rows.push_back(PixelFormatRow());
    Request request;
    request.listPixelFormats = true;
    const Report report = makeReport(f, request);
    const std::string text = formatReport(report);
    const std::size_t extensions = text.find("\r\nExtensions: 3 ");
    EXPECT_LT(text.find("\r\nPixel formats: "), extensions);
    EXPECT_LT(text.find("\r\nCore profile: "), extensions);
    EXPECT_LT(extensions, text.find("\r\nPixel format list ("));
    const std::string page = formatHtml(report);
    EXPECT_LT(page.find("<details><summary>Extensions: 3 "), page.find("<details open><summary>Pixel format list"));
    EXPECT_LT(page.find("</table>"), page.find("<details>"));
}
