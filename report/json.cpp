#include "report/json.h"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/utf.h"
#include "report/words.h"

namespace {


using Members = std::vector<std::pair<const char*, std::string>>;

std::string object(const Members& members) {
    std::string out = "{";
    for (size_t i = 0; i < members.size(); ++i) {
        if (i > 0) out += ",";
        out += jsonString(members[i].first) + ":" + members[i].second;
    }
    return out + "}";
}

std::string array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i > 0 ? "," : "") + items[i];
    return out + "]";
}

std::string strings(const std::vector<std::string>& texts) {
    std::vector<std::string> items;
    items.reserve(texts.size());
    for (const std::string& t : texts) items.push_back(jsonString(t));
    return array(items);
}

const std::string kNull = "null";

std::string number(double value) {
    if (!std::isfinite(value)) return kNull;  // JSON has no NaN or infinity
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string boolean(bool value) { return value ? "true" : "false"; }
std::string answer(const Answer& a) { return given(a) ? jsonString(a.text) : kNull; }
std::string textOrNull(const std::string& text) { return text.empty() ? kNull : jsonString(text); }

std::string limitValue(const Limit& limit, const LimitReading& reading) {
    if (!reading.applies || !plausible(reading, limit.count, limit.isFloat)) return kNull;
    if (limit.count == 2) return array({number(reading.values[0]), number(reading.values[1])});
    return number(reading.values[0]);
}

std::string reported(const LimitReading& reading) { return plausible(reading) ? number(reading.values[0]) : kNull; }

std::string word(const char* text) { return text != nullptr ? jsonString(text) : kNull; }

std::string windows(const ReportFacts& f) {
    return object({{"major", number(f.windowsMajor)},
                   {"minor", number(f.windowsMinor)},
                   {"build", number(f.windowsBuild)},
                   {"family", word(platformWords(f.platformId).json)},
                   {"bitness", word(bitnessWords(f.bitness).json)},
                   {"program_machine", word(machineWord(f.programMachine))},
                   {"native_machine", word(machineWord(f.nativeMachine))}});
}

std::string videoMemory(const VideoMemoryFacts& v) {
    const std::string source = word(videoMemorySource(v.source));
    switch (v.source) {
    case VideoMemoryFacts::Source::Nvx:
        return object({{"source", source},
                       {"dedicated_kib", reported(v.dedicated)},
                       {"total_available_kib", reported(v.totalAvailable)},
                       {"current_available_kib", reported(v.currentAvailable)}});
    case VideoMemoryFacts::Source::Ati:
        return object({{"source", source}, {"free_texture_kib", reported(v.atiFreeTexture)}});
    case VideoMemoryFacts::Source::WineQuery:
        return object({{"source", source}, {"video_memory_mib", reported(v.wineVideoMemory)}});
    default:
        return kNull;
    }
}

const char* const kReachWords[] = {"claimed", "registry_ends", "version_unread"};

std::string functions(const FunctionCheck& c) {
    if (!c.checked) return kNull;
    std::vector<std::string> missing;
    for (const MissingFunction& m : c.missing) {
        missing.push_back(object({{"name", jsonString(m.name)}, {"version", jsonString(versionNumber(m.version))}}));
    }
    return object({{"checked_up_to", jsonString(versionNumber(c.upTo))},
                   {"reach", jsonString(kReachWords[static_cast<int>(c.reach)])},
                   {"asked", number(c.asked)},
                   {"resolved", number(c.resolved)},
                   {"missing", array(missing)}});
}

std::string opengl(const Report& r) {
    const ReportFacts& f = r.facts;
    const CoreProfileFacts& c = f.coreProfile;
    const std::string core = object({{"offered", boolean(c.state != CoreProfileFacts::State::NotOffered)},
                                     {"version", answer(c.version)},
                                     {"shading_language", answer(c.shadingLanguage)},
                                     {"functions", c.state == CoreProfileFacts::State::Made ? functions(c.functions) : kNull}});
    Members limits;
    for (int i = 0; i < kLimitCount; ++i) limits.emplace_back(kLimits[i].key, limitValue(kLimits[i], f.limits[i]));

    const PixelFormatFacts& p = f.pixelFormat;
    const bool described = p.index > 0 && p.colourBits >= 0 && p.alphaBits >= 0 && p.depthBits >= 0 && p.stencilBits >= 0;
    const std::string pixelFormat =
        !described ? kNull
                     : object({{"index", number(p.index)},
                               {"colour_bits", number(p.colourBits)},
                               {"alpha_bits", number(p.alphaBits)},
                               {"depth_bits", number(p.depthBits)},
                               {"stencil_bits", number(p.stencilBits)},
                               {"double_buffered", boolean((p.flags & 1u) != 0)}});
    const ImplementationKind& kind = r.findings.implementation;
    const RenderingResult& rendering = r.findings.rendering;
    const TranslationLayer& over = r.findings.layer;
    const std::string layer = over.over == nullptr ? kNull
                                                   : object({{"over", jsonString(over.over)},
                                                             {"by", jsonString(over.by)},
                                                             {"version", textOrNull(over.version)},
                                                             {"device", textOrNull(over.device)}});
    const std::string renderingTest =
        object({{"passed", rendering.kind == RenderingResult::Kind::NotRun ? kNull
                                                                            : boolean(rendering.kind == RenderingResult::Kind::Passed)},
                {"detail", jsonString(rendering.detail)}});

    const DriverModuleFacts& d = f.driverModule;
    const std::string driver = !d.found ? kNull
                                        : object({{"path", jsonString(d.path)},
                                                  {"version", textOrNull(d.version)},
                                                  {"company", textOrNull(d.company)},
                                                  {"date", textOrNull(d.date)}});
    const PixelFormatCounts& n = f.pixelFormats;
    const PixelFormatTable& t = f.pixelFormatTable;
    const char* source = t.source == PixelFormatTable::Source::Arb ? "WGL_ARB_pixel_format"
                         : t.source == PixelFormatTable::Source::Describe ? "DescribePixelFormat"
                                                                           : nullptr;
    const std::string counts = n.all <= 0 || n.windowOpenGl < 0 || n.driversOwn < 0 ? kNull
                                          : object({{"all", number(n.all)},
                                                    {"window_opengl", number(n.windowOpenGl)},
                                                    {"drivers_own", number(n.driversOwn)},
                                                    {"source", word(source)},
                                                    {"listed", number(static_cast<double>(t.rows.size()))},
                                                    {"arb_count", t.arbCount > 0 ? number(static_cast<double>(t.arbCount)) : kNull},
                                                    {"cut", boolean(t.cut)},
                                                    {"best", textOrNull(bestWindowFormat(t))}});
    const bool glsl = hasShadingLanguage(parseGlVersion(f.version.text));
    return object({{"initialised", boolean(f.openGlInitialised)},
                   {"library", textOrNull(f.openGlLibraryProblem.empty()
                                              ? f.openGlLibrary
                                              : f.openGlLibrary + " (not loaded: " + f.openGlLibraryProblem + ")")},
                   {"vendor", answer(f.vendor)},
                   {"renderer", answer(f.renderer)},
                   {"version", answer(f.version)},
                   {"functions", f.openGlInitialised ? functions(f.functions) : kNull},
                   {"shading_language", glsl ? answer(f.shadingLanguage) : kNull},
                   {"extensions", strings(withoutEmptyRows(f.extensions))},
                   {"gl_extensions", strings(f.glExtensions)},
                   {"wgl_extensions", strings(f.wglExtensions)},
                   {"core_profile", core},
                   {"limits", object(limits)},
                   {"pixel_format", pixelFormat},
                   {"implementation", kind.word != nullptr ? jsonString(kind.word) : kNull},
                   {"implementation_reason", kind.word != nullptr ? jsonString(kind.reason) : kNull},
                   {"rendering_test", renderingTest},
                   {"translation_layer", layer},
                   {"pixel_formats", counts},
                   {"driver", driver},
                   {"video_memory", videoMemory(f.videoMemory)}});
}

std::string pciId(unsigned id) { return id == 0 ? kNull : jsonString(hexId(id)); }

std::string adapters(const Report& r) {
    std::vector<std::string> items;
    for (std::size_t k = 0; k < r.facts.adapters.size(); ++k) {
        const AdapterFacts& a = r.facts.adapters[k];
        // The date in ISO 8601 where it is one; else as the registry has it, marked not understood.
        const DriverDate date = isoDriverDate(a.driverDate.text);
        const bool dated = given(a.driverDate);
        items.push_back(object({{"name", jsonString(a.name)},
                                {"primary", boolean(a.primary)},
                                {"attached", boolean(a.attached)},
                                {"provider", answer(a.provider)},
                                {"driver_version", answer(a.driverVersion)},
                                {"driver_date", !dated ? kNull : jsonString(date.understood ? date.iso : a.driverDate.text)},
                                {"driver_date_understood", dated ? boolean(date.understood) : kNull},
                                {"video_memory_bytes", a.memoryReported ? number(static_cast<double>(a.memoryBytes)) : kNull},
                                {"opengl_driver", answer(a.openGlDriver)},
                                {"opengl_driver_wow", answer(a.openGlDriverWow)},
                                {"vendor_id", pciId(a.vendorId)},
                                {"device_id", a.vendorId != 0 ? pciId(a.deviceId) : kNull},
                                {"renders_opengl", boolean(r.findings.rendersOpenGl[k])},
                                {"high_performance", r.facts.gpuRolesReported ? boolean(a.highPerformance) : kNull},
                                {"power_saving", r.facts.gpuRolesReported ? boolean(a.powerSaving) : kNull},
                                {"opengl_info", a.openGlInfo.reported ? object({{"file", jsonString(a.openGlInfo.file)},
                                                                                {"version", number(a.openGlInfo.version)},
                                                                                {"flags", number(a.openGlInfo.flags)}})
                                                                      : kNull}}));
    }
    return array(items);
}

std::string session(const Report& r) {
    const SessionFacts& s = r.facts.session;
    const std::string wine = s.wine ? object({{"version", answer(s.wineVersion)}, {"host", answer(s.wineHost)}}) : kNull;
    return object({{"remote", boolean(s.remote)},
                   {"virtual_machine", textOrNull(r.findings.virtualMachine)},
                   {"wine", wine},
                   {"remote_hardware_policy", s.remoteHardwarePolicy >= 0 ? number(s.remoteHardwarePolicy) : kNull},
                   {"id", s.sessionId >= 0 ? number(s.sessionId) : kNull},
                   {"interactive_window_station", s.interactiveStation >= 0 ? boolean(s.interactiveStation == 1) : kNull},
                   {"account", word(accountWords(s.account).json)},
                   {"disconnected", boolean(s.disconnected)},
                   {"measurable", boolean(whereNotMeasurable(s).empty())}});
}

std::string drivers(const ReportFacts& f) {
    std::vector<std::string> rows;
    for (size_t k = 0; k < f.driverValues.size(); ++k) {
        rows.push_back(object({{"name", jsonString(f.driverValues[k].first)},
                               {"data", jsonString(f.driverValues[k].second)},
                               {"selected", boolean(static_cast<int>(k) == f.selectedDriverRow)}}));
    }
    return array(rows);
}

std::string exported(const ExportedValue& value) { return value.exported ? number(value.value) : kNull; }

std::string application(const Report& r) {
    const ApplicationFacts& a = r.facts.application;
    const ProgramVerdict& verdict = r.findings.program;
    std::vector<std::string> beside;
    for (std::size_t k = 0; k < a.beside.size(); ++k) {
        const BesideDll& dll = a.beside[k];
        const std::string& whyNot = k < verdict.besideWhyNot.size() ? verdict.besideWhyNot[k] : std::string();
        beside.push_back(object({{"file", jsonString(dll.file)},
                                 {"version", textOrNull(dll.version)},
                                 {"company", textOrNull(dll.company)},
                                 {"product", textOrNull(dll.product)},
                                 {"machine", word(machineWord(dll.machine))},
                                 {"loaded", boolean(whyNot.empty())},
                                 {"why_not", textOrNull(whyNot)}}));
    }
    const ProgramImage& image = a.image;
    const std::string dotnet = !image.hasClrHeader ? kNull
                               : object({{"il_only", boolean((image.clrFlags & kClrIlOnly) != 0)},
                                         {"requires_32_bit", boolean((image.clrFlags & kClr32BitRequired) != 0)},
                                         {"prefers_32_bit", boolean((image.clrFlags & kClr32BitPreferred) != 0)}});
    std::vector<std::string> drivers;
    for (std::size_t k = 0; k < r.facts.adapters.size(); ++k) {
        const std::string& driver = k < r.findings.program.drivers.size() ? r.findings.program.drivers[k] : std::string();
        drivers.push_back(object({{"adapter", jsonString(r.facts.adapters[k].name)}, {"driver", textOrNull(driver)}}));
    }
    const char* from = a.manifestFrom == ApplicationFacts::ManifestFrom::Embedded ? "embedded"
                       : a.manifestFrom == ApplicationFacts::ManifestFrom::Beside ? "beside"
                                                                                   : nullptr;
    return object({{"path", jsonString(a.path)},
                   {"machine", word(machineWord(a.image.machine))},
                   {"dotnet", dotnet},
                   {"can_run", boolean(verdict.runs.runs)},
                   {"runs_as", word(verdict.runs.runs ? machineWord(verdict.runs.machine) : nullptr)},
                   {"emulated", boolean(verdict.runs.emulated)},
                   {"manifest", word(from)},
                   {"declares_windows_10", boolean(a.declaresWindows10)},
                   {"nv_optimus_enablement", exported(a.image.nvOptimusEnablement)},
                   {"amd_power_xpress_request_high_performance", exported(a.image.amdPowerXpress)},
                   {"imports_opengl32", boolean(a.image.importsOpenGl32)},
                   {"beside", array(beside)},
                   {"gpu_preference", a.gpuPreference >= 0 ? number(a.gpuPreference) : kNull},
                   {"compatibility_layers", strings(a.layers)},
                   {"drivers", array(drivers)},
                   {"summary", jsonString(r.findings.program.summary)}});
}

std::string bits(int value) { return value < 0 ? kNull : number(value); }

// Every pixel format, as --pixel-formats lists them.
std::string pixelFormatRows(const ReportFacts& f) {
    std::vector<std::string> rows;
    for (const PixelFormatRow& r : f.pixelFormatTable.rows) {
        const char* acceleration = r.acceleration == PixelFormatRow::Acceleration::Full                 ? "full"
                                   : r.acceleration == PixelFormatRow::Acceleration::GenericAccelerated ? "generic_accelerated"
                                   : r.acceleration == PixelFormatRow::Acceleration::Software           ? "software"
                                                                                                        : nullptr;
        const char* swap = r.swap == PixelFormatRow::Swap::Exchange ? "exchange" : r.swap == PixelFormatRow::Swap::Copy ? "copy"
                           : r.swap == PixelFormatRow::Swap::Undefined                                               ? "undefined"
                                                                                                                      : nullptr;
        const char* type = r.type == PixelFormatRow::Type::Rgba ? "rgba" : r.type == PixelFormatRow::Type::ColourIndex ? "colour_index"
                           : r.type == PixelFormatRow::Type::Float                                                   ? "float"
                                                                                                                      : nullptr;
        rows.push_back(object({{"index", number(r.index)},
                               {"dialogs", boolean(r.index == f.pixelFormat.index)},
                               {"from", jsonString(r.fromArb ? "WGL_ARB_pixel_format" : "DescribePixelFormat")},
                               {"acceleration", word(acceleration)},
                               {"draw_to_window", boolean(r.window)},
                               {"draw_to_bitmap", boolean(r.bitmap)},
                               {"draw_to_pbuffer", r.pbuffer < 0 ? kNull : boolean(r.pbuffer == 1)},
                               {"opengl", boolean(r.opengl)},
                               {"gdi", boolean(r.gdi)},
                               {"double_buffer", boolean(r.doubleBuffer)},
                               {"stereo", boolean(r.stereo)},
                               {"swap_method", word(swap)},
                               {"pixel_type", word(type)},
                               {"colour_bits", bits(r.colour)},
                               {"red_bits", bits(r.red)},
                               {"green_bits", bits(r.green)},
                               {"blue_bits", bits(r.blue)},
                               {"alpha_bits", bits(r.alpha)},
                               {"depth_bits", bits(r.depth)},
                               {"stencil_bits", bits(r.stencil)},
                               {"accum_bits", bits(r.accum)},
                               {"aux_buffers", bits(r.aux)},
                               {"sample_buffers", bits(r.sampleBuffers)},
                               {"samples", bits(r.samples)},
                               {"srgb_capable", r.srgb < 0 ? kNull : boolean(r.srgb == 1)}}));
    }
    return array(rows);
}

std::string requirements(const Report& report) {
    const Requirements& r = report.request.requirements;
    const std::string version = std::to_string(r.version.major) + "." + std::to_string(r.version.minor);
    const std::string required = object({{"version", r.hasVersion ? jsonString(version) : kNull},
                                         {"core_profile", boolean(r.hasVersion && r.version.core)},
                                         {"extensions", strings(r.extensions)},
                                         {"pixel_format", r.pixelFormat.asked ? jsonString(r.pixelFormat.text) : kNull}});
    const RequirementCheck& check = report.findings.requirements;
    const std::string format =
        !r.pixelFormat.asked ? kNull
                             : object({{"format", check.pixelFormat > 0 ? number(check.pixelFormat) : kNull},
                                       {"via", jsonString(report.facts.requestedFormat.viaArb ? "wglChoosePixelFormatARB" : "ChoosePixelFormat")},
                                       {"no_format_has", textOrNull(check.noFormatHas)}});
    return object({{"met", boolean(check.met)},
                   {"can_be_judged", boolean(!check.cannotJudge)},
                   {"required", required},
                   {"missing", strings(check.missing)},
                   {"pixel_format", format}});
}

}  // namespace

std::string jsonString(const std::string& text) {
    return "\"" + mapUtf8(text, [](std::string& out, unsigned char c) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }) + "\"";
}

namespace {

std::string changes(const Changes& ch) {
    std::vector<std::string> items;
    for (const Change& c : ch.items) {
        const char* kind = c.kind == Change::Kind::Added ? "added" : c.kind == Change::Kind::Removed ? "removed" : "changed";
        items.push_back(object({{"key", jsonString(c.key)},
                                {"label", jsonString(c.label)},
                                {"kind", jsonString(kind)},
                                {"was", c.wasGiven ? jsonString(c.was) : kNull},
                                {"now", c.nowGiven ? jsonString(c.now) : kNull},
                                {"direction", c.direction > 0 ? jsonString("up") : c.direction < 0 ? jsonString("down") : kNull}}));
    }
    return object({{"file", jsonString(ch.file)},
                   {"newer_file", textOrNull(ch.newerFile)},
                   {"older_schema_version", number(ch.olderSchema)},
                   {"since", textOrNull(ch.since)},
                   {"any", boolean(ch.any())},
                   {"items", array(items)},
                   {"extensions_added", strings(ch.extensionsAdded)},
                   {"extensions_removed", strings(ch.extensionsRemoved)},
                   {"functions_gone", strings(ch.functionsGone)},
                   {"functions_back", strings(ch.functionsBack)},
                   {"not_in_older", strings(ch.missingInOlder)},
                   {"not_in_newer", strings(ch.missingInNewer)}});
}

}  // namespace

std::string formatChangesJson(const Changes& ch) {
    return object({{"schema_version", number(kJsonSchemaVersion)}, {"changes", changes(ch)}}) + "\n";
}

std::string formatJson(const Report& r) {
    const ReportFacts& f = r.facts;
    const Summary& summary = r.findings.summary;
    Members top = {{"schema_version", number(kJsonSchemaVersion)},
                   {"made", textOrNull(f.madeAt)},
                   {"program", object({{"name", jsonString(f.programName)},
                                       {"version", jsonString(f.programVersion)},
                                       {"khronos_registry", textOrNull(f.glRegistry)},
                                       {"machine", word(machineWord(f.programMachine))},
                                       {"declares_windows_10", f.tool.manifestRead ? boolean(f.tool.declaresWindows10) : kNull},
                                       {"gpu_preference", f.tool.gpuPreference >= 0 ? number(f.tool.gpuPreference) : kNull}})},
                   {"summary", object({{"text", jsonString(summary.text)}, {"verdict", jsonString(verdictWord(summary.verdict))}})},
                   {"windows", windows(f)},
                   {"session", session(r)},
                   {"opengl", opengl(r)},
                   {"adapters", adapters(r)},
                   {"drivers", drivers(f)}};
    if (r.request.requirements.any()) top.emplace_back("requirements", requirements(r));
    if (f.applicationAsked) top.emplace_back("application", application(r));
    if (r.request.listPixelFormats) top.emplace_back("pixel_formats", pixelFormatRows(f));
    if (r.compared) top.emplace_back("changes", changes(r.changes));
    return object(top) + "\n";
}
