#include "platform/utf.h"

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::size_t utf8SequenceLength(const unsigned char* p, std::size_t n) {
    const unsigned char c = p[0];
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (c < 0x80) return 1;
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
    for (std::size_t k = 2; k < length; ++k) {
        if (p[k] < 0x80 || p[k] > 0xBF) return 0;
    }
    return length;
}

std::string utf16ToUtf8(const char16_t* text, std::size_t length) {
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const char16_t c = text[i];
        if (isHigh(c) && i + 1 < length && isLow(text[i + 1])) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (isHigh(c) || isLow(c)) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const std::size_t length = utf8SequenceLength(p + i, n - i);
        if (length == 0) {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        char32_t c = length == 1 ? p[i] : p[i] & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (p[i + k] & 0x3F);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

std::string wideToUtf8(const std::wstring& text) {
    if (sizeof(wchar_t) == 2) return utf16ToUtf8(std::u16string(text.begin(), text.end()));
    std::string out;
    for (const wchar_t c : text) {
        const auto code = static_cast<char32_t>(c);
        appendUtf8(out, code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? 0xFFFD : code);
    }
    return out;
}

std::wstring utf8ToWide(const std::string& text) {
    const std::u16string units = utf8ToUtf16(text);
    if (sizeof(wchar_t) == 2) return std::wstring(units.begin(), units.end());
    std::wstring out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        if (isHigh(c) && i + 1 < units.size() && isLow(units[i + 1])) {
            out += static_cast<wchar_t>(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

std::string mapUtf8(const std::string& text, void (*ascii)(std::string& out, unsigned char c)) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        if (p[i] < 0x80) {
            ascii(out, p[i++]);
            continue;
        }
        const std::size_t length = utf8SequenceLength(p + i, text.size() - i);
        if (length == 0) {
            out += kUtf8Replacement;
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}
