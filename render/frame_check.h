#pragma once
// Whether a frame of the cube reads back as it should: from the two angles and
// the viewport, where each visible face must show its colour and where the
// background must stay black; and the judgement of what was read. Rules only,
// no OpenGL: the glue draws and reads the pixels.
#include <cstdint>
#include <string>
#include <vector>

struct FrameView {
    double angleX = 45.0;
    double angleY = 45.0;
    int width = 0;   // the viewport, in pixels
    int height = 0;
};

// The faces in the order they are drawn: +X, -X (red), +Y, -Y (green), +Z, -Z (blue).
constexpr int kFaceCount = 6;
// The colour channel a face is lit in: 0 red, 1 green, 2 blue.
inline int faceChannel(int face) { return face / 2; }

// The face that covers the centre of pixel (x, y), rows counted from the
// bottom as OpenGL reads them; -1 for the background.
int faceAt(const FrameView& view, int x, int y);

struct FrameSample {
    int x = 0;
    int y = 0;
    int face = -1;                      // what must be there: a face, or -1 for black
    std::uint8_t rgb[3] = {0, 0, 0};    // what was read
};

// Where to look: inside each visible face, away from its edges, and the
// background near the corners.
std::vector<FrameSample> samplePoints(const FrameView& view);

struct FrameJudgement {
    enum class Kind { Passed, NothingDrawn, Wrong } kind = Kind::Wrong;
    std::string detail;  // the words for it
};

// Each face sample must be lit in its face's channel, clearly above the other
// two; each background sample black. All face samples black: nothing was drawn.
FrameJudgement judgeFrame(const std::vector<FrameSample>& samples);

// What the rendering test read, for the report: the samples with what each
// held, or why nothing could be read.
struct FrameReading {
    enum class State { NotRun, Read, ReadFailed } state = State::NotRun;
    std::string notRunBecause;  // why it did not run
    unsigned glError = 0;       // the error reading pixels raised
    std::vector<FrameSample> samples;
    // The whole frame as it was read, for a picture of it: RGB, the top row
    // first; empty where it was not read or is larger than kMostFramePixels.
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};
constexpr long kMostFramePixels = 2048L * 2048L;
