// Drawing primitives over a Canvas: shapes given as signed distance functions (negative inside) are
// filled with one-pixel anti-aliasing, painted by a function of the position.
#pragma once

#include <functional>
#include <vector>

#include "canvas.h"

using DistanceFn = std::function<float(float x, float y)>;
using PaintFn = std::function<Colour(float x, float y)>;

struct Point {
    float x, y;
};

float SdCircle(float x, float y, float cx, float cy, float radius);
float SdRoundBox(float x, float y, float cx, float cy, float halfW, float halfH, float radius);
float SdSegment(float x, float y, Point a, Point b, float radius);
// Convex or concave polygon, points in order.
float SdPolygon(float x, float y, const std::vector<Point>& points);

// Fills the shape within the box (x0, y0)..(x1, y1) of the canvas.
void FillShape(Canvas& canvas, int x0, int y0, int x1, int y1, const DistanceFn& shape, const PaintFn& paint,
               float opacity = 1.0f);
inline void FillShape(Canvas& canvas, const DistanceFn& shape, const PaintFn& paint, float opacity = 1.0f) {
    FillShape(canvas, 0, 0, canvas.Width(), canvas.Height(), shape, paint, opacity);
}
// A soft light that fades out over `radius` pixels outside the shape (and is full inside it).
void AddGlow(Canvas& canvas, int x0, int y0, int x1, int y1, const DistanceFn& shape, Colour colour,
             float radius, float strength);
// A line of the shape's edge, `width` pixels wide, centred on it.
void StrokeShape(Canvas& canvas, int x0, int y0, int x1, int y1, const DistanceFn& shape, Colour colour,
                 float width, float opacity = 1.0f);

void FillRect(Canvas& canvas, int x, int y, int w, int h, Colour colour);
PaintFn Solid(Colour c);
PaintFn VerticalGradient(float y0, Colour top, float y1, Colour bottom);

// Deterministic pseudo-random numbers and smooth value noise, so that textures are the same every build.
class Random {
  public:
    explicit Random(unsigned seed) : state_(seed * 2654435761u + 1u) {}
    unsigned Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    float Uniform() { return float(Next() & 0xFFFFFF) / float(0x1000000); }  // 0 <= u < 1
    float Signed() { return Uniform() * 2 - 1; }

  private:
    unsigned state_;
};
float ValueNoise(float x, float y, unsigned seed);  // 0..1, smooth, period-free

// Copies `source` onto `target` at (x, y), blending by the source's alpha.
void Composite(Canvas& target, const Canvas& source, int x, int y);

// Draws a five-pointed star (used for sparkles in several pictures).
void FillStar(Canvas& canvas, float cx, float cy, float outer, float inner, float angle, const PaintFn& paint,
              float opacity = 1.0f);
