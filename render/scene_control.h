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

// Turns the cube by a key and draws the frame at once.
void turnSceneByKey(SceneKey key);

// The colour the frames are cleared to: black, or a system colour where a
// high-contrast theme asks for one. The cube's faces keep their colours.
void setSceneBackground(float red, float green, float blue);

// What the program that binds the control adds to it, called from its
// procedure: once after the first frame is out; when an accessibility client
// asks for its object (WM_GETOBJECT); before it is destroyed. Any may be null.
struct SceneHooks {
    void (*firstFrameShown)() = nullptr;
    void (*accessibleObjectAsked)(HWND control) = nullptr;
    void (*destroying)(HWND control) = nullptr;
};
void setSceneHooks(const SceneHooks& hooks);
