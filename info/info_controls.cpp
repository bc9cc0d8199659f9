#include "info/info_controls.h"

#include "info/info_rules.h"
#include "render/gl_api.h"
#include "render/gl_library.h"

namespace {

const char* glText(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }

}  // namespace

void showRendererInfo(HWND infoText) {
    const char* version = glText(GL_VERSION);
    const char* renderer = glText(GL_RENDERER);
    const char* vendor = glText(GL_VENDOR);
    char text[kInfoTextSize];
    formatRendererInfo(text, vendor, renderer, version);
    SetWindowTextA(infoText, text);
}

const char* wglExtensionString(HDC dc) {
    using GetExtensionsString = const char*(WINAPI*)(HDC);
    const auto entry = wglFunction<GetExtensionsString>("wglGetExtensionsStringARB");
    return entry != nullptr ? entry(dc) : nullptr;
}

char* buildExtensionString(bool includeWgl) {
    const char* wglText = includeWgl ? wglExtensionString(wgl().getCurrentDC()) : nullptr;
    return joinExtensionText(glText(GL_EXTENSIONS), wglText);
}

void fillExtensionList(HWND list, char* text) {
    // Hundreds of rows: without this the list updates its scroll bar and
    // redraw state after every one (about 9 ms instead of 2.5 ms on Wine).
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    splitExtensionRows(text, [list](const char* row) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    });
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}
