#pragma once
// The words the report's values are written with: one table per kind of
// value, which the text and the JSON both take theirs from. Where the two
// differ, the JSON's is the shorter name a script compares with.
#include <string>

#include "report/diagnosis.h"
#include "report/facts.h"

struct Words {
    const char* text;  // null: the text says nothing
    const char* json;  // null: the JSON says null
};

// By dwPlatformId of GetVersionExA: "NT family" / "NT".
const Words& platformWords(unsigned long platformId);
// "32-bit program on 64-bit Windows" / "32-bit program on 64-bit".
const Words& bitnessWords(Bitness bitness);
// The extension the video memory was read from; null when none.
const char* videoMemorySource(VideoMemoryFacts::Source source);
// The summary's verdict: "hardware", "software", "generic", "none" or "unknown".
const char* verdictWord(Verdict verdict);
// A machine type: "x86", "x64", "ARM64", "ARM" or "other"; null for 0 (not reported).
const char* machineWord(unsigned machine);
// A GPU preference of Windows' graphics settings: "let Windows decide",
// "power saving", "high performance", "not set" for -1.
const char* gpuPreferenceWord(long preference);
// A PCI id as four upper-case hex digits: "10DE".
std::string hexId(unsigned id);

// A count with its thousands marked: "1,048".
std::string grouped(unsigned long value);
// The missing functions of `check` up to `upTo` (all: its own upTo), as
// "glGetnTexImage (4.5), glCreateBuffers (4.5)": the first `most`, then "and N more".
std::string missingFunctionsText(const FunctionCheck& check, GlVersion upTo, std::size_t most);
// How many of them there are.
std::size_t missingUpTo(const FunctionCheck& check, GlVersion upTo);
// "3 of its functions do not resolve" and, after `then`, the first `most` of them.
std::string unresolvedText(const FunctionCheck& check, GlVersion upTo, const char* then, std::size_t most);
// The Functions lines: "every function of OpenGL 1.0 to 4.5 resolves (1,038)",
// "OpenGL 4.5 claimed, 3 of its functions missing: ...".
std::string functionCheckText(const FunctionCheck& check, GlProfile profile);
