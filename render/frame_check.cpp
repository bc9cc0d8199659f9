#include "render/frame_check.h"

#include <algorithm>
#include <cmath>

#include "render/cube_geometry.h"
#include "render/projection.h"

namespace {

struct Vec3 {
    double x, y, z;
};

constexpr double kPi = 3.14159265358979323846;
// What tells a lit channel from an unlit one: unlit faces still show the
// ambient light, about 76 of 255 in their own channel, and 0 in the others.
constexpr int kDark = 30;
// How far a sample stays from a face's edges, in pixels.
constexpr double kMargin = 3.0;

Vec3 vec(const double (&v)[3]) { return Vec3{v[0], v[1], v[2]}; }

// As glRotated turns about X, then about Y, applied to a vector.
Vec3 turned(const FrameView& view, Vec3 v) {
    const double ay = view.angleY * kPi / 180.0, ax = view.angleX * kPi / 180.0;
    const Vec3 y{std::cos(ay) * v.x + std::sin(ay) * v.z, v.y, -std::sin(ay) * v.x + std::cos(ay) * v.z};
    return Vec3{y.x, std::cos(ax) * y.y - std::sin(ax) * y.z, std::sin(ax) * y.y + std::cos(ax) * y.z};
}

Vec3 inEye(const FrameView& view, Vec3 v) {
    const Vec3 t = turned(view, v);
    return Vec3{t.x, t.y, t.z - kCubeDistance};
}

struct Point {
    double x, y;
};

// Window coordinates of an eye-space point, through the scene's perspective.
Point onScreen(const FrameView& view, Vec3 eye) {
    const double aspect = resolveProjection(view.width, view.height, -1.0, 0, 0).aspect;
    const PerspectiveFrustum f = sceneFrustum(aspect);
    const double xn = f.nearPlane / f.right * eye.x / -eye.z;
    const double yn = f.nearPlane / f.top * eye.y / -eye.z;
    return Point{(xn + 1.0) * view.width / 2.0, (yn + 1.0) * view.height / 2.0};
}

bool facesViewer(const FrameView& view, int face) {
    const Vec3 n = turned(view, vec(kCubeFaces[face].normal));
    const Vec3 c = inEye(view, vec(kCubeFaces[face].normal));  // the face's centre is its normal
    return n.x * c.x + n.y * c.y + n.z * c.z < 0;
}

void outline(const FrameView& view, int face, Point (&quad)[4]) {
    for (int k = 0; k < 4; ++k) quad[k] = onScreen(view, inEye(view, vec(kCubeFaces[face].vertices[k])));
}

// The signed distances from p to each edge share one sign inside a convex quad;
// the smallest one says how far inside it is (negative: outside).
double depthInside(const Point (&quad)[4], Point p) {
    double area = 0;
    for (int k = 0; k < 4; ++k) area += quad[k].x * quad[(k + 1) % 4].y - quad[(k + 1) % 4].x * quad[k].y;
    const double sense = area >= 0 ? 1.0 : -1.0;
    double nearest = 1e300;
    for (int k = 0; k < 4; ++k) {
        const Point a = quad[k], b = quad[(k + 1) % 4];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (length == 0) return -1;
        nearest = std::min(nearest, sense * ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / length);
    }
    return nearest;
}

int brightest(const std::uint8_t (&rgb)[3]) { return std::max({rgb[0], rgb[1], rgb[2]}); }

}  // namespace

int faceAt(const FrameView& view, int x, int y) {
    const Point p{x + 0.5, y + 0.5};
    for (int face = 0; face < kFaceCount; ++face) {
        if (!facesViewer(view, face)) continue;
        Point quad[4];
        outline(view, face, quad);
        if (depthInside(quad, p) >= 0) return face;
    }
    return -1;
}

std::vector<FrameSample> samplePoints(const FrameView& view) {
    std::vector<FrameSample> samples;
    if (view.width <= 0 || view.height <= 0) return samples;
    for (int face = 0; face < kFaceCount; ++face) {
        if (!facesViewer(view, face)) continue;
        Point quad[4];
        outline(view, face, quad);
        Point centre{0, 0};
        for (const Point& corner : quad) {
            centre.x += corner.x / 4;
            centre.y += corner.y / 4;
        }
        FrameSample s;
        // In a view narrower than the cube, a face's centre may lie outside
        // it: the nearest pixel inside the view is looked at instead.
        s.x = std::clamp(static_cast<int>(std::floor(centre.x)), 0, view.width - 1);
        s.y = std::clamp(static_cast<int>(std::floor(centre.y)), 0, view.height - 1);
        // Seen nearly edge-on, a face has no pixel safely inside it.
        if (depthInside(quad, Point{s.x + 0.5, s.y + 0.5}) < kMargin) continue;
        s.face = face;
        samples.push_back(s);
    }
    const int inset = 2;
    const int xs[] = {inset, view.width - 1 - inset};
    const int ys[] = {inset, view.height - 1 - inset};
    for (int x : xs) {
        for (int y : ys) {
            if (x < 0 || y < 0 || x >= view.width || y >= view.height || faceAt(view, x, y) != -1) continue;
            FrameSample s;
            s.x = x;
            s.y = y;
            samples.push_back(s);
        }
    }
    return samples;
}

FrameJudgement judgeFrame(const std::vector<FrameSample>& samples) {
    FrameJudgement judgement;
    bool anyFace = false, anyLit = false, allRight = true;
    for (const FrameSample& s : samples) {
        if (s.face < 0) {
            allRight = allRight && brightest(s.rgb) <= kDark;
            continue;
        }
        anyFace = true;
        anyLit = anyLit || brightest(s.rgb) > kDark;
        const int lit = faceChannel(s.face);
        for (int c = 0; c < 3; ++c) {
            if (c != lit && s.rgb[lit] < s.rgb[c] + kDark) allRight = false;
        }
        allRight = allRight && s.rgb[lit] > kDark;
    }
    if (anyFace && !anyLit) {
        judgement.kind = FrameJudgement::Kind::NothingDrawn;
        judgement.detail = "nothing was drawn: the frame read back black";
    } else if (anyFace && allRight) {
        judgement.kind = FrameJudgement::Kind::Passed;
        judgement.detail = "the cube's red, green and blue faces read back where they should";
    } else {
        judgement.detail = "the faces read back in the wrong colours or places";
    }
    return judgement;
}
