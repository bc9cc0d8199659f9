#include "render/scene_state.h"

PointerPos pointerFromLParam(std::uint32_t lparam) {
    return PointerPos{static_cast<std::int16_t>(lparam & 0xFFFFu),
                      static_cast<std::int16_t>((lparam >> 16) & 0xFFFFu)};
}

void beginDrag(SceneState& scene, int x, int y) {
    scene.dragging = 1;
    scene.lastX = x;
    scene.lastY = y;
}

bool dragTo(SceneState& scene, int x, int y) {
    if (scene.dragging == 0) return false;
    const int dx = scene.lastX - x;
    const int dy = scene.lastY - y;
    // Integer halves, truncated toward zero before they become degrees: a
    // one-pixel step turns nothing, but the last position still moves on.
    scene.angleY -= dx / 2;
    scene.angleX -= dy / 2;
    scene.lastX = x;
    scene.lastY = y;
    return true;
}

void endDrag(SceneState& scene) { scene.dragging = 0; }
