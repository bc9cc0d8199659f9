#pragma once
// The report as one JSON object, for scripts: an interface others build on,
// described by docs/report.schema.json. Written from the report as it was
// made (report/report.h), like the text.
#include <string>

#include "report/report.h"
#include "report/schema.h"

// One JSON object (RFC 8259, UTF-8), "schema_version" first. A value the
// implementation did not give is null. The facts' text is UTF-8; a byte
// sequence that is not becomes U+FFFD.
std::string formatJson(const Report& report);

// Two reports compared (--compare OLD NEW): "schema_version", then the
// "changes" object that a report with --compare holds.
std::string formatChangesJson(const Changes& changes);

// `text` as a JSON string literal: quotes, backslashes and control characters
// escaped, and every byte sequence that is not UTF-8 replaced by U+FFFD.
std::string jsonString(const std::string& text);
