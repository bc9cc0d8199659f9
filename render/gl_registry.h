#pragma once
// Every function of every OpenGL version, as the Khronos registry lists them
// (a table the build makes from gl.xml), and the check that the functions of
// the version a driver claims are there. No Windows needed: the glue answers
// whether each name resolves.
#include <cstdint>
#include <string>
#include <vector>

struct GlVersion {
    int major = 0;
    int minor = 0;
};
inline bool operator==(GlVersion a, GlVersion b) { return a.major == b.major && a.minor == b.minor; }
inline bool operator!=(GlVersion a, GlVersion b) { return !(a == b); }
inline bool atLeast(GlVersion version, int major, int minor) {
    return version.major > major || (version.major == major && version.minor >= minor);
}
inline bool atLeast(GlVersion version, GlVersion least) { return atLeast(version, least.major, least.minor); }
// Major and minor of a GL_VERSION text ("4.5 (Core Profile) Mesa ..."); 0.0
// when it does not start with them.
GlVersion parseGlVersion(const std::string& text);
// "4.5"
std::string versionNumber(GlVersion version);

// The registry's release the table was made from, e.g. "4.6+git20220505-1".
const char* glRegistryRelease();
// The last version the registry knows.
GlVersion newestRegistryVersion();

struct RegistryFunction {
    std::string name;
    GlVersion version;  // the version that brought it
    GlVersion core;     // the core profile's version that has it; 0.0: none
};
// Calls `visit` for every function, in the order of their names.
void forEachRegistryFunction(void (*visit)(const RegistryFunction& function, void* context), void* context);

enum class GlProfile { Compatibility, Core };

struct MissingFunction {
    std::string name;
    GlVersion version;  // the version whose function it is, in the profile checked
};

// Whether the functions of a claimed version are all there.
struct FunctionCheck {
    bool checked = false;  // false: no context to check in
    // How far the claim could be checked: the whole claim, as far as the
    // registry goes (a version it does not know), or 1.0 and 1.1 only (the
    // version text gives no version).
    enum class Reach { Claimed, RegistryEnds, VersionUnread } reach = Reach::Claimed;
    GlVersion claimed;  // 0.0 where unread
    GlVersion upTo;     // the last version checked
    int asked = 0;
    int resolved = 0;
    std::vector<MissingFunction> missing;  // by version, then by name
};

// Asks `resolves` about every function of every version up to the one that
// `versionText` claims, in the profile named.
FunctionCheck checkFunctions(const std::string& versionText, GlProfile profile,
                             bool (*resolves)(const char* name, GlVersion version, void* context), void* context);

// wglGetProcAddress's answer counts as a function only where it is none of
// 0, 1, 2, 3 and -1, which some drivers answer for a function they lack.
inline bool isProcAddress(std::uintptr_t answer) { return answer > 3 && answer != static_cast<std::uintptr_t>(-1); }
