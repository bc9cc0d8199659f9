#include "report/html.h"

#include <vector>

#include "platform/utf.h"
#include "report/json.h"
#include "report/json_reader.h"
#include "report/png.h"
#include "report/text.h"

namespace {

// A picture wider or taller than this is shown at a whole fraction of its size.
constexpr int kLargestPicture = 640;

const char kStyle[] =
    "body{font:15px/1.45 sans-serif;margin:1.5em auto;max-width:64em;padding:0 1em;color:#1a1a1a;background:#fff}"
    "h1{font-size:1.4em}.summary{font-size:1.15em;border-left:.3em solid #555;padding:.2em .8em}"
    "table{border-collapse:collapse;width:100%}th,td{border-top:1px solid #ccc;padding:.3em .5em;vertical-align:top;"
    "text-align:left}th{white-space:nowrap;font-weight:600}ul{margin:.2em 0;padding-left:1.3em}"
    "figure{margin:.5em 0}img{border:1px solid #777;image-rendering:pixelated}pre{font-size:12px;overflow-x:auto}"
    "details{margin-top:1em}summary{font-weight:600;cursor:pointer}@media print{details>*{display:block}}";

bool nameCharacters(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    }
    return true;
}

// The frame as a PNG data: address, with a white square around each point read.
std::string framePicture(const FrameReading& frame) {
    int step = 1;
    while (frame.width / step > kLargestPicture || frame.height / step > kLargestPicture) ++step;
    const int width = frame.width / step, height = frame.height / step;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] =
                    frame.pixels[(static_cast<std::size_t>(y) * step * frame.width + x * step) * 3 + c];
            }
        }
    }
    for (const FrameSample& s : frame.samples) {
        // Samples count rows from the bottom, as OpenGL reads them.
        const int cx = s.x / step, cy = (frame.height - 1 - s.y) / step;
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                const int x = cx + dx, y = cy + dy;
                if ((dx * dx == 9 || dy * dy == 9) && x >= 0 && y >= 0 && x < width && y < height) {
                    for (int c = 0; c < 3; ++c) rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] = 255;
                }
            }
        }
    }
    return "<figure><img alt=\"The frame the rendering test drew and read back\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\" src=\"data:image/png;base64," +
           base64(pngImage(width, height, rgb.data())) +
           "\"><figcaption>The frame as this machine drew it and read it back; white squares mark the points read: inside "
           "each visible face, and the background near the corners.</figcaption></figure>";
}

// The text report's lines as rows: "Label: value", and the indented lines
// that follow a label as its list.
std::string factRows(const Report& r) {
    const std::string text = formatReportFacts(r);
    std::string out = "<table>\n";
    std::string items;
    const auto closeItems = [&]() {
        if (!items.empty()) out += "<ul>" + items + "</ul>";
        items.clear();
    };
    bool open = false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        if (line.compare(0, 9, "Summary: ") == 0) continue;  // at the top
        if (line.size() > 1 && (line[0] == ' ' || line[0] == '*') && line[1] == ' ') {
            items += "<li>" + htmlEscaped(line.substr(2)) + (line[0] == '*' ? " (selected)" : "") + "</li>";
            continue;
        }
        closeItems();
        if (open) out += "</td></tr>\n";
        const std::size_t colon = line.find(": ");
        const bool labelled = colon != std::string::npos;
        const std::string label = labelled ? line.substr(0, colon) : line.substr(0, line.size() - (line.back() == ':' ? 1 : 0));
        out += "<tr><th>" + htmlEscaped(label) + "</th><td>" + (labelled ? htmlEscaped(line.substr(colon + 2)) : std::string());
        if (label == "Rendering test") {
            const FrameReading& frame = r.facts.renderingTest;
            if (frame.state == FrameReading::State::Read && !frame.pixels.empty()) out += framePicture(frame);
        }
        open = true;
    }
    closeItems();
    if (open) out += "</td></tr>\n";
    return out + "</table>\n";
}

// The extensions, collapsed under their count, each linked to its page.
std::string extensionList(const Report& r) {
    const std::string text = extensionsText(r);
    const std::size_t first = text.find("\r\n");
    std::string out = "<details><summary>" + htmlEscaped(text.substr(0, first)) + "</summary><ul>\n";
    for (std::size_t at = first + 2; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        const std::string name = text.substr(at + 2, end - at - 2);
        at = end + 2;
        const std::string page = extensionPage(name);
        out += page.empty() ? "<li>" + htmlEscaped(name) + "</li>\n"
                            : "<li><a href=\"" + htmlEscaped(page) + "\">" + htmlEscaped(name) + "</a></li>\n";
    }
    return out + "</ul></details>\n";
}

}  // namespace

std::string htmlEscaped(const std::string& text) {
    return mapUtf8(text, [](std::string& out, unsigned char c) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        // Controls have no place in a page; NUL would even be dropped.
        default: out += c < 0x20 && c != '\t' ? kUtf8Replacement : std::string(1, static_cast<char>(c)); break;
        }
    });
}

std::string extensionPage(const std::string& name) {
    const std::size_t prefix = name.find('_');
    const std::string api = name.substr(0, prefix == std::string::npos ? 0 : prefix);
    if (api != "GL" && api != "WGL" && api != "GLX") return std::string();
    const std::size_t vendorEnd = name.find('_', prefix + 1);
    if (vendorEnd == std::string::npos || !nameCharacters(name.substr(prefix + 1))) return std::string();
    const std::string vendor = name.substr(prefix + 1, vendorEnd - prefix - 1);
    // The registry names GL's pages without "GL_", the window systems' with theirs.
    const std::string page = api == "GL" ? name.substr(prefix + 1) : name;
    return vendor.empty() || vendorEnd + 1 == name.size()
               ? std::string()
               : "https://registry.khronos.org/OpenGL/extensions/" + vendor + "/" + page + ".txt";
}

std::string formatHtml(const Report& r) {
    const ReportFacts& f = r.facts;
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                      "<meta name=\"viewport\" content=\"width=device-width\">"
                      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
                      "style-src 'unsafe-inline'\">\n<title>";
    out += htmlEscaped(f.programName + (given(f.renderer) ? ": " + f.renderer.text : std::string()));
    out += "</title>\n<style>" + std::string(kStyle) + "</style></head>\n<body>\n<h1>" + htmlEscaped(f.programName) + "</h1>\n";
    out += "<p class=\"summary\">" + htmlEscaped(r.findings.summary.text) + "</p>\n";
    out += factRows(r);
    out += extensionList(r);
    const std::string formats = pixelFormatListText(r);
    if (!formats.empty()) out += "<details open><summary>Pixel format list</summary><pre>" + htmlEscaped(formats) + "</pre></details>\n";
    // Data, never run; "<" written as \u003c so that no text can end the element.
    std::string json = formatJson(r);
    if (!json.empty() && json.back() == '\n') json.pop_back();
    out += kReportDataOpen;
    for (char c : json) out += c == '<' ? std::string("\\u003c") : std::string(1, c);
    out += kReportDataClose;
    return out + "\n</body></html>\n";
}
