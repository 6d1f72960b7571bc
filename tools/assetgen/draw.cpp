// Anti-aliased shape filling and small helpers (see draw.h).
#include "draw.h"

#include <algorithm>
#include <cmath>

namespace {

float Length(float x, float y) {
    return std::sqrt(x * x + y * y);
}

}  // namespace

float SdCircle(float x, float y, float cx, float cy, float radius) {
    return Length(x - cx, y - cy) - radius;
}

float SdRoundBox(float x, float y, float cx, float cy, float halfW, float halfH, float radius) {
    float qx = std::fabs(x - cx) - halfW + radius;
    float qy = std::fabs(y - cy) - halfH + radius;
    float outside = Length(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdSegment(float x, float y, Point a, Point b, float radius) {
    float px = x - a.x, py = y - a.y, bx = b.x - a.x, by = b.y - a.y;
    float len2 = bx * bx + by * by;
    float h = len2 > 0 ? Clamp01((px * bx + py * by) / len2) : 0;
    return Length(px - bx * h, py - by * h) - radius;
}

float SdPolygon(float x, float y, const std::vector<Point>& v) {
    float d = (x - v[0].x) * (x - v[0].x) + (y - v[0].y) * (y - v[0].y);
    float s = 1;
    for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
        float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
        float wx = x - v[i].x, wy = y - v[i].y;
        float h = Clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
        float bx = wx - ex * h, by = wy - ey * h;
        d = std::min(d, bx * bx + by * by);
        bool c1 = y >= v[i].y, c2 = y<v[j].y, c3 = ex * wy> ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) {
            s = -s;
        }
    }
    return s * std::sqrt(d);
}

namespace {

void ClipBox(const Canvas& canvas, int& x0, int& y0, int& x1, int& y1) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, canvas.Width());
    y1 = std::min(y1, canvas.Height());
}

}  // namespace

void FillShape(Canvas& canvas, int x0, int y0, int x1, int y1, const DistanceFn& shape, const PaintFn& paint,
               float opacity) {
    ClipBox(canvas, x0, y0, x1, y1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            float coverage = Clamp01(0.5f - shape(fx, fy));
            if (coverage > 0) {
                canvas.Blend(x, y, paint(fx, fy), coverage * opacity);
            }
        }
    }
}

void AddGlow(Canvas& canvas, int x0, int y0, int x1, int y1, const DistanceFn& shape, Colour colour,
             float radius, float strength) {
    ClipBox(canvas, x0, y0, x1, y1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            float d = shape(float(x) + 0.5f, float(y) + 0.5f);
            float t = d <= 0 ? 1 : std::max(0.0f, 1 - d / radius);
            canvas.Blend(x, y, colour, t * t * strength);
        }
    }
}

void StrokeShape(Canvas& canvas, int x0, int y0, int x1, int y1, const DistanceFn& shape, Colour colour,
                 float width, float opacity) {
    FillShape(
        canvas, x0, y0, x1, y1, [&](float x, float y) { return std::fabs(shape(x, y)) - width / 2; },
        Solid(colour), opacity);
}

void FillRect(Canvas& canvas, int x, int y, int w, int h, Colour colour) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            canvas.Blend(i, j, colour, 1);
        }
    }
}

PaintFn Solid(Colour c) {
    return [c](float, float) { return c; };
}

PaintFn VerticalGradient(float y0, Colour top, float y1, Colour bottom) {
    return [=](float, float y) { return Mix(top, bottom, Clamp01((y - y0) / (y1 - y0))); };
}

namespace {

float Lattice(int x, int y, unsigned seed) {
    unsigned h = unsigned(x) * 374761393u + unsigned(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFF) / 65535.0f;
}

}  // namespace

float ValueNoise(float x, float y, unsigned seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - float(ix), fy = y - float(iy);
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
    float c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

void Composite(Canvas& target, const Canvas& source, int x, int y) {
    for (int j = 0; j < source.Height(); ++j) {
        for (int i = 0; i < source.Width(); ++i) {
            const Pixel& p = source.At(i, j);
            target.Blend(x + i, y + j, {p.r, p.g, p.b}, p.a);
        }
    }
}

void FillStar(Canvas& canvas, float cx, float cy, float outer, float inner, float angle, const PaintFn& paint,
              float opacity) {
    std::vector<Point> points;
    for (int i = 0; i < 10; ++i) {
        float r = (i % 2 == 0) ? outer : inner;
        float a = angle + float(i) * 3.14159265f / 5 - 3.14159265f / 2;
        points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    int x0 = int(cx - outer - 2), y0 = int(cy - outer - 2);
    int x1 = int(cx + outer + 3), y1 = int(cy + outer + 3);
    FillShape(
        canvas, x0, y0, x1, y1, [&](float x, float y) { return SdPolygon(x, y, points); }, paint, opacity);
}
