#pragma once
#include <cstdint>

// The cube's two angles in degrees and the left-button drag that turns them.
struct SceneState {
    double angleX = 45.0;
    double angleY = 45.0;
    int dragging = 0;
    int lastX = 0;
    int lastY = 0;
    // The odd pixel of horizontal and of vertical travel not yet turned (0 or
    // 1), carried to the next move so that slow drags turn as far as fast ones.
    int carryDx = 0;
    int carryDy = 0;
};

struct PointerPos {
    int x;
    int y;
};

// Pointer messages carry x and y as signed 16-bit values: a captured pointer left
// of or above the control gives negative coordinates.
PointerPos pointerFromLParam(std::uint32_t lparam);

void beginDrag(SceneState& scene, int x, int y);

// Returns true when the move belongs to a drag (the caller repaints); a move
// outside a drag changes nothing.
bool dragTo(SceneState& scene, int x, int y);

void endDrag(SceneState& scene);

// The keys that turn the cube without a pointer: each arrow turns it as far as
// a drag of 10 pixels that way, 5 degrees; Home puts it back where it starts.
enum class SceneKey { Left, Right, Up, Down, Home };
constexpr double kDegreesPerKey = 5.0;
void turnByKey(SceneState& scene, SceneKey key);
