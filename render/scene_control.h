#pragma once
#include <windows.h>

#include "render/gl_surface.h"

// Makes a static control the view of the cube: its procedure becomes
// sceneControlProc, which draws on `surface` and turns the cube by left-button
// drags. The control keeps its own rotation and its previous procedure.
void bindSceneControl(HWND control, GlSurface* surface);

LRESULT CALLBACK sceneControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
