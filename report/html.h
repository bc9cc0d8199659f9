#pragma once
// The report as one self-contained HTML page: no script and nothing fetched,
// readable offline and printable. The summary first, then the text report's
// facts in its order, the frame the rendering test read back as a picture,
// the long lists last; the JSON report inside it as data, which --compare
// reads back. Every text from the driver, the registry, a file or a path is
// escaped. Rules only, no Windows.
#include <string>

#include "report/report.h"

std::string formatHtml(const Report& report);

// Text made safe for the page's text and its quoted attributes, every
// character kept; bytes that are not UTF-8 become U+FFFD.
std::string htmlEscaped(const std::string& text);

// An extension's page in the Khronos registry, made from its name's vendor
// and rest: "GL_ARB_sync" -> ".../ARB/ARB_sync.txt", "WGL_EXT_swap_control"
// -> ".../EXT/WGL_EXT_swap_control.txt"; empty for a name that is no
// GL_, WGL_ or GLX_ name of letters, digits and underscores.
std::string extensionPage(const std::string& name);
