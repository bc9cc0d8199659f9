#pragma once
// What the test process's own OpenGL context on the same display says: the
// system's OpenGL, to hold the program's answers against.
#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace harness {

// The pieces between single spaces, the way a list of names separated by one
// space reads: an empty piece where spaces are doubled or lead, none for a
// trailing space.
inline std::vector<std::string> pieces(const char* text) {
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
    std::vector<std::string> glPieces, wglPieces;  // each string's pieces, as they come
    std::string shadingLanguage;
    std::string coreVersion, coreShadingLanguage;  // the highest core profile made
    GLint maxTextureSize = 0;
    GLint maxViewport[2] = {0, 0};
    int formats = 0, windowFormats = 0, ownFormats = 0;  // all; to a window with OpenGL; of those not generic
    // Every limit the report lists, by its published enum, in the report's order.
    double limits[10] = {};
    GLuint videoMemoryMib = 0;  // WGL_WINE_query_renderer
    // Every format's answers to WGL_ARB_pixel_format, where there is one: draw
    // to window, acceleration, OpenGL, double buffer, colour, alpha, depth and
    // stencil bits, and where the extensions are there samples and sRGB (-1 if not).
    std::vector<std::vector<int>> arbFormats;  // [format - 1]
    int arbCount = 0;
    // The format the system picks for the program's own request.
    int requestFormat = 0;
    PIXELFORMATDESCRIPTOR requestDescription = {};
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
            glPieces = pieces(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
            extensions = glPieces;
            using GetString = const char*(WINAPI*)(HDC);
            auto wgl = reinterpret_cast<GetString>(
                reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetExtensionsStringARB")));
            if (wgl != nullptr) wglPieces = pieces(wgl(dc));
            for (auto& w : wglPieces) extensions.push_back(w);
            shadingLanguage = text(0x8B8C);
            const GLenum enums[] = {0x0D33, 0x8073, 0x851C, 0x0D3A, 0x84E8, 0x8D57, 0x8872, 0x8869};
            GLint values[9] = {};
            for (int i = 0, at = 0; i < 8; ++i) {
                GLint got[2] = {};
                glGetIntegerv(enums[i], got);
                values[at++] = got[0];
                if (enums[i] == 0x0D3A) values[at++] = got[1];
            }
            for (int i = 0; i < 9; ++i) limits[i] = values[i];
            GLfloat anisotropy = 0;
            glGetFloatv(0x84FF, &anisotropy);
            limits[9] = anisotropy;
            using QueryInteger = BOOL(WINAPI*)(GLenum, GLuint*);
            auto query = reinterpret_cast<QueryInteger>(
                reinterpret_cast<void (*)()>(wglGetProcAddress("wglQueryCurrentRendererIntegerWINE")));
            GLuint memory[3] = {};
            if (query != nullptr && query(0x8187, memory)) videoMemoryMib = memory[0];
            using Attribs = BOOL(WINAPI*)(HDC, int, int, UINT, const int*, int*);
            auto attribs = reinterpret_cast<Attribs>(
                reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetPixelFormatAttribivARB")));
            const int number = 0x2000;
            if (attribs != nullptr && attribs(dc, 1, 0, 1, &number, &arbCount)) {
                const bool ms = std::find(wglPieces.begin(), wglPieces.end(), "WGL_ARB_multisample") != wglPieces.end();
                const bool srgb = std::find(wglPieces.begin(), wglPieces.end(), "WGL_ARB_framebuffer_sRGB") != wglPieces.end() ||
                                  std::find(wglPieces.begin(), wglPieces.end(), "WGL_EXT_framebuffer_sRGB") != wglPieces.end();
                std::vector<int> asked = {0x2001, 0x2003, 0x2010, 0x2011, 0x2014, 0x201B, 0x2022, 0x2023};
                if (ms) asked.push_back(0x2042);
                if (srgb) asked.push_back(0x20A9);
                for (int i = 1; i <= arbCount && i <= 4096; ++i) {
                    std::vector<int> got(asked.size(), 0);
                    attribs(dc, i, 0, static_cast<UINT>(asked.size()), asked.data(), got.data());
                    if (!ms) got.insert(got.begin() + 8, -1);
                    if (!srgb) got.push_back(-1);
                    arbFormats.push_back(got);
                }
            }
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
            glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
            using CreateAttribs = HGLRC(WINAPI*)(HDC, HGLRC, const int*);
            auto create = reinterpret_cast<CreateAttribs>(
                reinterpret_cast<void (*)()>(wglGetProcAddress("wglCreateContextAttribsARB")));
            const int versions[][2] = {{4, 6}, {4, 5}, {4, 4}, {4, 3}, {4, 2}, {4, 1}, {4, 0}, {3, 3}, {3, 2}};
            for (const auto& v : versions) {
                if (create == nullptr || !coreVersion.empty()) break;
                const int attributes[] = {0x2091, v[0], 0x2092, v[1], 0x9126, 1, 0};
                HGLRC core = create(dc, nullptr, attributes);
                if (core == nullptr) continue;
                if (wglMakeCurrent(dc, core)) {
                    coreVersion = text(GL_VERSION);
                    coreShadingLanguage = text(0x8B8C);
                }
                wglMakeCurrent(dc, context);
                wglDeleteContext(core);
            }
            ok = true;
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context);
        }
        PIXELFORMATDESCRIPTOR request = {};
        request.nSize = sizeof request;
        request.nVersion = 1;
        request.dwFlags = 0x80000025;
        request.cColorBits = 32;
        request.cRedBits = request.cGreenBits = request.cBlueBits = 8;
        request.cRedShift = 16;
        request.cGreenShift = 8;
        request.cAccumBits = 64;
        request.cAccumRedBits = request.cAccumGreenBits = request.cAccumBlueBits = 16;
        request.cDepthBits = 32;
        request.cStencilBits = 8;
        requestFormat = ChoosePixelFormat(dc, &request);
        DescribePixelFormat(dc, requestFormat, sizeof requestDescription, &requestDescription);
        formats = DescribePixelFormat(dc, 1, sizeof pfd, &pfd);
        for (int i = 1; i <= formats; ++i) {
            DescribePixelFormat(dc, i, sizeof pfd, &pfd);
            if ((pfd.dwFlags & PFD_DRAW_TO_WINDOW) == 0 || (pfd.dwFlags & PFD_SUPPORT_OPENGL) == 0) continue;
            ++windowFormats;
            ownFormats += (pfd.dwFlags & PFD_GENERIC_FORMAT) == 0 ? 1 : 0;
        }
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
};

}  // namespace harness
