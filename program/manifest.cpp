#include "program/manifest.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "platform/ascii.h"

namespace {

constexpr std::size_t kDeepest = 64;  // elements inside each other; deeper is refused
const char kCompatibility[] = "urn:schemas-microsoft-com:compatibility.v1";
const char kWindows10[] = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}";

bool space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string trimmed(const std::string& text) {
    std::size_t from = 0, to = text.size();
    while (from < to && space(text[from])) ++from;
    while (to > from && space(text[to - 1])) --to;
    return text.substr(from, to - from);
}

// UTF-16 (with a byte-order mark or without one, as its zero bytes show) as
// 8-bit text: every name and value that counts here is ASCII, anything else
// becomes "?". UTF-8 stays as it is, without its mark.
std::string decoded(const std::string& b) {
    const auto at = [&b](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    if (b.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) return b.substr(3);
    bool little = false, big = false;
    std::size_t from = 0;
    if (b.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
        little = true;
        from = 2;
    } else if (b.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) {
        big = true;
        from = 2;
    } else if (b.size() >= 2 && at(0) != 0 && at(1) == 0) {
        little = true;
    } else if (b.size() >= 2 && at(0) == 0 && at(1) != 0) {
        big = true;
    }
    if (!little && !big) return b;
    std::string out;
    for (std::size_t i = from; i + 1 < b.size(); i += 2) {
        const unsigned unit = little ? at(i) | at(i + 1) << 8 : at(i) << 8 | at(i + 1);
        out += unit > 0 && unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return out;
}

struct Element {
    std::string qualified;  // as written, for its end tag
    std::string local;
    std::string space;      // its namespace
    std::vector<std::pair<std::string, std::string>> declared;  // prefix ("" the default) and namespace
};

class Reader {
public:
    explicit Reader(const std::string& text) : t_(text) {}

    ManifestFacts read() {
        ManifestFacts facts;
        bool root = false;
        while (i_ < t_.size()) {
            if (t_[i_] != '<') {
                const std::size_t next = t_.find('<', i_);
                text(t_.substr(i_, next == std::string::npos ? std::string::npos : next - i_));
                if (next == std::string::npos) break;
                i_ = next;
                continue;
            }
            if (starts("<?")) {
                if (!skipPast("?>")) return ManifestFacts();
            } else if (starts("<!--")) {
                if (!skipPast("-->")) return ManifestFacts();
            } else if (starts("<![CDATA[")) {
                const std::size_t end = t_.find("]]>", i_);
                if (end == std::string::npos) return ManifestFacts();
                text(t_.substr(i_ + 9, end - i_ - 9));
                i_ = end + 3;
            } else if (starts("<!")) {
                if (!skipPast(">")) return ManifestFacts();
            } else if (starts("</")) {
                const std::size_t end = t_.find('>', i_);
                if (end == std::string::npos || stack_.empty() || trimmed(t_.substr(i_ + 2, end - i_ - 2)) != stack_.back().qualified) {
                    return ManifestFacts();
                }
                stack_.pop_back();
                i_ = end + 1;
            } else {
                if (root && stack_.empty()) return ManifestFacts();  // a second root
                root = true;
                if (!startTag(&facts)) return ManifestFacts();
            }
        }
        if (!root || !stack_.empty()) return ManifestFacts();
        facts.wellFormed = true;
        facts.supportsArm64 = arm64_;
        return facts;
    }

private:
    bool starts(const char* piece) const { return t_.compare(i_, std::char_traits<char>::length(piece), piece) == 0; }

    bool skipPast(const char* piece) {
        const std::size_t end = t_.find(piece, i_);
        if (end == std::string::npos) return false;
        i_ = end + std::char_traits<char>::length(piece);
        return true;
    }

    // The namespace a prefix stands for, from the element outwards.
    std::string resolve(const std::string& prefix, const Element& current) const {
        for (const auto& d : current.declared) {
            if (d.first == prefix) return d.second;
        }
        for (std::size_t k = stack_.size(); k-- > 0;) {
            for (const auto& d : stack_[k].declared) {
                if (d.first == prefix) return d.second;
            }
        }
        return std::string();
    }

    // Whether the open elements, from the root, are these (local names).
    bool path(std::initializer_list<const char*> names) const {
        if (stack_.size() != names.size()) return false;
        std::size_t k = 0;
        for (const char* name : names) {
            if (stack_[k++].local != name) return false;
        }
        return true;
    }

    void text(const std::string& piece) {
        if (!path({"assembly", "application", "windowsSettings", "supportedArchitectures"})) return;
        std::string word;
        for (std::size_t k = 0; k <= piece.size(); ++k) {
            if (k == piece.size() || space(piece[k])) {
                if (asciiLower(word) == "arm64") arm64_ = true;
                word.clear();
            } else {
                word += piece[k];
            }
        }
    }

    bool startTag(ManifestFacts* facts) {
        Element e;
        ++i_;
        const std::size_t nameEnd = t_.find_first_of(" \t\r\n/>", i_);
        if (nameEnd == std::string::npos || nameEnd == i_) return false;
        e.qualified = t_.substr(i_, nameEnd - i_);
        i_ = nameEnd;
        std::vector<std::pair<std::string, std::string>> attributes;
        bool closed = false;
        for (;;) {
            while (i_ < t_.size() && space(t_[i_])) ++i_;
            if (i_ >= t_.size()) return false;
            if (starts("/>")) {
                closed = true;
                i_ += 2;
                break;
            }
            if (t_[i_] == '>') {
                ++i_;
                break;
            }
            const std::size_t equals = t_.find('=', i_);
            if (equals == std::string::npos) return false;
            const std::string name = trimmed(t_.substr(i_, equals - i_));
            i_ = equals + 1;
            while (i_ < t_.size() && space(t_[i_])) ++i_;
            if (name.empty() || i_ >= t_.size() || (t_[i_] != '"' && t_[i_] != '\'')) return false;
            const std::size_t end = t_.find(t_[i_], i_ + 1);
            if (end == std::string::npos) return false;
            attributes.emplace_back(name, t_.substr(i_ + 1, end - i_ - 1));
            i_ = end + 1;
        }
        for (const auto& a : attributes) {
            if (a.first == "xmlns") e.declared.emplace_back("", a.second);
            if (a.first.compare(0, 6, "xmlns:") == 0) e.declared.emplace_back(a.first.substr(6), a.second);
        }
        const std::size_t colon = e.qualified.find(':');
        e.local = colon == std::string::npos ? e.qualified : e.qualified.substr(colon + 1);
        e.space = resolve(colon == std::string::npos ? std::string() : e.qualified.substr(0, colon), e);
        // supportedOS counts only where Windows reads it, in the compatibility namespace.
        if (e.local == "supportedOS" && e.space == kCompatibility && path({"assembly", "compatibility", "application"}) &&
            stack_[1].space == kCompatibility && stack_[2].space == kCompatibility) {
            for (const auto& a : attributes) {
                if (a.first == "Id" && asciiLower(trimmed(a.second)) == kWindows10) facts->declaresWindows10 = true;
            }
        }
        if (!closed) {
            if (stack_.size() >= kDeepest) return false;
            stack_.push_back(std::move(e));
        }
        return true;
    }

    const std::string& t_;
    std::size_t i_ = 0;
    std::vector<Element> stack_;
    bool arm64_ = false;
};

}  // namespace

ManifestFacts readManifestText(const std::string& bytes) {
    const std::string text = decoded(bytes);
    return Reader(text).read();
}
