// Renderer information on the real program: against the test's own OpenGL
// context on Mesa, and with the double scripting the strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <GL/gl.h>

#include "harness.h"

using namespace harness;

namespace {

// The pieces between single spaces, the way a list of names separated by one
// space reads: an empty piece where spaces are doubled or lead, none for a
// trailing space.
std::vector<std::string> pieces(const char* text) {
    std::vector<std::string> out;
    std::string piece;
    bool open = false;
    for (const char* p = text != nullptr ? text : ""; *p != '\0'; ++p) {
        if (*p == ' ') {
            out.push_back(piece);
            piece.clear();
            open = false;
        } else {
            piece += *p;
            open = true;
        }
    }
    if (open) out.push_back(piece);
    return out;
}

// What this process's own context on the same display says.
struct OwnContext {
    std::string vendor, renderer, version;
    std::vector<std::string> extensions;
    bool ok = false;

    OwnContext() {
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
        HDC dc = GetDC(window);
        PIXELFORMATDESCRIPTOR pfd = {};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 24;
        SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
        HGLRC context = wglCreateContext(dc);
        if (context != nullptr && wglMakeCurrent(dc, context)) {
            auto text = [](GLenum name) {
                const char* s = reinterpret_cast<const char*>(glGetString(name));
                return std::string(s != nullptr ? s : "");
            };
            vendor = text(GL_VENDOR);
            renderer = text(GL_RENDERER);
            version = text(GL_VERSION);
            extensions = pieces(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
            using GetString = const char*(WINAPI*)(HDC);
            auto wgl = reinterpret_cast<GetString>(
                reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetExtensionsStringARB")));
            if (wgl != nullptr) {
                for (auto& w : pieces(wgl(dc))) extensions.push_back(w);
            }
            ok = true;
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context);
        }
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
};

struct Shown {
    std::string info;
    std::vector<std::string> rows;
    bool ran = false;
};

Shown runAndRead(const std::string& exe, const Env& env = {}) {
    App app;
    Shown shown;
    if (!app.start(exe, env)) return shown;
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
    PreferLocalOpenGl local;
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
        const Shown shown = runAndRead(doubleProgramPath(), c.env);
        EXPECT_TRUE(shown.ran);
        EXPECT_EQ(Rows(shown.rows.begin(), shown.rows.end()), c.rows);
        // The list keeps its own sorted order.
        EXPECT_TRUE(std::is_sorted(shown.rows.begin(), shown.rows.end(), [](const std::string& a, const std::string& b) {
            return _stricmp(a.c_str(), b.c_str()) < 0;
        }));
    }
}

TEST(Info, NullStringsShowEmpty) {
    PreferLocalOpenGl local;
    const Shown shown = runAndRead(doubleProgramPath(), {{"GLDOUBLE_VENDOR", "<null>"},
                                                         {"GLDOUBLE_RENDERER", "<null>"},
                                                         {"GLDOUBLE_VERSION", "<null>"}});
    EXPECT_TRUE(shown.ran);
    EXPECT_EQ(shown.info, "Vendor: \nRenderer: \nVersion: ");
    const Shown scripted = runAndRead(doubleProgramPath(), {{"GLDOUBLE_VENDOR", "V"}, {"GLDOUBLE_RENDERER", "R"}});
    EXPECT_EQ(scripted.info, "Vendor: V\nRenderer: R\nVersion: 1.1 Double");
}
