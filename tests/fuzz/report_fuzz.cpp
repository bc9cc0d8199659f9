// libFuzzer's entry for a report read back: any bytes, read as JSON (or the
// JSON an HTML report carries), checked
// as a report, and compared with themselves and with another. Under
// AddressSanitizer and UBSan a read outside the bytes, a deep recursion or
// undefined behaviour ends the run.
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/compare.h"
#include "report/json_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // An HTML report's JSON, or the bytes themselves.
    bool page = false;
    const std::string embedded = embeddedReport(bytes, &page);
    const JsonReading reading = readJson(page ? embedded : bytes);
    if (!reading.read) return 0;
    reportProblem(reading.value);
    static const JsonReading other = readJson(
        "{\"schema_version\":3,\"program\":{\"name\":\"OpenGL Renderer infos\"},\"summary\":{\"verdict\":\"software\"},"
        "\"opengl\":{\"extensions\":[\"GL_a\"],\"limits\":{\"max_texture_size\":8}},\"adapters\":[{\"name\":\"A\"}]}");
    changesText(compareReports(reading.value, reading.value));
    changesText(compareReports(reading.value, other.value));
    changesText(compareReports(other.value, reading.value));
    return 0;
}
