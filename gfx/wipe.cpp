// The wipe-map transition (see wipe.h).
#include "gfx/wipe.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "gfx/wipe_blocks.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUZ_WIPE_SSE2 1
#endif

namespace {

constexpr int kMapColumns = 320;
constexpr int kMapRows = 240;
constexpr int kChunk = 16;  // map bytes compared at once

// One bit per block of the chunk, set when the block turns black.
unsigned ChunkMaskPlain(const Uint8* map, Uint8 threshold) {
    unsigned bits = 0;
    for (int i = 0; i < kChunk; ++i) {
        bits |= static_cast<unsigned>(map[i] >= threshold) << i;
    }
    return bits;
}

#ifdef QUZ_WIPE_SSE2
unsigned ChunkMaskVector(const Uint8* map, __m128i threshold) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(map));
    // max(byte, t) == byte exactly when byte >= t, unsigned.
    const __m128i atOrAbove = _mm_cmpeq_epi8(_mm_max_epu8(bytes, threshold), bytes);
    return static_cast<unsigned>(_mm_movemask_epi8(atOrAbove));
}
#endif

// Both pixel rows of one block row. Whole chunks of 16 blocks that are all black become two plain runs
// of stores, chunks with nothing to do are skipped, and mixed ones store only their black blocks, so no
// branch depends on a single map byte.
template <int kBytes>
void ClearBlockRow(Uint8* row0, Uint8* row1, const Uint8* map, int blocks, Uint8 threshold, bool useVector) {
    constexpr int kBlockBytes = 2 * kBytes;
    constexpr int kChunkBytes = kChunk * kBlockBytes;
    static constexpr Uint8 kZero[kBlockBytes] = {};
#ifdef QUZ_WIPE_SSE2
    const __m128i vectorThreshold = _mm_set1_epi8(static_cast<char>(threshold));
#endif
    int block = 0;
    for (; block + kChunk <= blocks; block += kChunk) {
        unsigned bits;
#ifdef QUZ_WIPE_SSE2
        bits = useVector ? ChunkMaskVector(map + block, vectorThreshold)
                         : ChunkMaskPlain(map + block, threshold);
#else
        (void)useVector;
        bits = ChunkMaskPlain(map + block, threshold);
#endif
        if (bits == 0) {
            continue;
        }
        Uint8* const chunk0 = row0 + block * kBlockBytes;
        Uint8* const chunk1 = row1 + block * kBlockBytes;
        if (bits == 0xFFFF) {
            memset(chunk0, 0, kChunkBytes);
            memset(chunk1, 0, kChunkBytes);
            continue;
        }
        do {
            const int offset = std::countr_zero(bits) * kBlockBytes;
            memcpy(chunk0 + offset, kZero, kBlockBytes);
            memcpy(chunk1 + offset, kZero, kBlockBytes);
            bits &= bits - 1;
        } while (bits != 0);
    }
    for (; block < blocks; ++block) {
        if (map[block] >= threshold) {
            memcpy(row0 + block * kBlockBytes, kZero, kBlockBytes);
            memcpy(row1 + block * kBlockBytes, kZero, kBlockBytes);
        }
    }
}

template <int kBytes>
void ClearWholeBlocks(const WipeArea& area, const Uint8* wipeMap, Uint8 threshold, bool useVector) {
    const int blockColumns = area.width / 2;
    const int blockRows = area.height / 2;
    for (int j = 0; j < blockRows; ++j) {
        Uint8* const row0 = area.pixels + static_cast<ptrdiff_t>(2 * j) * area.pitch;
        ClearBlockRow<kBytes>(row0, row0 + area.pitch, wipeMap + j * kMapColumns, blockColumns, threshold,
                              useVector);
    }
}

// A Surface narrower or shorter than the screen by an odd count leaves half blocks on its edge; their
// pixels follow the same rule one by one.
void ClearHalfBlocks(const WipeArea& area, const Uint8* wipeMap, Uint8 threshold) {
    const size_t bytes = static_cast<size_t>(area.bytesPerPixel);
    auto clear = [&](int x, int y) {
        if (wipeMap[(y / 2) * kMapColumns + x / 2] >= threshold) {
            memset(area.pixels + static_cast<ptrdiff_t>(y) * area.pitch + x * area.bytesPerPixel, 0, bytes);
        }
    };
    if (area.width % 2 != 0) {
        for (int y = 0; y < area.height; ++y) {
            clear(area.width - 1, y);
        }
    }
    if (area.height % 2 != 0) {
        for (int x = 0; x < area.width - area.width % 2; ++x) {
            clear(x, area.height - 1);
        }
    }
}

}  // namespace

void ClearWipeBlocks(const WipeArea& area, const Uint8* wipeMap, Uint8 threshold, bool useVector) {
    switch (area.bytesPerPixel) {
        case 1:
            ClearWholeBlocks<1>(area, wipeMap, threshold, useVector);
            break;
        case 2:
            ClearWholeBlocks<2>(area, wipeMap, threshold, useVector);
            break;
        case 3:
            ClearWholeBlocks<3>(area, wipeMap, threshold, useVector);
            break;
        case 4:
            ClearWholeBlocks<4>(area, wipeMap, threshold, useVector);
            break;
        default:
            return;
    }
    ClearHalfBlocks(area, wipeMap, threshold);
}

void DrawWipe(SDL_Surface* surface, int level, const Uint8* wipeMap) {
    if (level > 255 || surface == nullptr || surface->format == nullptr || wipeMap == nullptr) {
        return;
    }
    if (level < 0) {
        SDL_FillRect(surface, nullptr, 0);
    }
    const int bytesPerPixel = surface->format->BytesPerPixel;
    if (bytesPerPixel < 1 || bytesPerPixel > 4) {
        printf("DrawWipe Error: Invalid BPP\n");
        return;
    }
    SDL_LockSurface(surface);
    if (surface->pixels != nullptr) {
        // The map covers the 640 by 480 screen; a smaller Surface gets only the part that lies on it.
        const WipeArea area = {static_cast<Uint8*>(surface->pixels), surface->pitch, bytesPerPixel,
                               std::min(surface->w, 2 * kMapColumns), std::min(surface->h, 2 * kMapRows)};
        ClearWipeBlocks(area, wipeMap, static_cast<Uint8>(level & 255), true);
    }
    SDL_UnlockSurface(surface);
}
