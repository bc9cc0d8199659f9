#pragma once
// The rendering test's glue: one frame of the cube drawn into the surface's
// back buffer, never shown (no swap), and its sample points read back.
#include "render/frame_check.h"
#include "render/gl_surface.h"

// Needs the surface's context current, and leaves it current with the state
// the scene is drawn with. `shown`: whether the window is on the screen; a
// window that is not may have no defined pixels, which is then found out first.
FrameReading readFrame(const GlSurface& surface, double angleX, double angleY, bool shown);
