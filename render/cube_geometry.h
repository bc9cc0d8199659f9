#pragma once
// The cube as the scene draws it: what the drawing and the prediction of a
// frame's pixels both take their shape from. No OpenGL needed.

struct CubeFace {
    double normal[3];
    double vertices[4][3];
};

// +X, -X (red), +Y, -Y (green), +Z, -Z (blue), in the order they are drawn.
inline constexpr CubeFace kCubeFaces[6] = {
    {{1, 0, 0}, {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}}},
    {{-1, 0, 0}, {{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}}},
    {{0, 1, 0}, {{1, 1, 1}, {-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}}},
    {{0, -1, 0}, {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}, {-1, -1, -1}}},
    {{0, 0, 1}, {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}}},
    {{0, 0, -1}, {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}}},
};

// How far in front of the eye the cube's centre stands.
inline constexpr double kCubeDistance = 8.0;
