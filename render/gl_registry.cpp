#include "render/gl_registry.h"

#include <algorithm>

#include "gl_registry_table.h"

namespace {

// A decimal number as scanf's %d reads one: blanks skipped, a sign, digits.
// Past INT_MAX it stays there, a version no one has.
bool readNumber(const char*& p, int* value) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p < '0' || *p > '9') return false;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) v = v < 0x7FFFFFFF ? v * 10 + (*p - '0') : v;
    if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
    *value = static_cast<int>(negative ? -v : v);
    return true;
}

constexpr int kVersionCount = static_cast<int>(sizeof kGlRegistryVersions / sizeof kGlRegistryVersions[0]);
constexpr GlVersion kCoreProfileFrom{3, 2};

GlVersion versionAt(unsigned place) {
    return place < static_cast<unsigned>(kVersionCount)
               ? GlVersion{kGlRegistryVersions[place][0], kGlRegistryVersions[place][1]}
               : GlVersion{};
}

struct Checking {
    FunctionCheck* check;
    GlProfile profile;
    bool (*resolves)(const char*, GlVersion, void*);
    void* context;
};

void checkOne(const RegistryFunction& f, void* context) {
    Checking& c = *static_cast<Checking*>(context);
    const GlVersion version = c.profile == GlProfile::Core ? f.core : f.version;
    if (version.major == 0 || !atLeast(c.check->upTo, version)) return;
    ++c.check->asked;
    // Where it comes from depends on the version that brought it: 1.0 and 1.1
    // are the library's own exports, in either profile.
    if (c.resolves(f.name.c_str(), f.version, c.context)) {
        ++c.check->resolved;
    } else {
        c.check->missing.push_back(MissingFunction{f.name, version});
    }
}

}  // namespace

GlVersion parseGlVersion(const std::string& text) {
    GlVersion v;
    const char* p = text.c_str();
    int major = 0, minor = 0;
    if (readNumber(p, &major) && *p == '.' && readNumber(++p, &minor) && major > 0 && minor >= 0) {
        v.major = major;
        v.minor = minor;
    }
    return v;
}

std::string versionNumber(GlVersion version) { return std::to_string(version.major) + "." + std::to_string(version.minor); }

const char* glRegistryRelease() { return GRI_GL_REGISTRY_RELEASE; }

GlVersion newestRegistryVersion() { return versionAt(kVersionCount - 1); }

void forEachRegistryFunction(void (*visit)(const RegistryFunction& function, void* context), void* context) {
    RegistryFunction f;
    std::string previous;  // the last name, without its "gl"
    constexpr std::size_t size = sizeof kGlRegistryTable;
    std::size_t i = 0;
    while (i < size) {
        const std::size_t shared = kGlRegistryTable[i++];
        std::string name = previous.substr(0, shared);
        while (i < size && kGlRegistryTable[i] < 0x80) name += static_cast<char>(kGlRegistryTable[i++]);
        if (i >= size) break;
        const unsigned end = kGlRegistryTable[i++];
        f.version = versionAt(end & 0x1F);
        switch ((end >> 5) & 3) {
        case 0: f.core = atLeast(f.version, kCoreProfileFrom) ? f.version : kCoreProfileFrom; break;
        case 2: f.core = i < size ? versionAt(kGlRegistryTable[i++]) : GlVersion{}; break;
        default: f.core = GlVersion{}; break;
        }
        f.name = "gl" + name;
        visit(f, context);
        previous.swap(name);
    }
}

FunctionCheck checkFunctions(const std::string& versionText, GlProfile profile,
                             bool (*resolves)(const char* name, GlVersion version, void* context), void* context) {
    FunctionCheck check;
    check.checked = true;
    check.claimed = parseGlVersion(versionText);
    if (check.claimed.major == 0) {
        check.reach = FunctionCheck::Reach::VersionUnread;
        check.upTo = GlVersion{1, 1};
    } else if (!atLeast(newestRegistryVersion(), check.claimed)) {
        check.reach = FunctionCheck::Reach::RegistryEnds;
        check.upTo = newestRegistryVersion();
    } else {
        // A version between the registry's ("3.4") is checked up to the one below it.
        for (int k = 0; k < kVersionCount; ++k) {
            if (atLeast(check.claimed, versionAt(k))) check.upTo = versionAt(k);
        }
    }
    Checking checking{&check, profile, resolves, context};
    forEachRegistryFunction(checkOne, &checking);
    // (std::sort, with the name to part equals: stable_sort's buffer would bring the unwinder.)
    std::sort(check.missing.begin(), check.missing.end(), [](const MissingFunction& a, const MissingFunction& b) {
        if (a.version != b.version) return atLeast(b.version, a.version);
        return a.name < b.name;
    });
    return check;
}
