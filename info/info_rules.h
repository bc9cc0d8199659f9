#pragma once
// The renderer information's rules, apart from the controls that show them: the
// information text, and the extension text joined and split into rows.
#include <cstddef>

// Joins the OpenGL and WGL extension strings into one newly allocated text
// (free it with std::free). One space separates the two parts unless the OpenGL
// part already ends in one or is empty. A null part counts as empty. Returns
// nullptr only when the allocation fails.
char* joinExtensionText(const char* gl, const char* wgl);

// Splits the text in place at every single space (writing terminators into it)
// and hands each row to addRow. Doubled or leading spaces give empty rows; a
// trailing space gives no extra row; an empty or null text gives none.
template <typename AddRow>
void splitExtensionRows(char* text, AddRow addRow) {
    if (text == nullptr || text[0] == '\0') return;
    char* row = text;
    char* p = text;
    for (; *p != '\0'; ++p) {
        if (*p == ' ') {
            *p = '\0';
            addRow(static_cast<const char*>(row));
            row = p + 1;
        }
    }
    if (row != p) addRow(static_cast<const char*>(row));
}

constexpr std::size_t kInfoTextSize = 1024;

// "Vendor: %s\nRenderer: %s\nVersion: %s", cut to fit the buffer; a null
// string from the implementation shows as empty.
void formatRendererInfo(char (&out)[kInfoTextSize], const char* vendor, const char* renderer,
                        const char* version);
