#pragma once
// The JSON schema's validator, run on the program's output as a consumer
// would run it: Debian's python3-jsonschema, the schema and the script read
// from the sources through drive Z:.
#include <string>

#include "harness.h"

namespace harness {

// Empty when the file validates, else what the validator said.
inline std::string schemaErrors(const std::string& dosFile) {
    const std::string source = GRI_SOURCE_DIR;
    int status = -1;
    const std::string said = runUnix("/usr/bin/python3 '" + source + "/scripts/validate-json.py' '" + source +
                                         "/docs/report.schema.json' '" + unixPath(dosFile) + "'",
                                     &status);
    return status == 0 ? std::string() : said + " (validator exit status " + std::to_string(status) + ")";
}

}  // namespace harness
