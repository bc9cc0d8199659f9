#pragma once
// Two text rules that several readers share, for text from anywhere: case
// folding of A to Z alone (every other byte or unit kept, so UTF-8 and
// UTF-16 pass through whole), and the edit distance that the misspelling
// rules measure by. No Windows needed.
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

template <typename Text>
Text asciiLower(Text text) {
    for (auto& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<typename Text::value_type>(c - 'A' + 'a');
    }
    return text;
}
inline std::string asciiLower(const char* text) { return asciiLower(std::string(text)); }

// Edits (insertions, deletions, substitutions, swaps of neighbours) from a to b.
template <typename Text>
std::size_t editDistance(const Text& a, const Text& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}
