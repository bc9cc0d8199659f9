#include "gather/collect.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdio>
#include <vector>

#include "info/info_controls.h"
#include "platform/code_page.h"
#include "platform/file_version.h"
#include "platform/system_library.h"
#include "platform/unique.h"
#include "platform/utf.h"
#include "program/application_reader.h"
#include "program/manifest.h"
#include "render/gl_api.h"
#include "render/frame_reader.h"
#include "render/gl_library.h"
#include "render/scene_control.h"
#include "gather/machine.h"
#include "res/version.h"


namespace {

constexpr GLenum kShadingLanguageVersion = 0x8B8C;

Answer answer(GLenum name) {
    const char* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? Answer{true, systemToUtf8(text)} : Answer{};
}

std::vector<std::string> listRows(HWND list) {
    std::vector<std::string> rows;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    std::vector<char> text;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
        if (length < 0) continue;
        text.assign(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        rows.push_back(systemToUtf8(text.data()));
    }
    return rows;
}

// The machine the system runs natively, where it says (Windows 10 1511 on):
// an x86 or x64 program on ARM64 Windows runs emulated.
unsigned nativeMachine() {
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    const auto isWow64 = procAddress<IsWow64Process2Fn>(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2");
    USHORT process = 0, native = 0;
    if (isWow64 == nullptr || !isWow64(GetCurrentProcess(), &process, &native)) return 0;
    return native;
}

Bitness bitness() {
    if (sizeof(void*) == 8) return Bitness::Windows64;
    // Looked up: Windows before XP SP2 lacks it, and is never 64-bit.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
    const auto isWow64 = procAddress<IsWow64ProcessFn>(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64 == nullptr) return Bitness::Windows32;
    if (!isWow64(GetCurrentProcess(), &wow64)) return Bitness::Unknown;
    return wow64 ? Bitness::Wow64 : Bitness::Windows32;
}

// The loaded module that exports the driver interface: an installable
// client driver serves the context. None: opengl32 serves it itself.
DriverModuleFacts driverModule() {
    DriverModuleFacts facts;
    const UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0));
    if (!snapshot) return facts;
    MODULEENTRY32W module = {};
    module.dwSize = sizeof module;
    std::wstring path;
    for (BOOL more = Module32FirstW(snapshot.get(), &module); more; more = Module32NextW(snapshot.get(), &module)) {
        if (GetProcAddress(module.hModule, "DrvSetContext") != nullptr ||
            GetProcAddress(module.hModule, "DrvCreateContext") != nullptr) {
            path = module.szExePath;
            break;
        }
    }
    if (path.empty()) return facts;
    facts.found = true;
    facts.path = wideToUtf8(path);
    const FileVersion version = fileVersion(path);
    facts.version = version.version;
    facts.company = version.company;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    SYSTEMTIME changed = {};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && FileTimeToSystemTime(&data.ftLastWriteTime, &changed)) {
        char text[16];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", changed.wYear, changed.wMonth, changed.wDay);
        facts.date = text;
    }
    return facts;
}

// Reads up to `count` values of `name`. A value the implementation never
// wrote keeps its mark and is not reported. Room for four: some queries
// (GL_TEXTURE_FREE_MEMORY_ATI) answer that many.
LimitReading readValues(GLenum name, int count, bool isFloat) {
    LimitReading reading;
    reading.applies = true;
    if (isFloat) {
        GLfloat values[4] = {-FLT_MAX, -FLT_MAX, -FLT_MAX, -FLT_MAX};
        glGetFloatv(name, values);
        reading.reported = values[0] != -FLT_MAX && (count == 1 || values[1] != -FLT_MAX);
        reading.values[0] = values[0];
        reading.values[1] = values[1];
    } else {
        GLint values[4] = {INT_MIN, INT_MIN, INT_MIN, INT_MIN};
        glGetIntegerv(name, values);
        reading.reported = values[0] != INT_MIN && (count == 1 || values[1] != INT_MIN);
        reading.values[0] = values[0];
        reading.values[1] = values[1];
    }
    return reading;
}

LimitReading readKib(GLenum name) { return readValues(name, 1, false); }

VideoMemoryFacts videoMemory(const std::vector<std::string>& extensions) {
    VideoMemoryFacts facts;
    if (hasExtension(extensions, "GL_NVX_gpu_memory_info")) {
        facts.source = VideoMemoryFacts::Source::Nvx;
        facts.dedicated = readKib(0x9047);         // GL_GPU_MEMORY_INFO_DEDICATED_VIDMEM_NVX
        facts.totalAvailable = readKib(0x9048);    // ..._TOTAL_AVAILABLE_MEMORY_NVX
        facts.currentAvailable = readKib(0x9049);  // ..._CURRENT_AVAILABLE_VIDMEM_NVX
    } else if (hasExtension(extensions, "GL_ATI_meminfo")) {
        facts.source = VideoMemoryFacts::Source::Ati;
        facts.atiFreeTexture = readKib(0x87FC);  // GL_TEXTURE_FREE_MEMORY_ATI: total free first
    }
    return facts;
}

// The highest core profile the implementation makes, on the surface's window;
// the surface's own context is current again afterwards.
CoreProfileFacts coreProfile(HDC dc, HGLRC own, const std::vector<std::string>& extensions) {
    CoreProfileFacts facts;
    using CreateContextAttribs = HGLRC(WINAPI*)(HDC, HGLRC, const int*);
    const auto create = wglFunction<CreateContextAttribs>("wglCreateContextAttribsARB");
    if (!hasExtension(extensions, "WGL_ARB_create_context_profile") || create == nullptr) return facts;
    facts.state = CoreProfileFacts::State::None;
    const int versions[][2] = {{4, 6}, {4, 5}, {4, 4}, {4, 3}, {4, 2}, {4, 1}, {4, 0}, {3, 3}, {3, 2}};
    for (const auto& v : versions) {
        const int attributes[] = {0x2091, v[0],  // WGL_CONTEXT_MAJOR_VERSION_ARB
                                  0x2092, v[1],  // WGL_CONTEXT_MINOR_VERSION_ARB
                                  0x9126, 0x1,   // WGL_CONTEXT_PROFILE_MASK_ARB: core
                                  0};
        HGLRC core = create(dc, nullptr, attributes);
        if (core == nullptr) continue;
        if (wgl().makeCurrent(dc, core)) {
            facts.state = CoreProfileFacts::State::Made;
            facts.version = answer(GL_VERSION);
            facts.shadingLanguage = answer(kShadingLanguageVersion);
            facts.functions = checkFunctions(facts.version.text, GlProfile::Core, glFunctionResolves, nullptr);
        }
        wgl().makeCurrent(dc, own);
        wgl().deleteContext(core);
        if (facts.state == CoreProfileFacts::State::Made) break;
    }
    return facts;
}

// WGL_WINE_query_renderer: whether the renderer is accelerated, its memory
// and PCI ids, as Wine's host driver tells them.
RendererQueryFacts rendererQuery(const std::vector<std::string>& gl, const std::vector<std::string>& wglNames) {
    RendererQueryFacts facts;
    const char* name = "WGL_WINE_query_renderer";
    if (!hasExtension(wglNames, name) && !hasExtension(gl, name)) return facts;
    using QueryInteger = BOOL(WINAPI*)(GLenum, GLuint*);
    const auto query = wglFunction<QueryInteger>("wglQueryCurrentRendererIntegerWINE");
    if (query == nullptr) return facts;
    facts.offered = true;
    const auto read = [query](GLenum attribute) {
        LimitReading reading;
        reading.applies = true;
        GLuint values[3] = {0, 0, 0};  // the version attribute answers three
        if (query(attribute, values)) {
            reading.reported = true;
            reading.values[0] = values[0];
        }
        return reading;
    };
    facts.vendorId = read(0x8183);        // WGL_RENDERER_VENDOR_ID_WINE
    facts.deviceId = read(0x8184);        // WGL_RENDERER_DEVICE_ID_WINE
    facts.accelerated = read(0x8186);     // WGL_RENDERER_ACCELERATED_WINE
    facts.videoMemoryMib = read(0x8187);  // WGL_RENDERER_VIDEO_MEMORY_WINE
    return facts;
}

// What this process is: its own manifest, read back from its resources, and
// its GPU preference in Windows' graphics settings.
ToolFacts toolFacts() {
    ToolFacts tool;
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes != nullptr) {
        tool.manifestRead = true;
        tool.declaresWindows10 =
            readManifestText(std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found))).declaresWindows10;
    }
    const std::wstring path = modulePath(nullptr);
    if (!path.empty()) tool.gpuPreference = gpuPreferenceOf(path);
    return tool;
}

DescribedFormat described(const PIXELFORMATDESCRIPTOR& pfd) {
    DescribedFormat d;
    d.flags = pfd.dwFlags;
    d.pixelType = pfd.iPixelType;
    d.colour = pfd.cColorBits;
    d.red = pfd.cRedBits;
    d.green = pfd.cGreenBits;
    d.blue = pfd.cBlueBits;
    d.alpha = pfd.cAlphaBits;
    d.accum = pfd.cAccumBits;
    d.depth = pfd.cDepthBits;
    d.stencil = pfd.cStencilBits;
    d.aux = pfd.cAuxBuffers;
    return d;
}

// The counts DescribePixelFormat gives, and every format as a row: from
// WGL_ARB_pixel_format where the implementation has it (it also knows
// multisampling, sRGB and pbuffers), from DescribePixelFormat otherwise or
// where an ARB query fails. Stopped at kMostPixelFormats, whatever is claimed.
void pixelFormats(HDC dc, const std::vector<std::string>& wgl, PixelFormatCounts* counts, PixelFormatTable* table) {
    PIXELFORMATDESCRIPTOR pfd = {};
    counts->all = DescribePixelFormat(dc, 1, sizeof pfd, &pfd);
    using GetAttribs = BOOL(WINAPI*)(HDC, int, int, UINT, const int*, int*);
    const auto getAttribs = hasExtension(wgl, "WGL_ARB_pixel_format") ? wglFunction<GetAttribs>("wglGetPixelFormatAttribivARB") : nullptr;
    const ArbQuery query = arbQuery(hasExtension(wgl, "WGL_ARB_multisample"), hasExtension(wgl, "WGL_ARB_pbuffer"),
                                    hasExtension(wgl, "WGL_ARB_framebuffer_sRGB") || hasExtension(wgl, "WGL_EXT_framebuffer_sRGB"));
    int arbCount = 0;
    if (getAttribs != nullptr && !getAttribs(dc, 1, 0, 1, &kWglNumberPixelFormats, &arbCount)) arbCount = 0;
    table->source = getAttribs != nullptr && arbCount > 0 ? PixelFormatTable::Source::Arb
                    : counts->all > 0                     ? PixelFormatTable::Source::Describe
                                                          : PixelFormatTable::Source::None;
    // The formats a window can have, as DescribePixelFormat counts them; those
    // WGL_ARB_pixel_format knows past them are for pbuffers alone.
    table->arbCount = arbCount;
    table->count = counts->all > 0 ? counts->all : arbCount;
    table->cut = table->count > kMostPixelFormats;
    const int listed = static_cast<int>(std::min<long>(table->count, kMostPixelFormats));
    const int describedCount = std::min(counts->all, kMostPixelFormats);
    std::vector<int> values(query.attributes.size());
    for (int i = 1; i <= std::max(listed, describedCount); ++i) {
        // One query a format: the ARB one where it answers (its acceleration
        // is the generic flag's, as the extension defines it), else the other.
        PixelFormatRow row;
        bool read = false;
        if (i <= listed && table->source == PixelFormatTable::Source::Arb &&
            getAttribs(dc, i, 0, static_cast<UINT>(values.size()), query.attributes.data(), values.data())) {
            row = rowFromArb(i, query, values);
            read = true;
        } else if (i <= describedCount && DescribePixelFormat(dc, i, sizeof pfd, &pfd) != 0) {
            row = rowFromDescription(i, described(pfd));
            read = true;
            if (i <= listed && table->source == PixelFormatTable::Source::Arb) ++table->describedInstead;
        }
        if (!read) continue;
        if (i <= describedCount && row.window && row.opengl) {
            ++counts->windowOpenGl;
            if (row.acceleration == PixelFormatRow::Acceleration::Full) ++counts->driversOwn;
        }
        if (i <= listed) table->rows.push_back(row);
    }
}

// The format a program's request gets: what wglChoosePixelFormatARB answers
// where there is one, ChoosePixelFormat's best match otherwise.
ReportFacts::RequestedFormat requestedFormat(HDC dc, const std::vector<std::string>& wgl, const PixelFormatRequest& request) {
    ReportFacts::RequestedFormat got;
    got.asked = request.asked;
    if (!request.asked) return got;
    using Choose = BOOL(WINAPI*)(HDC, const int*, const FLOAT*, UINT, int*, UINT*);
    const auto choose = hasExtension(wgl, "WGL_ARB_pixel_format") ? wglFunction<Choose>("wglChoosePixelFormatARB") : nullptr;
    if (choose != nullptr) {
        const std::vector<int> attributes =
            arbChooseAttributes(request, hasExtension(wgl, "WGL_ARB_multisample"), hasExtension(wgl, "WGL_ARB_pbuffer"),
                                hasExtension(wgl, "WGL_ARB_framebuffer_sRGB") || hasExtension(wgl, "WGL_EXT_framebuffer_sRGB"));
        int format = 0;
        UINT found = 0;
        got.viaArb = true;
        if (choose(dc, attributes.data(), nullptr, 1, &format, &found) && found > 0 && format > 0) got.index = format;
        return got;
    }
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (request.doubleBuffer ? PFD_DOUBLEBUFFER : 0) |
                  (request.stereo ? PFD_STEREO : 0) | (request.bitmap ? PFD_DRAW_TO_BITMAP : 0);
    pfd.iPixelType = PFD_TYPE_RGBA;
    const auto byte = [](int bits) { return static_cast<BYTE>(bits > 0 ? std::min(bits, 255) : 0); };
    pfd.cColorBits = byte(request.colour);
    pfd.cRedBits = byte(request.red);
    pfd.cGreenBits = byte(request.green);
    pfd.cBlueBits = byte(request.blue);
    pfd.cAlphaBits = byte(request.alpha);
    pfd.cAccumBits = byte(request.accum);
    pfd.cDepthBits = byte(request.depth);
    pfd.cStencilBits = byte(request.stencil);
    pfd.cAuxBuffers = byte(request.aux);
    got.index = ChoosePixelFormat(dc, &pfd);
    return got;
}

// The true version: GetVersionExA answers 6.2 to a program that does not
// declare Windows 10, which this one does not (see the manifest).
void windowsVersion(ReportFacts& facts) {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = procAddress<RtlGetVersionFn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    OSVERSIONINFOA older = {};
    older.dwOSVersionInfoSize = sizeof older;
    if (rtlGetVersion != nullptr && rtlGetVersion(&version) == 0) {
        facts.windowsMajor = version.dwMajorVersion;
        facts.windowsMinor = version.dwMinorVersion;
        facts.windowsBuild = version.dwBuildNumber & 0xFFFF;
        facts.platformId = version.dwPlatformId;
    } else if (GetVersionExA(&older)) {
        facts.windowsMajor = older.dwMajorVersion;
        facts.windowsMinor = older.dwMinorVersion;
        facts.windowsBuild = older.dwBuildNumber & 0xFFFF;
        facts.platformId = older.dwPlatformId;
    }
}

// When the report is made, in ISO 8601 (UTC).
std::string madeNow() {
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    char made[32];
    std::snprintf(made, sizeof made, "%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
    return made;
}

// What the dialog and the machine say, with or without OpenGL: this program,
// the program asked about, the driver table, the session and the adapters.
void machineFacts(const ReportSources& sources, ReportFacts& facts) {
    facts.tool = toolFacts();
    if (sources.application != nullptr) {
        facts.applicationAsked = true;
        facts.application = *sources.application;
    }
    facts.bitness = bitness();
    facts.programMachine = sizeof(void*) == 8 ? kMachineX64 : kMachineX86;
    facts.nativeMachine = nativeMachine();
    facts.openGlLibrary = sources.libraryProblem.empty() ? wideToUtf8(openGlLibraryPath()) : sources.libraryPath;
    facts.openGlLibraryProblem = sources.libraryProblem;
    facts.extensions = listRows(sources.extensionList);
    char row[kDriverRowSize];
    for (int k = 0; k < sources.drivers->count; ++k) {
        formatDriverRow(sources.drivers->entries[k], row);
        facts.driverRows.push_back(systemToUtf8(row));
        facts.driverValues.emplace_back(systemToUtf8(sources.drivers->entries[k].name),
                                        systemToUtf8(sources.drivers->entries[k].data));
    }
    facts.session = sessionFacts();
    // Wine's dxgi draws through opengl32: in a process that loaded another
    // opengl32.dll by name, it would bind to that one, which may lack what it calls.
    facts.adapters = displayAdapters(!facts.session.wine || openGlIsTheSystems(), &facts.gpuRolesReported);
    // A list that was never made has no selection (a message to no window answers 0).
    facts.selectedDriverRow =
        IsWindow(sources.driverList) ? static_cast<int>(SendMessageA(sources.driverList, LB_GETCURSEL, 0, 0)) : -1;
}

// The strings, the pixel format in use and the extensions of the dialog's context.
void contextFacts(const ReportSources& sources, HDC dc, ReportFacts& facts) {
    facts.vendor = answer(GL_VENDOR);
    facts.renderer = answer(GL_RENDERER);
    facts.version = answer(GL_VERSION);
    PIXELFORMATDESCRIPTOR pfd = {};
    facts.pixelFormat.index = sources.surface->describePixelFormat(&pfd);
    if (facts.pixelFormat.index > 0) {
        facts.pixelFormat.colourBits = pfd.cColorBits;
        facts.pixelFormat.alphaBits = pfd.cAlphaBits;
        facts.pixelFormat.depthBits = pfd.cDepthBits;
        facts.pixelFormat.stencilBits = pfd.cStencilBits;
        facts.pixelFormat.flags = pfd.dwFlags;
    }
    const Answer glExtensions = answer(GL_EXTENSIONS);
    facts.glExtensions = extensionNames(glExtensions.text);
    const char* wglText = wglExtensionString(dc);
    facts.wglExtensions = extensionNames(wglText != nullptr ? systemToUtf8(wglText) : std::string());
}

// What the context can do: its driver, shading language, limits and memory.
void capabilityFacts(ReportFacts& facts) {
    facts.driverModule = driverModule();
    const GlVersion gl = parseGlVersion(facts.version.text);
    if (hasShadingLanguage(gl)) facts.shadingLanguage = answer(kShadingLanguageVersion);
    for (int i = 0; i < kLimitCount; ++i) {
        if (limitApplies(kLimits[i], gl, facts.extensions)) {
            facts.limits[i] = readValues(kLimits[i].name, kLimits[i].count, kLimits[i].isFloat);
        }
    }
    facts.rendererQuery = rendererQuery(facts.glExtensions, facts.wglExtensions);
    facts.videoMemory = videoMemory(facts.extensions);
    if (facts.videoMemory.source == VideoMemoryFacts::Source::None && facts.rendererQuery.offered) {
        facts.videoMemory.source = VideoMemoryFacts::Source::WineQuery;
        facts.videoMemory.wineVideoMemory = facts.rendererQuery.videoMemoryMib;
    }
    // Queries an implementation refuses leave errors behind: clear them, but
    // never wait on one that reports errors for ever.
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void collectFacts(const ReportSources& sources, const Request& request, ReportFacts& facts) {
    facts.openGlInitialised = sources.initialised;
    facts.programName = GRI_PRODUCT_NAME;
    facts.programVersion = GRI_VERSION_TEXT;
    facts.glRegistry = glRegistryRelease();
    windowsVersion(facts);
    facts.madeAt = madeNow();
    machineFacts(sources, facts);

    const HDC dc = sources.surface->deviceContext();
    const HGLRC own = sources.surface->renderingContext();
    if (!openGlLoaded() || own == nullptr || wgl().getCurrentContext() != own) return;
    contextFacts(sources, dc, facts);
    // The version claimed, proven: a program that trusts it fails on the first function missing.
    facts.functions = checkFunctions(facts.version.text, GlProfile::Compatibility, glFunctionResolves, nullptr);
    capabilityFacts(facts);
    // The frame the user sees, drawn again into the back buffer and read back:
    // strings that read well prove nothing when nothing draws.
    const SceneState& scene = sceneState();
    facts.renderingTest = readFrame(*sources.surface, scene.angleX, scene.angleY,
                                    IsWindowVisible(sources.surface->window()) != FALSE);
    facts.coreProfile = coreProfile(dc, own, facts.extensions);
    pixelFormats(dc, facts.wglExtensions, &facts.pixelFormats, &facts.pixelFormatTable);
    facts.requestedFormat = requestedFormat(dc, facts.wglExtensions, request.requirements.pixelFormat);
}

}  // namespace

Report gatherReport(const ReportSources& sources, const Request& request) {
    // Gathered in place: a report is large, and moving it costs code.
    Report report;
    report.request = request;
    collectFacts(sources, request, report.facts);
    report.findings = workOutFindings(report.facts, report.request);
    return report;
}
