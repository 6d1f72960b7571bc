// An RGBA picture in floating point that every image of the game is painted on before it is written.
// Alpha is coverage: images with a colour key turn low coverage into the key colour when written.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

struct Colour {
    float r = 0, g = 0, b = 0;
};

inline Colour Rgb(float r, float g, float b) {
    return {r, g, b};
}
inline Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Colour Scale(Colour c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}
inline Colour Add(Colour a, Colour b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline float SmoothStep(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Pixel {
    float r = 0, g = 0, b = 0, a = 0;
};

class Canvas {
  public:
    Canvas(int width, int height) : width_(width), height_(height), pixels_(size_t(width) * size_t(height)) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Pixel& At(int x, int y) { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
    const Pixel& At(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }

    // Paints colour over the pixel with the given coverage (0..1); coverage also raises the pixel's alpha.
    void Blend(int x, int y, Colour c, float coverage) {
        if (!Inside(x, y) || coverage <= 0) {
            return;
        }
        coverage = std::min(coverage, 1.0f);
        Pixel& p = At(x, y);
        p.r += (c.r - p.r) * coverage;
        p.g += (c.g - p.g) * coverage;
        p.b += (c.b - p.b) * coverage;
        p.a = p.a + (1 - p.a) * coverage;
    }
    // Adds light without changing coverage (glows, glints).
    void AddLight(int x, int y, Colour c, float amount) {
        if (!Inside(x, y) || amount <= 0) {
            return;
        }
        Pixel& p = At(x, y);
        p.r += c.r * amount;
        p.g += c.g * amount;
        p.b += c.b * amount;
    }

  private:
    int width_, height_;
    std::vector<Pixel> pixels_;
};
