#pragma once
// UTF-16 and UTF-8, converted by rules that need no Windows: the system gives
// paths and registry text as UTF-16, and they must reach the JSON unchanged.
#include <cstddef>
#include <string>

// A lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(const char16_t* text, std::size_t length);
inline std::string utf16ToUtf8(const std::u16string& text) { return utf16ToUtf8(text.data(), text.size()); }

// A byte sequence that is not UTF-8 becomes U+FFFD.
std::u16string utf8ToUtf16(const std::string& text);

// The length of the UTF-8 sequence at `p` (n bytes left), or 0 when it is not
// one: a stray continuation byte, a cut sequence, an overlong form, a
// surrogate or a code point past U+10FFFF.
std::size_t utf8SequenceLength(const unsigned char* p, std::size_t n);

// U+FFFD, in UTF-8.
constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";

// Text walked as UTF-8 for a writer's escaping: each ASCII byte goes to
// `ascii`, which appends what stands for it; a longer sequence is kept as it
// is; a byte that begins none becomes U+FFFD.
std::string mapUtf8(const std::string& text, void (*ascii)(std::string& out, unsigned char c));

// The platform's wide text (UTF-16 on Windows) as UTF-8, and back.
std::string wideToUtf8(const std::wstring& text);
std::wstring utf8ToWide(const std::string& text);
