// Translucent triangle filling straight into a Surface's pixels, and stars made of ten triangles
// (see triangle.h).
#include "gfx/triangle.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// The area the filler may touch: the 640 by 480 screen, cut further to the Surface when it is smaller,
// so a caller can never make it write outside the pixels.
constexpr int kClipWidth = 640;
constexpr int kClipHeight = 480;

// Edges are 16.16 fixed point. They are held in 64 bits so that vertices far off the screen (allowed)
// cannot overflow the shift or the slope; on the screen the values are those of 32-bit arithmetic.
using Fixed = int64_t;

Fixed Slope(int fromX, int fromY, int toX, int toY) {
    if (fromY == toY) {
        return 0;
    }
    return (static_cast<Fixed>(toX - static_cast<Fixed>(fromX)) * 65536) / (static_cast<Fixed>(toY) - fromY);
}

struct Span {
    Uint8* row;
    int left;
    int right;  // excluded
};

// Scans the rows y1 up to y3 - 1 of a triangle already sorted by y and hands every visible span to
// fill. Rows above the screen are skipped by advancing the edges in one multiplication.
template <typename Fill>
void ScanTriangle(SDL_Surface* surface, int x1, int y1, int x2, int y2, int x3, int y3, bool oddRowsOnly,
                  Fill fill) {
    const int maxX = std::min(kClipWidth, surface->w);
    const int maxY = std::min(kClipHeight, surface->h);
    const Fixed s12 = Slope(x1, y1, x2, y2);
    const Fixed s13 = Slope(x1, y1, x3, y3);
    const Fixed s23 = Slope(x2, y2, x3, y3);
    auto* pixels = static_cast<Uint8*>(surface->pixels);
    const int pitch = surface->pitch;

    auto part = [&](int top, int bottom, Fixed edgeA, Fixed slopeA, Fixed edgeB, Fixed slopeB) {
        int y = std::max(top, 0);
        const int end = std::min(bottom, maxY);
        if (y >= end) {
            return;
        }
        edgeA += slopeA * (static_cast<Fixed>(y) - top);
        edgeB += slopeB * (static_cast<Fixed>(y) - top);
        if (oddRowsOnly && (y & 1) == 0) {
            ++y;
            edgeA += slopeA;
            edgeB += slopeB;
        }
        const int step = oddRowsOnly ? 2 : 1;
        const Fixed stepA = slopeA * step;
        const Fixed stepB = slopeB * step;
        for (; y < end; y += step, edgeA += stepA, edgeB += stepB) {
            Fixed left = edgeA >> 16;
            Fixed right = edgeB >> 16;
            if (left > right) {
                std::swap(left, right);
            }
            if (right <= 0 || left >= maxX) {
                continue;
            }
            const int from = static_cast<int>(std::max<Fixed>(left, 0));
            const int to = static_cast<int>(std::min<Fixed>(right, maxX));
            if (from < to) {
                fill(Span{pixels + static_cast<ptrdiff_t>(y) * pitch, from, to});
            }
        }
    };

    const Fixed start1 = static_cast<Fixed>(x1) * 65536;
    part(y1, y2, start1, s12, start1, s13);
    const Fixed edgeBAtY2 = start1 + s13 * (static_cast<Fixed>(y2) - y1);
    part(y2, y3, static_cast<Fixed>(x2) * 65536, s23, edgeBAtY2, s13);
}

// Halves every channel of the old pixel and of the colour and adds them; the mask drops the bit each
// field receives from its neighbour when the whole pixel is shifted. The same holds for a 64-bit word of
// several pixels (each mask also drops the bit a pixel receives from the next one), so the run is done
// a word at a time.
template <typename Pixel, Pixel kMask>
void AverageSpan(const Span& span, Uint32 colour) {
    constexpr int kPerWord = static_cast<int>(sizeof(uint64_t) / sizeof(Pixel));
    constexpr uint64_t kWordMask = kMask * (~uint64_t{0} / static_cast<Pixel>(~Pixel{0}));
    const Pixel half = static_cast<Pixel>((colour >> 1) & kMask);
    const uint64_t wordHalf = half * (~uint64_t{0} / static_cast<Pixel>(~Pixel{0}));
    Uint8* pixel = span.row + span.left * static_cast<int>(sizeof(Pixel));
    int count = span.right - span.left;
    for (; count >= kPerWord; count -= kPerWord, pixel += sizeof(uint64_t)) {
        uint64_t word;
        memcpy(&word, pixel, sizeof word);
        word = ((word >> 1) & kWordMask) + wordHalf;
        memcpy(pixel, &word, sizeof word);
    }
    for (; count > 0; --count, pixel += sizeof(Pixel)) {
        Pixel old;
        memcpy(&old, pixel, sizeof old);
        old = static_cast<Pixel>(((old >> 1) & kMask) + half);
        memcpy(pixel, &old, sizeof old);
    }
}

void AverageSpan24(const Span& span, Uint32 colour) {
    const Uint8 half[3] = {static_cast<Uint8>((colour & 0xFF) >> 1),
                           static_cast<Uint8>(((colour >> 8) & 0xFF) >> 1),
                           static_cast<Uint8>(((colour >> 16) & 0xFF) >> 1)};
    Uint8* byte = span.row + span.left * 3;
    Uint8* const end = span.row + span.right * 3;
    for (; byte != end; byte += 3) {
        byte[0] = static_cast<Uint8>((byte[0] >> 1) + half[0]);
        byte[1] = static_cast<Uint8>((byte[1] >> 1) + half[1]);
        byte[2] = static_cast<Uint8>((byte[2] >> 1) + half[2]);
    }
}

enum class Filler { Opaque8, Average555, Average565, Average24, Average32, None };

Filler FillerFor(const SDL_PixelFormat* format) {
    switch (format->BitsPerPixel) {
        case 8:
            return Filler::Opaque8;
        case 15:
            return Filler::Average555;
        case 16:
            return format->Rshift == 10 ? Filler::Average555 : Filler::Average565;
        case 24:
            return Filler::Average24;
        case 32:
            return Filler::Average32;
        default:
            return Filler::None;
    }
}

// Truncates toward zero like a plain conversion, but keeps values that do not fit an int defined.
int TruncateToInt(double value) {
    if (!(value > INT32_MIN)) {
        return value != value ? 0 : INT32_MIN;
    }
    if (value >= static_cast<double>(INT32_MAX)) {
        return INT32_MAX;
    }
    return static_cast<int>(value);
}

}  // namespace

void DrawTriangle(SDL_Surface* surface, int x1, int y1, int x2, int y2, int x3, int y3, Uint32 colour) {
    if (surface == nullptr || surface->format == nullptr) {
        return;
    }
    const Filler filler = FillerFor(surface->format);
    if (filler == Filler::None) {
        printf("DrawTriangle Error: Invalid BPP\n");
        printf("bpp=%i\n", surface->format->BitsPerPixel);
        return;
    }
    if (y3 < y2) {
        std::swap(x2, x3);
        std::swap(y2, y3);
    }
    if (y2 < y1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (y3 < y2) {
        std::swap(x2, x3);
        std::swap(y2, y3);
    }

    SDL_LockSurface(surface);
    if (surface->pixels != nullptr) {
        switch (filler) {
            case Filler::Opaque8: {
                const int value = static_cast<int>(colour & 0xFF);
                ScanTriangle(surface, x1, y1, x2, y2, x3, y3, true, [value](const Span& span) {
                    memset(span.row + span.left, value, static_cast<size_t>(span.right - span.left));
                });
                break;
            }
            case Filler::Average555:
                ScanTriangle(surface, x1, y1, x2, y2, x3, y3, false,
                             [colour](const Span& span) { AverageSpan<Uint16, 0x3DEF>(span, colour); });
                break;
            case Filler::Average565:
                ScanTriangle(surface, x1, y1, x2, y2, x3, y3, false,
                             [colour](const Span& span) { AverageSpan<Uint16, 0x7BEF>(span, colour); });
                break;
            case Filler::Average24:
                ScanTriangle(surface, x1, y1, x2, y2, x3, y3, false,
                             [colour](const Span& span) { AverageSpan24(span, colour); });
                break;
            case Filler::Average32:
                ScanTriangle(surface, x1, y1, x2, y2, x3, y3, false,
                             [colour](const Span& span) { AverageSpan<Uint32, 0x7F7F7F7FU>(span, colour); });
                break;
            case Filler::None:
                break;
        }
    }
    SDL_UnlockSurface(surface);
}

void DrawStar(SDL_Surface* surface, int cx, int cy, int radius, int angle, Uint32 colour) {
    constexpr double kPi = 3.1415927;
    const double outer = radius;
    const double inner = radius * 0.5;
    const double turn = angle / 72.0;
    auto vertex = [cx, cy](double distance, double direction, int& x, int& y) {
        x = TruncateToInt(cx + distance * cos(direction));
        y = TruncateToInt(cy + distance * sin(direction));
    };
    for (int i = 0; i < 5; ++i) {
        const double m = turn + i;
        int ax, ay, bx, by, tx, ty;
        vertex(inner, 2 * m * kPi / 5, ax, ay);
        vertex(inner, 2 * (m + 1) * kPi / 5, bx, by);
        vertex(outer, 2 * (m + 0.5) * kPi / 5, tx, ty);
        DrawTriangle(surface, cx, cy, ax, ay, bx, by, colour);
        DrawTriangle(surface, tx, ty, ax, ay, bx, by, colour);
    }
}
