#pragma once
// The renderer information's controls: the text and the extension list, filled
// from the current context.
#include <windows.h>

// The current OpenGL context's vendor, renderer and version, as the text of `infoText`.
void showRendererInfo(HWND infoText);

// What wglGetExtensionsStringARB answers for this device context; null when
// the entry point is not there or answers null.
const char* wglExtensionString(HDC dc);

// The OpenGL extension string joined with the WGL one (when asked and offered);
// free it with std::free. Nullptr only when memory runs out.
char* buildExtensionString(bool includeWgl);

// One row per extension of `text` in `list`; `text` is split in place.
void fillExtensionList(HWND list, char* text);
