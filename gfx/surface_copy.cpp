// A clipped rectangle copy with the blit's semantics (source bounds, the target's clip rectangle, the
// colour key) that is much faster than the library's blit between 32-bit software surfaces of one format.
#include "gfx/surface_copy.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstring>

namespace {

// Clips a copy of (sx, sy, w, h) of source to (dx, dy) on target; false when nothing is left.
bool ClipCopy(const SDL_Surface* source, const SDL_Surface* target, int& sx, int& sy, int& w, int& h, int& dx,
              int& dy) {
    if (sx < 0) {
        w += sx;
        dx -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        dy -= sy;
        sy = 0;
    }
    w = std::min(w, source->w - sx);
    h = std::min(h, source->h - sy);
    const SDL_Rect& clip = target->clip_rect;
    if (dx < clip.x) {
        w -= clip.x - dx;
        sx += clip.x - dx;
        dx = clip.x;
    }
    if (dy < clip.y) {
        h -= clip.y - dy;
        sy += clip.y - dy;
        dy = clip.y;
    }
    w = std::min(w, clip.x + clip.w - dx);
    h = std::min(h, clip.y + clip.h - dy);
    return w > 0 && h > 0;
}

// True for a plain 32-bit software image in the target's own format, colour-keyed or not.
bool SameFormat32(const SDL_Surface* source, const SDL_Surface* target) {
    const SDL_PixelFormat* from = source->format;
    const SDL_PixelFormat* to = target->format;
    SDL_BlendMode blend = SDL_BLENDMODE_NONE;
    Uint8 alpha = 255;
    Uint8 red = 255;
    Uint8 green = 255;
    Uint8 blue = 255;
    SDL_GetSurfaceBlendMode(const_cast<SDL_Surface*>(source), &blend);
    SDL_GetSurfaceAlphaMod(const_cast<SDL_Surface*>(source), &alpha);
    SDL_GetSurfaceColorMod(const_cast<SDL_Surface*>(source), &red, &green, &blue);
    const bool plain = (blend == SDL_BLENDMODE_NONE || alpha == 255) && red == 255 && green == 255 &&
                       blue == 255 && !SDL_HasSurfaceRLE(const_cast<SDL_Surface*>(source));
    return plain && (blend == SDL_BLENDMODE_NONE || from->Amask == 0) && from->BytesPerPixel == 4 &&
           to->BytesPerPixel == 4 && from->Rmask == to->Rmask && from->Gmask == to->Gmask &&
           from->Bmask == to->Bmask;
}

}  // namespace

void SetTranslucent(SDL_Surface* image, Uint8 alpha) {
    if (image != nullptr) {
        SDL_SetSurfaceAlphaMod(image, alpha);
        SDL_SetSurfaceBlendMode(image, SDL_BLENDMODE_BLEND);
    }
}

int CopyRect(SDL_Surface* source, int sx, int sy, int w, int h, SDL_Surface* target, int dx, int dy) {
    if (source == nullptr || target == nullptr) {
        return 0;
    }
    if (!SameFormat32(source, target)) {
        SDL_Rect from = {sx, sy, w, h};
        SDL_Rect to = {dx, dy, 0, 0};
        return SDL_BlitSurface(source, &from, target, &to);
    }
    if (!ClipCopy(source, target, sx, sy, w, h, dx, dy) || SDL_LockSurface(target) != 0) {
        return 0;
    }
    const Uint8* src = static_cast<const Uint8*>(source->pixels) + sy * source->pitch + sx * 4;
    Uint8* dst = static_cast<Uint8*>(target->pixels) + dy * target->pitch + dx * 4;
    Uint32 colourKey = 0;
    if (SDL_GetColorKey(source, &colourKey) != 0) {
        for (int row = 0; row < h; ++row, src += source->pitch, dst += target->pitch) {
            memcpy(dst, src, static_cast<size_t>(w) * 4);
        }
    } else {
        const SDL_PixelFormat* format = source->format;
        const Uint32 mask = format->Rmask | format->Gmask | format->Bmask;
        const Uint32 key = colourKey & mask;
        for (int row = 0; row < h; ++row, src += source->pitch, dst += target->pitch) {
            const Uint32* from = reinterpret_cast<const Uint32*>(src);
            Uint32* to = reinterpret_cast<Uint32*>(dst);
            int i = 0;
#ifdef __SSE2__
            // Four pixels at a time: where the source equals the key, keep what the target has.
            const __m128i maskWide = _mm_set1_epi32(static_cast<int>(mask));
            const __m128i keyWide = _mm_set1_epi32(static_cast<int>(key));
            for (; i + 4 <= w; i += 4) {
                const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
                const __m128i out = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i));
                const __m128i keyed = _mm_cmpeq_epi32(_mm_and_si128(in, maskWide), keyWide);
                const __m128i merged = _mm_or_si128(_mm_and_si128(keyed, out), _mm_andnot_si128(keyed, in));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), merged);
            }
#endif
            for (; i < w; ++i) {
                if ((from[i] & mask) != key) {
                    to[i] = from[i];
                }
            }
        }
    }
    SDL_UnlockSurface(target);
    return 0;
}
