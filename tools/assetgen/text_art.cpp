// Text rendering for the pictures (see text_art.h).
#include "text_art.h"

#include <SDL_ttf.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace {

std::string fontFolder;
std::map<std::pair<FontFace, int>, TTF_Font*> openFonts;

const char* FileOf(FontFace face) {
    switch (face) {
        case FontFace::Bold:
            return "DejaVuSans-Bold.ttf";
        case FontFace::Book:
            return "DejaVuSans.ttf";
        case FontFace::CondensedBold:
            return "DejaVuSansCondensed-Bold.ttf";
        case FontFace::MonoBold:
            return "DejaVuSansMono-Bold.ttf";
    }
    return "DejaVuSans.ttf";
}

TTF_Font* FontAt(FontFace face, int size) {
    auto key = std::make_pair(face, size);
    auto found = openFonts.find(key);
    if (found != openFonts.end()) {
        return found->second;
    }
    std::string path = fontFolder + "/" + FileOf(face);
    TTF_Font* font = TTF_OpenFont(path.c_str(), size);
    if (font == nullptr) {
        fprintf(stderr, "assetgen: cannot open the font %s\n", path.c_str());
        return nullptr;
    }
    TTF_SetFontHinting(font, TTF_HINTING_LIGHT);
    openFonts[key] = font;
    return font;
}

}  // namespace

bool OpenFonts(const std::string& fontDir) {
    fontFolder = fontDir;
    if (TTF_WasInit() == 0 && TTF_Init() < 0) {
        fprintf(stderr, "assetgen: TTF_Init failed\n");
        return false;
    }
    for (FontFace face : {FontFace::Bold, FontFace::Book, FontFace::CondensedBold, FontFace::MonoBold}) {
        if (FontAt(face, 16) == nullptr) {
            return false;
        }
    }
    return true;
}

void CloseFonts() {
    for (auto& entry : openFonts) {
        TTF_CloseFont(entry.second);
    }
    openFonts.clear();
    TTF_Quit();
}

TextMask RenderText(const std::string& text, FontFace face, int size) {
    TextMask mask;
    TTF_Font* font = FontAt(face, size);
    if (font == nullptr || text.empty()) {
        return mask;
    }
    SDL_Color white = {255, 255, 255, 255};  // the coverage comes back as alpha, scaled by this one
    SDL_Surface* surface = TTF_RenderUTF8_Blended(font, text.c_str(), white);
    if (surface == nullptr) {
        return mask;
    }
    mask.width = surface->w;
    mask.height = surface->h;
    mask.alpha.resize(size_t(mask.width) * size_t(mask.height));
    SDL_LockSurface(surface);
    const SDL_PixelFormat* format = surface->format;
    for (int y = 0; y < surface->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(surface->pixels) +
                                                            y * surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            uint32_t a = (row[x] & format->Amask) >> format->Ashift;
            mask.alpha[size_t(y) * size_t(mask.width) + size_t(x)] = float(a) / 255.0f;
        }
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return mask;
}

TextMask Grow(const TextMask& mask, float radius) {
    int r = int(std::ceil(radius));
    struct Tap {
        int dx, dy;
        float weight;
    };
    std::vector<Tap> taps;
    for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
            float dist = std::sqrt(float(dx * dx + dy * dy));
            if (dist <= radius + 0.5f) {
                taps.push_back({dx, dy, Clamp01(radius + 0.5f - dist)});
            }
        }
    }
    TextMask out;
    out.width = mask.width + 2 * r;
    out.height = mask.height + 2 * r;
    out.alpha.assign(size_t(out.width) * size_t(out.height), 0);
    // Spread each inked source pixel to its neighbours (most of a text mask is empty).
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float a = mask.alpha[size_t(y) * size_t(mask.width) + size_t(x)];
            if (a <= 0) {
                continue;
            }
            for (const Tap& t : taps) {
                float& dst = out.alpha[size_t(y + r + t.dy) * size_t(out.width) + size_t(x + r + t.dx)];
                dst = std::max(dst, a * t.weight);
            }
        }
    }
    return out;
}

TextMask Blur(const TextMask& mask, int radius) {
    TextMask out;
    out.width = mask.width + 2 * radius;
    out.height = mask.height + 2 * radius;
    out.alpha.assign(size_t(out.width) * size_t(out.height), 0);
    std::vector<float> rows(out.alpha.size(), 0);
    const float scale = 1.0f / float(2 * radius + 1);
    // Horizontal then vertical box sums, each over 2 * radius + 1 pixels.
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            float sum = 0;
            for (int d = -radius; d <= radius; ++d) {
                sum += mask.At(x - radius + d, y - radius);
            }
            rows[size_t(y) * size_t(out.width) + size_t(x)] = sum * scale;
        }
    }
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            float sum = 0;
            for (int d = -radius; d <= radius; ++d) {
                int yy = y + d;
                if (yy >= 0 && yy < out.height) {
                    sum += rows[size_t(yy) * size_t(out.width) + size_t(x)];
                }
            }
            out.alpha[size_t(y) * size_t(out.width) + size_t(x)] = sum * scale;
        }
    }
    return out;
}

namespace {

void PaintMask(Canvas& canvas, const TextMask& mask, float x, float y, const PaintFn& paint, float opacity) {
    int ox = int(std::lround(x)), oy = int(std::lround(y));
    for (int j = 0; j < mask.height; ++j) {
        for (int i = 0; i < mask.width; ++i) {
            float a = mask.alpha[size_t(j) * size_t(mask.width) + size_t(i)];
            if (a > 0) {
                canvas.Blend(ox + i, oy + j, paint(float(ox + i) + 0.5f, float(oy + j) + 0.5f), a * opacity);
            }
        }
    }
}

}  // namespace

Point DrawWords(Canvas& canvas, const std::string& text, float x, float y, const TextStyle& style) {
    return DrawMask(canvas, RenderText(text, style.face, style.size), x, y, style);
}

TextMask SqueezeWidth(const TextMask& mask, int width) {
    TextMask out;
    out.width = width;
    out.height = mask.height;
    out.alpha.assign(size_t(width) * size_t(mask.height), 0);
    const float scale = float(mask.width) / float(width);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Average the source pixels this output pixel spans.
            float from = float(x) * scale, to = float(x + 1) * scale, sum = 0;
            for (int i = int(from); i < mask.width && float(i) < to; ++i) {
                float overlap = std::min(to, float(i + 1)) - std::max(from, float(i));
                sum += mask.At(i, y) * overlap;
            }
            out.alpha[size_t(y) * size_t(width) + size_t(x)] = sum / scale;
        }
    }
    return out;
}

Point DrawMask(Canvas& canvas, const TextMask& mask, float x, float y, const TextStyle& style) {
    if (mask.width == 0) {
        return {0, 0};
    }
    if (style.glowRadius > 0) {
        // A halo: the mask grown by half the radius, then blurred over the other half.
        float half = style.glowRadius / 2;
        TextMask glow = Blur(Grow(mask, half), int(std::ceil(half)));
        float g = std::ceil(half) + std::ceil(half);
        for (float& a : glow.alpha) {
            a *= 0.6f;
        }
        PaintMask(canvas, glow, x - g, y - g, Solid(style.glow), 1);
    }
    if (style.outlineWidth > 0) {
        TextMask outline = Grow(mask, style.outlineWidth);
        float g = std::ceil(style.outlineWidth);
        if (style.shadowOffset != 0) {
            PaintMask(canvas, outline, x - g + float(style.shadowOffset), y - g + float(style.shadowOffset),
                      Solid(style.shadow), 0.85f);
        }
        PaintMask(canvas, outline, x - g, y - g, Solid(style.outline), 1);
    } else if (style.shadowOffset != 0) {
        PaintMask(canvas, mask, x + float(style.shadowOffset), y + float(style.shadowOffset),
                  Solid(style.shadow), 0.85f);
    }
    PaintMask(canvas, mask, x, y, style.fill, 1);
    return {float(mask.width), float(mask.height)};
}

void DrawWordsCentred(Canvas& canvas, const std::string& text, float cx, float cy, const TextStyle& style) {
    TTF_Font* font = FontAt(style.face, style.size);
    int w = 0, h = 0;
    if (font == nullptr || TTF_SizeUTF8(font, text.c_str(), &w, &h) != 0) {
        return;
    }
    DrawWords(canvas, text, std::round(cx - float(w) / 2), std::round(cy - float(h) / 2), style);
}

int FitSize(const std::string& text, FontFace face, int size, int maxWidth) {
    for (; size > 6; --size) {
        TTF_Font* font = FontAt(face, size);
        int w = 0, h = 0;
        if (font != nullptr && TTF_SizeUTF8(font, text.c_str(), &w, &h) == 0 && w <= maxWidth) {
            break;
        }
    }
    return size;
}
