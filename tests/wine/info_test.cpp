// Renderer information on the real program: against the test's own OpenGL
// context on Mesa, and with the double scripting the strings.
#include <dxgi1_6.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <functional>
#include <set>

#include "harness.h"
#include "running_dialog.h"
#include "own_context.h"
#include "schema.h"

using namespace harness;

namespace {

struct Shown {
    std::string info;
    std::vector<std::string> rows;
    bool ran = false;
};

Shown runAndRead(const std::string& exe, const std::string& arguments = std::string(), const Env& env = {}) {
    App app;
    Shown shown;
    if (!app.start(exe, env, arguments)) return shown;
    HWND dialog = app.waitForDialog();
    if (dialog == nullptr) return shown;
    shown.info = windowText(GetDlgItem(dialog, kInfoTextId));
    shown.rows = listRows(GetDlgItem(dialog, kExtensionListId));
    shown.ran = IsWindowVisible(dialog) != FALSE;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    app.waitForExit(15000, &code);
    EXPECT_EQ(code, 0u);
    return shown;
}

}  // namespace

TEST(Info, ShowsWhatTheImplementationSays) {
    const OwnContext own;
    ASSERT_TRUE(own.ok) << "no OpenGL context in the test itself";
    ASSERT_FALSE(own.extensions.empty());
    const Shown shown = runAndRead(programPath());
    ASSERT_TRUE(shown.ran);
    EXPECT_EQ(shown.info, "Vendor: " + own.vendor + "\nRenderer: " + own.renderer + "\nVersion: " + own.version);

    EXPECT_EQ(shown.rows.size(), own.extensions.size());
    EXPECT_EQ(std::set<std::string>(shown.rows.begin(), shown.rows.end()),
              std::set<std::string>(own.extensions.begin(), own.extensions.end()));
    // Both parts are there: some WGL_ row and some GL_ row.
    EXPECT_TRUE(std::any_of(shown.rows.begin(), shown.rows.end(),
                            [](const std::string& r) { return r.rfind("WGL_", 0) == 0; }));
    EXPECT_TRUE(std::any_of(shown.rows.begin(), shown.rows.end(),
                            [](const std::string& r) { return r.rfind("GL_", 0) == 0; }));
}

TEST(Info, ListsScriptedExtensionStrings) {
    using Rows = std::multiset<std::string>;
    struct Case {
        const char* what;
        Env env;
        Rows rows;
    };
    const Case cases[] = {
        {"two and one with a trailing space",
         {{"GLDOUBLE_EXTENSIONS", "GL_x_two GL_x_one"}, {"GLDOUBLE_WGL_EXTENSIONS", "WGL_x_three "}},
         {"GL_x_one", "GL_x_two", "WGL_x_three"}},
        {"no WGL entry point",
         {{"GLDOUBLE_EXTENSIONS", "GL_x_two GL_x_one"}, {"GLDOUBLE_WGL_EXTENSIONS", "<none>"}},
         {"GL_x_one", "GL_x_two"}},
        {"doubled space", {{"GLDOUBLE_EXTENSIONS", "GL_a  GL_b"}, {"GLDOUBLE_WGL_EXTENSIONS", "<none>"}},
         {"GL_a", "", "GL_b"}},
        {"null extension string", {{"GLDOUBLE_EXTENSIONS", "<null>"}, {"GLDOUBLE_WGL_EXTENSIONS", "<none>"}}, {}},
        {"null WGL answer", {{"GLDOUBLE_EXTENSIONS", "GL_a"}, {"GLDOUBLE_WGL_EXTENSIONS", "<null>"}}, {"GL_a"}},
        {"empty OpenGL string", {{"GLDOUBLE_EXTENSIONS", "<empty>"}, {"GLDOUBLE_WGL_EXTENSIONS", "WGL_a"}}, {"WGL_a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Shown shown = runAndRead(programPath(), withDouble(), c.env);
        EXPECT_TRUE(shown.ran);
        EXPECT_EQ(Rows(shown.rows.begin(), shown.rows.end()), c.rows);
        // The list keeps its own sorted order.
        EXPECT_TRUE(std::is_sorted(shown.rows.begin(), shown.rows.end(), [](const std::string& a, const std::string& b) {
            return _stricmp(a.c_str(), b.c_str()) < 0;
        }));
    }
}

TEST(Info, NullStringsShowEmpty) {
    const Shown shown = runAndRead(programPath(), withDouble(), {{"GLDOUBLE_VENDOR", "<null>"},
                                                         {"GLDOUBLE_RENDERER", "<null>"},
                                                         {"GLDOUBLE_VERSION", "<null>"}});
    EXPECT_TRUE(shown.ran);
    EXPECT_EQ(shown.info, "Vendor: \nRenderer: \nVersion: ");
    const Shown scripted = runAndRead(programPath(), withDouble(), {{"GLDOUBLE_VENDOR", "V"}, {"GLDOUBLE_RENDERER", "R"}});
    EXPECT_EQ(scripted.info, "Vendor: V\nRenderer: R\nVersion: 1.1 Double");
}

// A copy made while the implementation answers no strings at all still works,
// and says that they were not reported.
TEST(Info, CopyingWithNullStringsSaysNotReported) {
    App app;
    ASSERT_TRUE(app.start(programPath(),
                          {{"GLDOUBLE_VENDOR", "<null>"}, {"GLDOUBLE_RENDERER", "<null>"}, {"GLDOUBLE_VERSION", "<null>"},
                           {"GLDOUBLE_EXTENSIONS", "<null>"}, {"GLDOUBLE_WGL_EXTENSIONS", "<null>"}},
                          withDouble()));
    HWND dialog = app.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog, WM_COMMAND, 40001, 0);  // Copy report
    const std::string report = clipboardChangedSince(sequence);
    EXPECT_NE(report.find("\r\nVendor: not reported\r\nRenderer: not reported\r\nVersion: not reported\r\n"),
              std::string::npos)
        << report;
    const std::string last = "\r\nExtensions: 0 (0 from OpenGL, 0 from WGL)\r\n";
    EXPECT_EQ(report.rfind(last), report.size() - last.size()) << report;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

namespace {

std::vector<std::string> extensionLines(const std::string& report) {
    std::vector<std::string> lines;
    size_t at = report.find("\r\nExtensions: ");
    if (at == std::string::npos) return lines;
    at = report.find("\r\n", at + 2) + 2;
    while (report.compare(at, 2, "  ") == 0) {
        const size_t end = report.find("\r\n", at);
        lines.push_back(report.substr(at + 2, end - at - 2));
        at = end + 2;
    }
    return lines;
}

using Report = RunningDialog;

}  // namespace

TEST_F(Report, CopiedByKeysAndByTheContextMenu) {
    const OwnContext own;
    ASSERT_TRUE(own.ok);
    // The list's rows as names: its empty rows (from doubled spaces) are none.
    std::vector<std::string> rows = listRows(GetDlgItem(dialog_, kExtensionListId));
    rows.erase(std::remove(rows.begin(), rows.end(), std::string()), rows.end());

    setClipboardText("before");
    DWORD sequence = GetClipboardSequenceNumber();
    press({VK_CONTROL, 'C'});
    const std::string report = clipboardChangedSince(sequence);
    EXPECT_EQ(labelled(report, "Vendor"), own.vendor);
    EXPECT_EQ(labelled(report, "Renderer"), own.renderer);
    EXPECT_EQ(labelled(report, "Version"), own.version);
    const std::string count = labelled(report, "Extensions");
    EXPECT_EQ(count.substr(0, count.find(' ')), std::to_string(rows.size())) << count;
    EXPECT_EQ(extensionLines(report), rows);
    // What the tool itself is: its bitness, a manifest without Windows 10, no GPU preference set here.
    EXPECT_EQ(report.rfind(std::string("Program: OpenGL Renderer infos 1.0.0.11 (") + (sizeof(void*) == 8 ? "64" : "32") +
                               "-bit, its manifest declares no Windows 10, GPU preference not set, OpenGL's functions from the "
                               "Khronos registry ",
                           0),
              0u)
        << report.substr(0, 200);
    EXPECT_NE(labelled(report, "Pixel format"), "none");
    EXPECT_NE(labelled(report, "Implementation"), "unknown");
    // A Unicode program pastes the same report, not the previous owner's text.
    EXPECT_TRUE(clipboardUnicode() == widen(report)) << "the clipboard's Unicode text is not the report";

    setClipboardText("before");
    sequence = GetClipboardSequenceNumber();
    press({VK_CONTROL, VK_INSERT});
    EXPECT_EQ(unmade(clipboardChangedSince(sequence)), unmade(report));

    // The keyboard's context-menu chord, and the right button over the list,
    // open the menu; its one item copies.
    RECT list;
    GetWindowRect(GetDlgItem(dialog_, kExtensionListId), &list);
    const auto rightClick = [&list]() { clickAt(POINT{(list.left + list.right) / 2, (list.top + list.bottom) / 2}, true); };
    const std::function<void()> openers[] = {[] { press({VK_SHIFT, VK_F10}); }, rightClick};
    for (const auto& open : openers) {
        setClipboardText("before");
        sequence = GetClipboardSequenceNumber();
        open();
        ASSERT_NE(waitForPopupMenu(), nullptr) << "no context menu";
        press({VK_DOWN});
        press({VK_RETURN});
        EXPECT_EQ(unmade(clipboardChangedSince(sequence)), unmade(report));
    }
}

// Another program holding the clipboard neither freezes the dialog (it
// answers within a second) nor stops a later copy.
TEST_F(Report, ABusyClipboardIsLeftAlone) {
    setClipboardText("held");
    ASSERT_TRUE(OpenClipboard(nullptr));
    press({VK_CONTROL, 'C'});
    // A box says that nothing was copied, and why; the dialog still answers.
    HWND box = waitForBoxSaying(app_.pid(), "Nothing was copied: ", 10000);
    DWORD_PTR result = 0;
    const DWORD start = GetTickCount();
    const bool answered = SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
    const DWORD waited = GetTickCount() - start;
    CloseClipboard();
    ASSERT_NE(box, nullptr) << "a busy clipboard went unsaid";
    EXPECT_NE(boxText(box).find("holds the clipboard"), std::string::npos) << boxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(answered) << "no answer within a second";
    EXPECT_LT(waited, 1000u);
    EXPECT_EQ(clipboardText(), "held");

    const DWORD sequence = GetClipboardSequenceNumber();
    press({VK_CONTROL, 'C'});
    EXPECT_EQ(clipboardChangedSince(sequence).rfind("Program: ", 0), 0u) << "a later copy did not work";
}

// The support desk's questions, answered as the system's own OpenGL answers
// them; and the cube still drawn after the report made its other context.
TEST_F(Report, AnswersTheSupportDesksQuestions) {
    const OwnContext own;
    ASSERT_TRUE(own.ok);
    ASSERT_FALSE(own.coreVersion.empty()) << "no core profile in the test itself";
    HWND scene = GetDlgItem(dialog_, kSceneControlId);
    Image before;
    ASSERT_TRUE(waitForFrame(scene, &before));

    const DWORD sequence = GetClipboardSequenceNumber();
    const DWORD start = GetTickCount();
    PostMessageW(dialog_, WM_COMMAND, 40001, 0);  // Copy report
    const std::string report = clipboardChangedSince(sequence);
    std::printf("the report took %lu ms from the command to the clipboard\n", GetTickCount() - start);

    // The frame the user sees, drawn again and read back: never shown, so what
    // is on the screen stays as it was.
    EXPECT_EQ(labelled(report, "Rendering test"), "passed: the cube's red, green and blue faces read back where they should");
    Image shown;
    ASSERT_TRUE(grabControlFrame(scene, &shown));
    EXPECT_TRUE(shown.rgb == before.rgb) << "the rendering test swapped its frame onto the screen";
    EXPECT_EQ(labelled(report, "Shading language"), own.shadingLanguage);
    EXPECT_EQ(labelled(report, "Core profile"), own.coreVersion + ", shading language " + own.coreShadingLanguage);
    EXPECT_EQ(labelled(report, "  Max texture size"), std::to_string(own.maxTextureSize));
    EXPECT_EQ(labelled(report, "  Max viewport dims"),
              std::to_string(own.maxViewport[0]) + " x " + std::to_string(own.maxViewport[1]));
    EXPECT_EQ(labelled(report, "Pixel formats"),
              std::to_string(own.formats) + " in all, " + std::to_string(own.windowFormats) +
                  " draw to a window with OpenGL, " + std::to_string(own.ownFormats) + " of those a driver's own");
    EXPECT_EQ(labelled(report, "OpenGL driver"), "none: opengl32 serves the context itself");  // Wine's own
    const std::string windows = labelled(report, "Windows");
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const std::string bits = sizeof(void*) == 8 ? ", 64-bit Windows" : wow64 ? ", 32-bit program on 64-bit Windows" : ", 32-bit Windows";
    EXPECT_EQ(windows.substr(windows.size() - std::min(windows.size(), bits.size())), bits);

    // A drag after the report turns the cube square-on: drawn anew, on the
    // dialog's own context.
    RECT client;
    GetClientRect(scene, &client);
    const int cx = client.right / 2, cy = client.bottom / 2;
    send(scene, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
    send(scene, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(cx, cy - 90));  // 45 degrees about X
    send(scene, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(cx - 90, cy - 90));  // and about Y: 0, 0
    send(scene, WM_LBUTTONUP, 0, MAKELPARAM(cx - 90, cy - 90));
    Image after;
    ASSERT_TRUE(grabControlFrame(scene, &after));
    const std::uint8_t* centre = after.at(after.width / 2, after.height / 2);
    EXPECT_TRUE(centre[2] > 40 && centre[0] < 15 && centre[1] < 15) << "the cube is not drawn after the report";
    const std::uint8_t* corner = after.at(0, 0);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
}

namespace {

// The report of the program on the double, scripted by `env`; the dialog must
// go on working after it and close normally.
std::string reportOnDouble(const Env& env) {
    App app;
    if (!app.start(programPath(), env, withDouble())) return "<not started>";
    HWND dialog = app.waitForDialog();
    if (dialog == nullptr) return "<no dialog>";
    DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog, WM_COMMAND, 40001, 0);
    const std::string report = clipboardChangedSince(sequence);
    sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog, WM_COMMAND, 40001, 0);
    EXPECT_EQ(unmade(clipboardChangedSince(sequence)), unmade(report)) << "a second report differs";
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1000;
    EXPECT_TRUE(app.waitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
    return report;
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

namespace {

// The date a file last changed, in UTC, as the report gives a driver's.
std::string fileDate(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    SYSTEMTIME changed = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) || !FileTimeToSystemTime(&data.ftLastWriteTime, &changed)) {
        return "<no date>";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", changed.wYear, changed.wMonth, changed.wDay);
    return text;
}

}  // namespace

TEST(Info, ReportsWhatAScriptedImplementationGives) {
    const std::string driver = binDir() + "\\double\\doubleicd.dll";
    const std::string attribs = "WGL_ARB_extensions_string WGL_ARB_create_context WGL_ARB_create_context_profile";
    struct Case {
        const char* what;
        Env env;
        std::vector<std::pair<std::string, std::string>> lines;
    };
    const Case cases[] = {
        {"a driver DLL serves the context",
         {{"GLDOUBLE_DRIVER", driver}},
         {{"OpenGL driver", lowered(driver) + ", version 9.8.7.6, double graphics, dated " + fileDate(driver)}}},
        {"video memory from GL_NVX_gpu_memory_info",
         {{"GLDOUBLE_EXTENSIONS", "GL_NVX_gpu_memory_info"},
          {"GLDOUBLE_INTEGERS", "0x9047=2097152,0x9048=1048576,0x9049=524288"}},
         {{"Video memory",
           "dedicated 2048 MiB, total available 1024 MiB, currently available 512 MiB (GL_NVX_gpu_memory_info)"}}},
        {"no wglCreateContextAttribsARB",
         {{"GLDOUBLE_WGL_EXTENSIONS", attribs}, {"GLDOUBLE_CREATE_ATTRIBS", "missing"}},
         {{"Core profile", "not offered"}}},
        {"every core profile refused",
         {{"GLDOUBLE_WGL_EXTENSIONS", attribs}, {"GLDOUBLE_CREATE_ATTRIBS", "fail"}},
         {{"Core profile", "none"}}},
        {"a core profile made",
         {{"GLDOUBLE_WGL_EXTENSIONS", attribs}, {"GLDOUBLE_VERSION", "4.1 Double"}},
         {{"Core profile", "4.1 Double, shading language 1.10 Double"}, {"Shading language", "1.10 Double"}}},
        {"null strings and queries that write nothing",
         {{"GLDOUBLE_VERSION", "3.3 Double"}, {"GLDOUBLE_SHADING", "<null>"}, {"GLDOUBLE_INTEGERS", "untouched"}},
         {{"Shading language", "not reported"},
          {"  Max texture size", "not reported"},
          {"  Max samples", "not reported"},
          {"  Max anisotropy", "n/a"},
          {"OpenGL driver", "none: opengl32 serves the context itself"}}},
        {"the shading language from OpenGL 2.0 on", {{"GLDOUBLE_VERSION", "2.0 Double"}}, {{"Shading language", "1.10 Double"}}},
        // Each limit answered with a number of its own: a limit read with
        // another's enum shows that one's, or the 0 of one never scripted.
        {"every limit by its own enum",
         {{"GLDOUBLE_VERSION", "4.6 Double"},
          {"GLDOUBLE_INTEGERS", "0x0D33=1001,0x8073=1002,0x851C=1003,0x0D3A=1004/1005,0x84E8=1006,0x8D57=1007,"
                                "0x8872=1008,0x8869=1009,0x84FF=1010"}},
         {{"  Max texture size", "1001"}, {"  Max 3D texture size", "1002"}, {"  Max cube map texture size", "1003"},
          {"  Max viewport dims", "1004 x 1005"}, {"  Max renderbuffer size", "1006"}, {"  Max samples", "1007"},
          {"  Max texture image units", "1008"}, {"  Max vertex attribs", "1009"}, {"  Max anisotropy", "1010"}}},
        {"no strings at all",
         {{"GLDOUBLE_VERSION", "<null>"}, {"GLDOUBLE_VENDOR", "<null>"}, {"GLDOUBLE_RENDERER", "<null>"}},
         {{"Shading language", "not offered"}, {"Core profile", "not offered"}, {"  Max viewport dims", "0 x 0"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string report = reportOnDouble(c.env);
        for (const auto& l : c.lines) {
            const std::string got = labelled(report, l.first);
            EXPECT_EQ(l.first == "OpenGL driver" ? lowered(got) : got, l.second) << report.substr(0, 300);
        }
    }
}

namespace {

// The report and the JSON of a script run on these arguments.
struct Written {
    std::string report;
    nlohmann::json json;
};

Written writtenBy(const std::string& arguments, const Env& env = {}) {
    Written w;
    const std::string text = dosPath(unixTempPath("diagnosis.txt"));
    const std::string json = dosPath(unixTempPath("diagnosis.json"));
    for (const std::string& out : {"--report " + text, "--json " + json}) {
        App app;
        EXPECT_TRUE(app.startWithHandles(programPath(), env, arguments + " " + out, nullptr, nullptr));
        DWORD code = 1000;
        EXPECT_TRUE(app.waitForExit(20000, &code));
        EXPECT_EQ(code, 0u) << out;
    }
    w.report = document(text);
    EXPECT_EQ(schemaErrors(json), "");
    w.json = nlohmann::json::parse(readAll(json));
    DeleteFileA(text.c_str());
    DeleteFileA(json.c_str());
    return w;
}

std::string wineVersion() {
    using Version = const char*(CDECL*)();
    const auto version = reinterpret_cast<Version>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return version != nullptr ? version() : "<not Wine>";
}

}  // namespace

// The first answers a support desk wants, as the system itself gives them:
// software or not, under what, on which adapters with which drivers.
TEST(Info, TheReportSaysWhatIsWrong) {
    std::vector<DISPLAY_DEVICEA> adapters;
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    for (DWORD i = 0; EnumDisplayDevicesA(nullptr, i, &device, 0); ++i, device = {}, device.cb = sizeof device) {
        if (std::none_of(adapters.begin(), adapters.end(),
                         [&](const DISPLAY_DEVICEA& a) { return std::string(a.DeviceKey) == device.DeviceKey; })) {
            adapters.push_back(device);
        }
    }
    ASSERT_FALSE(adapters.empty());
    // The values a display driver leaves under its adapter's key.
    const std::string key = firstAdapterKey();
    ScopedRegValue provider(HKEY_LOCAL_MACHINE, key, "ProviderName", "Double Graphics Inc.");
    ScopedRegValue version(HKEY_LOCAL_MACHINE, key, "DriverVersion", "31.0.15.5123");
    ScopedRegValue icd(HKEY_LOCAL_MACHINE, key, "OpenGLDriverName", "doubleicd64.dll");
    ScopedRegValue icdWow(HKEY_LOCAL_MACHINE, key, "OpenGLDriverNameWow", "doubleicd32.dll");
    // The one this tool's bitness loads: a 32-bit program on 64-bit Windows reads the Wow value.
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const std::string ownDriver = wow64 ? "doubleicd32.dll" : "doubleicd64.dll";

    const Written mesa = writtenBy("");
    const std::string wine = wineVersion();
    EXPECT_EQ(labelled(mesa.report, "Summary"), "OpenGL 4.5 in software (llvmpipe), under Wine " + wine + ".");
    EXPECT_EQ(labelled(mesa.report, "Implementation").rfind("software (llvmpipe is a software rasteriser", 0), 0u)
        << labelled(mesa.report, "Implementation");
    EXPECT_EQ(labelled(mesa.report, "Session").rfind("local, no virtual machine recognised, Wine " + wine + " on ", 0), 0u);
    EXPECT_EQ(mesa.json["summary"]["verdict"], "software");
    EXPECT_EQ(mesa.json["opengl"]["implementation"], "software");
    EXPECT_EQ(mesa.json["session"]["wine"]["version"], wine);
    EXPECT_FALSE(mesa.json["session"]["remote"].get<bool>());
    ASSERT_EQ(mesa.json["adapters"].size(), adapters.size());
    for (size_t i = 0; i < adapters.size(); ++i) {
        const bool primary = (adapters[i].StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
        EXPECT_EQ(mesa.json["adapters"][i]["name"], adapters[i].DeviceString);
        EXPECT_EQ(mesa.json["adapters"][i]["primary"].get<bool>(), primary);
        EXPECT_NE(mesa.report.find("\r\n  " + std::string(adapters[i].DeviceString) + (primary ? ": primary, " : ": ")),
                  std::string::npos);
    }
    EXPECT_EQ(mesa.json["adapters"][0]["provider"], "Double Graphics Inc.");
    EXPECT_EQ(mesa.json["adapters"][0]["driver_version"], "31.0.15.5123");
    EXPECT_EQ(mesa.json["adapters"][0]["opengl_driver"], "doubleicd64.dll");
    EXPECT_EQ(mesa.json["adapters"][0]["opengl_driver_wow"], "doubleicd32.dll");
    EXPECT_NE(mesa.report.find("; provider Double Graphics Inc., version 31.0.15.5123, "), std::string::npos);
    EXPECT_NE(mesa.report.find("; OpenGLDriverName doubleicd64.dll"), std::string::npos);

    // Windows' own software OpenGL, as the double plays it.
    const Written generic = writtenBy(withDouble(), {{"GLDOUBLE_VENDOR", "Microsoft Corporation"},
                                                     {"GLDOUBLE_RENDERER", "GDI Generic"},
                                                     {"GLDOUBLE_VERSION", "1.1.0"}});
    // The adapter's key names a driver that the double never loads.
    EXPECT_EQ(labelled(generic.report, "Summary"), "Only Windows' built-in OpenGL 1.1, in software: the display adapter \"" +
                                                       std::string(adapters[0].DeviceString) + "\" registers the OpenGL driver " +
                                                       ownDriver + ", which did not load. This runs under Wine " + wine + ".");
    EXPECT_EQ(generic.json["summary"]["verdict"], "generic");
    EXPECT_FALSE(generic.json["session"]["remote"].get<bool>());
}

namespace {

// The Save dialog of the program, once it shows.
HWND waitForSaveDialog(DWORD pid) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50)) {
        HWND found = findTopWindow(pid, "Save report");
        if (found != nullptr && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

// Types a name into the Save dialog and presses its Save button.
void saveAs(HWND save, const std::string& path) {
    HWND name = GetDlgItem(save, 0x47C);  // the explorer dialog's file name box
    if (name == nullptr) name = GetDlgItem(save, 0x480);
    ASSERT_NE(name, nullptr);
    const std::wstring wide = widen(path);
    send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    PostMessageW(save, WM_COMMAND, IDOK, 0);
}

}  // namespace

// Text beyond the code page and beyond the Basic Multilingual Plane, as the
// system gives it (a registry value read as UTF-16): the clipboard's Unicode
// text and a saved file keep it; the 8-bit text shows "?", never a look-alike.
// The Save dialog proposes the documented name.
TEST_F(Report, CopiedAndSavedTextKeepsEveryCharacter) {
    const std::string key = firstAdapterKey();
    ASSERT_FALSE(key.empty());
    ScopedRegValue provider(HKEY_LOCAL_MACHINE, key, "ProviderName", std::wstring(L"Provider \u03A9 \xD834\xDD1E"));
    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog_, WM_COMMAND, 40001, 0);
    const std::string copied = clipboardChangedSince(sequence);
    EXPECT_NE(copied.find("; provider Provider ? ?"), std::string::npos) << "the 8-bit text";
    const std::wstring unicode = clipboardUnicode();
    EXPECT_NE(unicode.find(L"; provider Provider \u03A9 \xD834\xDD1E,"), std::wstring::npos) << "no Unicode text of its own";

    ASSERT_TRUE(inFront_);
    press({VK_CONTROL, 'S'});
    HWND save = waitForSaveDialog(app_.pid());
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(windowText(GetDlgItem(save, 0x47C)), "OpenGL report") << "the chosen type adds its own extension";
    const std::string file = dosPath(unixTempPath("unicode-saved.txt"));
    saveAs(save, file);
    for (DWORD start = GetTickCount(); !exists(file) && GetTickCount() - start < 10000;) Sleep(50);
    const std::string saved = document(file);
    EXPECT_NE(saved.find("; provider Provider \xCE\xA9 \xF0\x9D\x84\x9E,"), std::string::npos) << saved.substr(0, 100);
    EXPECT_TRUE(unmade(utf8(unicode)) == unmade(saved)) << "the file is not the copied report";
    DeleteFileA(file.c_str());
}

// Ctrl+S and the menu's second item save what Copy report copies; a folder
// that is not there gives a box that says so, and nothing is left behind.
TEST_F(Report, SavedAsTheCopyIs) {
    const DWORD sequence = GetClipboardSequenceNumber();
    PostMessageW(dialog_, WM_COMMAND, 40001, 0);
    const std::string copied = clipboardChangedSince(sequence);
    const std::string file = dosPath(unixTempPath("saved.txt"));

    ASSERT_TRUE(inFront_);
    press({VK_CONTROL, 'S'});
    HWND save = waitForSaveDialog(app_.pid());
    ASSERT_NE(save, nullptr) << "Ctrl+S opened no Save dialog";
    saveAs(save, file);
    for (DWORD start = GetTickCount(); !exists(file) && GetTickCount() - start < 10000;) Sleep(50);
    // UTF-8 after a byte-order mark, the clipboard's text in the code page: the same here.
    EXPECT_TRUE(unmade(document(file)) == unmade(copied)) << readAll(file).substr(0, 200);
    DeleteFileA(file.c_str());

    const std::string missing = dosPath(unixTempPath("no-such-folder"));
    press({VK_SHIFT, VK_F10});
    ASSERT_NE(waitForPopupMenu(), nullptr);
    press({VK_DOWN});
    press({VK_DOWN});
    press({VK_RETURN});
    save = waitForSaveDialog(app_.pid());
    ASSERT_NE(save, nullptr) << "the menu's Save report opened no Save dialog";
    saveAs(save, missing + "\\saved.txt");
    HWND box = app_.waitForWindow("Report not saved", 10000);
    ASSERT_NE(box, nullptr);
    const std::string said = boxText(box);
    EXPECT_NE(said.find(missing + "\\saved.txt: "), std::string::npos) << said;
    EXPECT_NE(said.find("(error 3)"), std::string::npos) << said;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(exists(missing));

    // Each type chosen in the Save dialog, with a name: what was written there.
    const auto savedAs = [this](int type, const std::string& name, const std::string& written) {
        press({VK_CONTROL, 'S'});
        HWND box = waitForSaveDialog(app_.pid());
        HWND types = box != nullptr ? GetDlgItem(box, 0x470) : nullptr;
        EXPECT_NE(types, nullptr);
        if (types == nullptr) return std::string();
        send(types, CB_SETCURSEL, type);
        // The dialog takes the type when the choice is made final, as a click or Enter does.
        send(box, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
        saveAs(box, name);
        for (DWORD start = GetTickCount(); !exists(written) && GetTickCount() - start < 10000;) Sleep(50);
        const std::string bytes = readAll(written);
        DeleteFileA(written.c_str());
        return bytes;
    };
    // The JSON type chosen for a name without an extension: JSON, under ".json".
    const std::string typed = dosPath(unixTempPath("typed"));
    const std::string json = savedAs(1, typed, typed + ".json");
    EXPECT_EQ(json.rfind("{\"schema_version\":", 0), 0u) << json.substr(0, 80);
    // The HTML type: one page, with the frame the dialog drew, under ".html".
    const std::string page = savedAs(2, typed, typed + ".html");
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u) << page.substr(0, 80);
    EXPECT_NE(page.find("<img alt=\"The frame the rendering test drew and read back\""), std::string::npos);
    EXPECT_NE(page.find("{\"schema_version\":"), std::string::npos);
    // The text type with a name that ends in .HTML: the name decides, in any case.
    const std::string named = savedAs(0, typed + "-named.HTML", typed + "-named.HTML");
    EXPECT_EQ(named.rfind("<!DOCTYPE html>", 0), 0u) << named.substr(0, 80);

    // A device's name is no file: a box says so, and nothing is written.
    press({VK_CONTROL, 'S'});
    save = waitForSaveDialog(app_.pid());
    ASSERT_NE(save, nullptr);
    saveAs(save, "CON");
    // Wine's Save dialog takes the device for a file that exists: yes, replace it.
    if (HWND replace = waitForBoxSaying(app_.pid(), "already exists", 3000)) PostMessageW(replace, WM_COMMAND, IDYES, 0);
    box = app_.waitForWindow("Report not saved", 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(boxText(box).find("names a device, not a file"), std::string::npos) << boxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    // The dialog carries on.
    EXPECT_NE(send(dialog_, WM_GETTEXTLENGTH), 0);
}

// Strings that read well prove nothing: the cube drawn and read back says
// whether OpenGL draws, and a failure is the summary's and the requirements'.
TEST(Info, TheRenderingTestSaysWhetherOpenGLDraws) {
    const std::string passed = "passed: the cube's red, green and blue faces read back where they should";
    EXPECT_EQ(labelled(writtenBy("").report, "Rendering test"), passed);  // llvmpipe, in the hidden dialog
    struct Case {
        const char* pixels;
        std::string line;
    };
    const Case cases[] = {
        {"nothing", "failed: nothing was drawn: the frame read back black"},
        {"swapped", "failed: the faces read back in the wrong colours or places"},
        {"unreadable", "failed: reading pixels failed: GL error 0x0502"},
        {"undefined", "not run: the window is not shown, and this OpenGL keeps no pixels for a window that is not"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixels);
        const Written w = writtenBy(withDouble(), {{"GLDOUBLE_PIXELS", c.pixels}});
        EXPECT_EQ(labelled(w.report, "Rendering test"), c.line);
        const bool failed = c.line.rfind("failed: ", 0) == 0;
        EXPECT_EQ(labelled(w.report, "Summary").find("The rendering test failed: " + c.line.substr(8)) != std::string::npos, failed);
        EXPECT_EQ(w.json["opengl"]["rendering_test"]["passed"], failed ? nlohmann::json(false) : nlohmann::json(nullptr));
    }
    // OpenGL 1.1 is there, but it draws nothing: the requirement is not met.
    const std::string file = dosPath(unixTempPath("rendering.txt"));
    App app;
    ASSERT_TRUE(app.startWithHandles(programPath(), {{"GLDOUBLE_PIXELS", "nothing"}},
                                     withDouble() + " --require 1.1 --report " + file, nullptr, nullptr));
    DWORD code = 1000;
    ASSERT_TRUE(app.waitForExit(20000, &code));
    EXPECT_EQ(code, 4u);
    EXPECT_EQ(labelled(document(file), "Requirements"), "not met: missing rendering");
    DeleteFileA(file.c_str());

    // Microsoft's OpenGL on Direct3D 12, as it names itself on Windows on ARM.
    const Written d3d12 = writtenBy(withDouble(), {{"GLDOUBLE_VENDOR", "Microsoft Corporation"},
                                                   {"GLDOUBLE_RENDERER", "D3D12 (Qualcomm(R) Adreno(TM) 690 GPU)"}});
    EXPECT_EQ(labelled(d3d12.report, "Summary").rfind("OpenGL 1.1 on Qualcomm(R) Adreno(TM) 690 GPU over Direct3D 12 "
                                                      "(Microsoft's OpenCL and OpenGL Compatibility Pack), in hardware",
                                                      0),
              0u)
        << labelled(d3d12.report, "Summary");
    EXPECT_EQ(d3d12.json["opengl"]["translation_layer"]["over"], "Direct3D 12");
    EXPECT_EQ(d3d12.json["opengl"]["translation_layer"]["device"], "Qualcomm(R) Adreno(TM) 690 GPU");
    EXPECT_EQ(labelled(d3d12.report, "Rendering test"), passed);
}

// The remote-session policy and the native machine, as the system gives them
// to the test itself.
TEST(Info, TheMachineAndThePolicyAreTheSystemsOwn) {
    ScopedRegValue policy(HKEY_LOCAL_MACHINE, "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Terminal Services",
                          "bEnumerateHWBeforeSW", DWORD{1});
    const Written w = writtenBy("");
    EXPECT_NE(labelled(w.report, "Session").find(", remote sessions use the hardware graphics adapters (policy bEnumerateHWBeforeSW = 1)"),
              std::string::npos)
        << labelled(w.report, "Session");
    EXPECT_EQ(w.json["session"]["remote_hardware_policy"], 1);

    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    const auto isWow64 = reinterpret_cast<IsWow64Process2Fn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process2")));
    USHORT process = 0, native = 0;
    if (isWow64 == nullptr || !isWow64(GetCurrentProcess(), &process, &native)) {
        EXPECT_TRUE(w.json["windows"]["native_machine"].is_null());
    } else {
        const char* word = native == 0x014C ? "x86" : native == 0x8664 ? "x64" : native == 0xAA64 ? "ARM64" : "other";
        EXPECT_EQ(w.json["windows"]["native_machine"], word);
    }
    EXPECT_EQ(w.json["windows"]["program_machine"], sizeof(void*) == 8 ? "x64" : "x86");
}

namespace {

// Whether DXGI picks this display's adapter for high performance and for
// power saving, matched by the LUID the kernel interface gives for it; false
// where the system cannot say.
bool dxgiPicks(const char* displayName, bool* high, bool* low) {
    struct OpenFromGdiName {
        WCHAR deviceName[32];
        UINT adapter;
        LUID luid;
        UINT sourceId;
    } name = {};
    const std::wstring wide = widen(displayName);
    lstrcpynW(name.deviceName, wide.c_str(), 32);
    using Open = LONG(WINAPI*)(OpenFromGdiName*);
    const auto open = reinterpret_cast<Open>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("gdi32.dll"), "D3DKMTOpenAdapterFromGdiDisplayName")));
    IDXGIFactory6* factory = nullptr;
    if (open == nullptr || open(&name) != 0 ||
        FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory6), reinterpret_cast<void**>(&factory)))) {
        return false;
    }
    bool named = true;
    for (const auto& asked : {std::make_pair(DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE, high),
                              std::make_pair(DXGI_GPU_PREFERENCE_MINIMUM_POWER, low)}) {
        IDXGIAdapter1* adapter = nullptr;
        DXGI_ADAPTER_DESC1 description = {};
        named = named && SUCCEEDED(factory->EnumAdapterByGpuPreference(0, asked.first, __uuidof(IDXGIAdapter1),
                                                                       reinterpret_cast<void**>(&adapter)));
        named = named && SUCCEEDED(adapter->GetDesc1(&description));
        if (adapter != nullptr) adapter->Release();
        *asked.second =
            description.AdapterLuid.LowPart == name.luid.LowPart && description.AdapterLuid.HighPart == name.luid.HighPart;
    }
    factory->Release();
    return named;
}

}  // namespace

// Every fact the glue gathers, and every key the JSON writes for it, against
// the system's own answer to the test, each field set to a value of its own.
// Wine shows one adapter, both primary and attached, and never a remote
// session: a slip between those two flags, or in the remote metric, cannot
// show here.
TEST(Info, EveryGatheredFactIsTheSystemsOwn) {
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &device, 0));
    const std::string key = firstAdapterKey();
    ASSERT_FALSE(key.empty());
    ScopedRegValue provider(HKEY_LOCAL_MACHINE, key, "ProviderName", "Provider P");
    ScopedRegValue version(HKEY_LOCAL_MACHINE, key, "DriverVersion", "1.2.3.4");
    ScopedRegValue date(HKEY_LOCAL_MACHINE, key, "DriverDate", "5-6-2027");
    ScopedRegValue plain(HKEY_LOCAL_MACHINE, key, "OpenGLDriverName", "plain64.dll");
    ScopedRegValue wow(HKEY_LOCAL_MACHINE, key, "OpenGLDriverNameWow", "wow32.dll");
    ScopedRegValue registered(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\OpenGLdrivers", "Name N",
                              "data-d.dll");
    const nlohmann::json j = writtenBy("").json;
    const OwnContext own;
    ASSERT_TRUE(own.ok);

    OSVERSIONINFOA version8 = {};
    version8.dwOSVersionInfoSize = sizeof version8;
    ASSERT_TRUE(GetVersionExA(&version8));
    EXPECT_EQ(j["windows"]["family"], version8.dwPlatformId == 2 ? "NT" : "95");
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersion>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW trueVersion = {};
    trueVersion.dwOSVersionInfoSize = sizeof trueVersion;
    ASSERT_TRUE(rtlGetVersion != nullptr && rtlGetVersion(&trueVersion) == 0);
    EXPECT_EQ(j["windows"]["major"], trueVersion.dwMajorVersion);
    EXPECT_EQ(j["windows"]["minor"], trueVersion.dwMinorVersion);
    EXPECT_EQ(j["windows"]["build"], trueVersion.dwBuildNumber & 0xFFFF);
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    EXPECT_EQ(j["windows"]["bitness"], sizeof(void*) == 8 ? "64-bit" : wow64 ? "32-bit program on 64-bit" : "32-bit");
    EXPECT_EQ(j["session"]["remote"].get<bool>(), GetSystemMetrics(SM_REMOTESESSION) != 0);
    using Host = void(CDECL*)(const char**, const char**);
    const auto host = reinterpret_cast<Host>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_host_version")));
    ASSERT_NE(host, nullptr);
    const char* system = nullptr;
    const char* release = nullptr;
    host(&system, &release);
    EXPECT_EQ(j["session"]["wine"]["host"], std::string(system) + " " + release);

    const nlohmann::json& a = j["adapters"][0];
    EXPECT_EQ(a["name"], device.DeviceString);
    EXPECT_EQ(a["primary"].get<bool>(), (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0);
    EXPECT_EQ(a["attached"].get<bool>(), (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0);
    EXPECT_EQ(a["provider"], "Provider P");
    EXPECT_EQ(a["driver_version"], "1.2.3.4");
    EXPECT_EQ(a["driver_date"], "2027-05-06") << "the registry's month-day-year in ISO 8601";
    EXPECT_TRUE(a["driver_date_understood"].get<bool>());
    EXPECT_EQ(a["opengl_driver"], "plain64.dll");
    EXPECT_EQ(a["opengl_driver_wow"], "wow32.dll");
    // PCI ids as the device's id names them; vendor 0000 (Wine's) is none.
    const std::string id = device.DeviceID;
    const size_t ven = id.find("VEN_");
    const std::string vendor = ven == std::string::npos ? std::string("0000") : id.substr(ven + 4, 4);
    EXPECT_EQ(a["vendor_id"], vendor == "0000" ? nlohmann::json(nullptr) : nlohmann::json(vendor));
    // Wine's gdi32 has no D3DKMTQueryAdapterInfo: then the system tells nothing.
    if (GetProcAddress(GetModuleHandleA("gdi32.dll"), "D3DKMTQueryAdapterInfo") == nullptr) {
        EXPECT_EQ(a["opengl_info"], nullptr);
    }
    bool high = false, low = false;
    if (dxgiPicks(device.DeviceName, &high, &low)) {
        EXPECT_EQ(a["high_performance"], high);
        EXPECT_EQ(a["power_saving"], low);
        // Wine's DXGI names its one adapter for both.
        EXPECT_TRUE(high && low);
    } else {
        EXPECT_EQ(a["high_performance"], nullptr);
    }

    const PIXELFORMATDESCRIPTOR& f = own.requestDescription;
    const nlohmann::json& p = j["opengl"]["pixel_format"];
    EXPECT_EQ(p["index"], own.requestFormat);
    EXPECT_EQ(p["colour_bits"], f.cColorBits);
    EXPECT_EQ(p["alpha_bits"], f.cAlphaBits);
    EXPECT_EQ(p["depth_bits"], f.cDepthBits);
    EXPECT_EQ(p["stencil_bits"], f.cStencilBits);
    EXPECT_EQ(p["double_buffered"].get<bool>(), (f.dwFlags & PFD_DOUBLEBUFFER) != 0);
    const char* keys[] = {"max_texture_size", "max_3d_texture_size", "max_cube_map_texture_size", "max_viewport_dims",
                          "max_renderbuffer_size", "max_samples", "max_texture_image_units", "max_vertex_attribs",
                          "max_anisotropy"};
    const nlohmann::json& limits = j["opengl"]["limits"];
    for (int i = 0, at = 0; i < 9; ++i, ++at) {
        SCOPED_TRACE(keys[i]);
        if (i == 3) {
            EXPECT_EQ(limits[keys[i]], nlohmann::json::array({own.limits[at], own.limits[at + 1]}));
            ++at;
        } else {
            EXPECT_EQ(limits[keys[i]].get<double>(), own.limits[at]);
        }
    }
    EXPECT_EQ(j["opengl"]["video_memory"]["video_memory_mib"], own.videoMemoryMib);
    EXPECT_EQ(j["opengl"]["shading_language"], own.shadingLanguage);
    const nlohmann::json& formats = j["opengl"]["pixel_formats"];
    EXPECT_EQ(formats["all"], own.formats);
    EXPECT_EQ(formats["window_opengl"], own.windowFormats);
    EXPECT_EQ(formats["drivers_own"], own.ownFormats);
    bool found = false;
    for (const auto& row : j["drivers"]) found = found || (row["name"] == "Name N" && row["data"] == "data-d.dll");
    EXPECT_TRUE(found) << j["drivers"];
}
