#pragma once
// What the test process's own OpenGL context on the same display says: the
// system's OpenGL, to hold the program's answers against.
#include <windows.h>

#include <GL/gl.h>

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

}  // namespace harness
