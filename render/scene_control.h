#pragma once
#include <windows.h>

#include "render/gl_surface.h"
#include "render/scene_state.h"

// Makes a static control the view of the cube: its procedure becomes
// sceneControlProc, which draws on `surface` and turns the cube by left-button
// drags. The control keeps its own rotation and its previous procedure.
void bindSceneControl(HWND control, GlSurface* surface);

LRESULT CALLBACK sceneControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The angles the control shows the cube at now.
const SceneState& sceneState();
