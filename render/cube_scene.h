#pragma once

// Clears and draws one frame of the lit cube into the current back buffer; the
// caller swaps. Expects the state that applyProjection leaves.
void drawScene(double angleX, double angleY);
