#pragma once
// What an installer or a CI job requires of OpenGL (--require,
// --require-extension), and whether the facts meet it. No Windows needed.
#include <string>
#include <vector>

#include "report/diagnosis.h"
#include "report/facts.h"

struct RequiredVersion {
    int major = 0;
    int minor = 0;
    bool core = false;  // a core-profile context of at least that version
};

struct Requirements {
    bool hasVersion = false;
    RequiredVersion version;
    std::vector<std::string> extensions;  // OpenGL or WGL names, as given
    PixelFormatRequest pixelFormat;       // --require-pixel-format

    bool any() const { return hasVersion || !extensions.empty() || pixelFormat.asked; }
};

struct RequirementCheck {
    bool met = true;
    // Asked where OpenGL cannot be measured (whereNotMeasurable): neither met
    // nor missing, and said so apart.
    bool cannotJudge = false;
    std::vector<std::string> missing;  // "OpenGL 3.3", "OpenGL 3.3 core profile", an extension's name, "pixel format ..."
    // The pixel format asked for: the one it gets (0: none), and where none,
    // the first attribute no format has (empty: none has them all at once).
    int pixelFormat = 0;
    bool notTheChoosers = false;  // ChoosePixelFormat's match misses it; the list has `pixelFormat`
    std::string noFormatHas;
};

// "3.3" or "3.3core" (any case); false for any other text.
bool parseRequiredVersion(const std::string& text, RequiredVersion* version);

// "3.3", or "3.3 core profile".
std::string requiredVersionText(const RequiredVersion& version);

// The version against the context's own GL_VERSION, or against the highest
// core profile made; each extension against OpenGL's and WGL's names; and a
// failed rendering test (renderingResult) meets nothing.
RequirementCheck checkRequirements(const Requirements& requirements, const ReportFacts& facts,
                                   const RenderingResult& rendering);

