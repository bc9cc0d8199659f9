#include "info/info_rules.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

char* joinExtensionText(const char* gl, const char* wgl) {
    if (gl == nullptr) gl = "";
    if (wgl == nullptr) wgl = "";
    const std::size_t n = std::strlen(gl);
    const std::size_t m = std::strlen(wgl);
    char* text = static_cast<char*>(std::malloc(n + m + 2));
    if (text == nullptr) return nullptr;
    std::memcpy(text, gl, n + 1);
    std::size_t at = n;
    // An empty OpenGL part has no last character to look at: no separator then.
    if (n > 0 && gl[n - 1] != ' ') text[at++] = ' ';
    std::memcpy(text + at, wgl, m + 1);
    return text;
}

void formatRendererInfo(char (&out)[kInfoTextSize], const char* vendor, const char* renderer,
                        const char* version) {
    std::snprintf(out, sizeof out, "Vendor: %s\nRenderer: %s\nVersion: %s", vendor ? vendor : "",
                  renderer ? renderer : "", version ? version : "");
}
