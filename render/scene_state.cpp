#include "render/scene_state.h"

namespace {

// Whole degrees for `pixels` more of travel at half a degree per pixel; the
// odd pixel left over waits in `carry` (0 or 1) for the next move. Rounding
// down rather than toward zero makes an even step turn exactly half its size
// whatever was carried, and N one-pixel steps turn as far as one N-pixel step.
int halfWithCarry(int pixels, int& carry) {
    const long total = static_cast<long>(pixels) + carry;
    const long half = total >= 0 ? total / 2 : -((-total + 1) / 2);
    carry = static_cast<int>(total - 2 * half);
    return static_cast<int>(half);
}

}  // namespace

PointerPos pointerFromLParam(std::uint32_t lparam) {
    return PointerPos{static_cast<std::int16_t>(lparam & 0xFFFFu),
                      static_cast<std::int16_t>((lparam >> 16) & 0xFFFFu)};
}

void beginDrag(SceneState& scene, int x, int y) {
    scene.dragging = 1;
    scene.lastX = x;
    scene.lastY = y;
    scene.carryDx = 0;
    scene.carryDy = 0;
}

bool dragTo(SceneState& scene, int x, int y) {
    if (scene.dragging == 0) return false;
    const int dx = scene.lastX - x;
    const int dy = scene.lastY - y;
    scene.angleY -= halfWithCarry(dx, scene.carryDx);
    scene.angleX -= halfWithCarry(dy, scene.carryDy);
    scene.lastX = x;
    scene.lastY = y;
    return true;
}

void endDrag(SceneState& scene) { scene.dragging = 0; }

void turnByKey(SceneState& scene, SceneKey key) {
    // As the drag turns it: the pointer moved right turns it about Y one way,
    // moved down about X.
    switch (key) {
    case SceneKey::Left: scene.angleY -= kDegreesPerKey; break;
    case SceneKey::Right: scene.angleY += kDegreesPerKey; break;
    case SceneKey::Up: scene.angleX -= kDegreesPerKey; break;
    case SceneKey::Down: scene.angleX += kDegreesPerKey; break;
    case SceneKey::Home:
        scene.angleX = 45.0;
        scene.angleY = 45.0;
        break;
    }
}
