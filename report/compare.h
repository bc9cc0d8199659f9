#pragma once
// What changed between two reports this program wrote, read back as JSON:
// the fields a support desk asks about, most important first. A field one of
// the two lacks (an older schema) is said to be missing there, never a
// change; nothing else, and no reordering, counts. Rules only.
#include <string>
#include <vector>

#include "report/json_reader.h"

struct Change {
    enum class Kind { Changed, Added, Removed } kind = Kind::Changed;  // added and removed: display adapters
    std::string key;    // where in the report: "opengl.renderer", "adapters[\"Wine Adapter\"].driver_version"
    std::string label;  // in words: "Renderer", "Display adapter \"Wine Adapter\": driver version"
    bool wasGiven = false, nowGiven = false;  // false: null (not reported), or no such adapter
    std::string was, now;                     // the values as text
    int direction = 0;                        // a limit: 1 up, -1 down
};

struct Changes {
    std::string file;       // the earlier report, as named
    std::string newerFile;  // with two files, the later one; empty: this machine now
    int olderSchema = 0;    // the earlier report's schema_version
    std::string since;      // when the earlier one was made (ISO 8601); empty: it does not say
    std::string newerMade;  // the same of the later one, with two files
    std::vector<Change> items;
    std::vector<std::string> extensionsAdded, extensionsRemoved;
    // Functions missing now that were not before, and the other way round; the
    // core profile's marked " (core profile)".
    std::vector<std::string> functionsGone, functionsBack;
    std::vector<std::string> missingInOlder, missingInNewer;  // labels of fields one of them lacks
    bool any() const {
        return !items.empty() || !extensionsAdded.empty() || !extensionsRemoved.empty() || !functionsGone.empty() ||
               !functionsBack.empty();
    }
};

// Why a document is no report this program can compare: empty when it is one.
// "it is JSON, but not a report of this program", "it is a report of schema
// version 4, newer than this program reads (3)".
std::string reportProblem(const JsonValue& document);

// Where the bytes are this program's plain-text report (a support desk's
// usual mix-up), what to do instead; empty otherwise.
std::string textReportProblem(const std::string& bytes);

Changes compareReports(const JsonValue& older, const JsonValue& newer);

// The "Changes since FILE:" block, CR LF line ends, for the text report.
std::string changesText(const Changes& changes);
