#pragma once
// What an installer or a CI job requires of OpenGL (--require,
// --require-extension), and whether the facts meet it. No Windows needed.
#include <string>
#include <vector>

#include "report/facts.h"

// "3.3" or "3.3core" (any case); false for any other text.
bool parseRequiredVersion(const std::string& text, RequiredVersion* version);

// "3.3", or "3.3 core profile".
std::string requiredVersionText(const RequiredVersion& version);

// The version against the context's own GL_VERSION, or against the highest
// core profile made; each extension against OpenGL's and WGL's names.
RequirementCheck checkRequirements(const Requirements& requirements, const ReportFacts& facts);

// The one line that --require alone prints, from the facts' check:
// "OpenGL requirements met: <version>", or what is missing and the summary.
std::string requirementsLine(const ReportFacts& facts);
