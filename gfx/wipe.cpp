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
// 0xFF in each byte whose block turns black.
__m128i ChunkBlackBytes(const Uint8* map, __m128i threshold) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(map));
    // max(byte, t) == byte exactly when byte >= t, unsigned.
    return _mm_cmpeq_epi8(_mm_max_epu8(bytes, threshold), bytes);
}

// A mixed chunk without a branch per block: each map byte is widened to cover its block's bytes in a
// pixel row, and those bytes are cleared with one AND-NOT per 16 bytes.
template <int kBytes>
void ClearMixedChunkVector(Uint8* chunk0, Uint8* chunk1, __m128i black) {
    constexpr int kVectors = 2 * kBytes;  // 16 blocks of 2 * kBytes bytes each
    __m128i masks[kVectors];
    masks[0] = _mm_unpacklo_epi8(black, black);
    masks[1] = _mm_unpackhi_epi8(black, black);
    if constexpr (kBytes >= 2) {
#pragma GCC unroll 2
        for (int i = 1; i >= 0; --i) {
            const __m128i mask = masks[i];
            masks[2 * i] = _mm_unpacklo_epi16(mask, mask);
            masks[2 * i + 1] = _mm_unpackhi_epi16(mask, mask);
        }
    }
    if constexpr (kBytes == 4) {
#pragma GCC unroll 4
        for (int i = 3; i >= 0; --i) {
            const __m128i mask = masks[i];
            masks[2 * i] = _mm_unpacklo_epi32(mask, mask);
            masks[2 * i + 1] = _mm_unpackhi_epi32(mask, mask);
        }
    }
    auto* row0 = reinterpret_cast<__m128i*>(chunk0);
    auto* row1 = reinterpret_cast<__m128i*>(chunk1);
#pragma GCC unroll 8
    for (int k = 0; k < kVectors; ++k) {
        _mm_storeu_si128(row0 + k, _mm_andnot_si128(masks[k], _mm_loadu_si128(row0 + k)));
        _mm_storeu_si128(row1 + k, _mm_andnot_si128(masks[k], _mm_loadu_si128(row1 + k)));
    }
}
#endif

// Both pixel rows of one block row. Chunks of 16 blocks that are all black join into runs cleared with
// one memset per pixel row, chunks with nothing to do are skipped, and mixed ones clear only their black
// blocks (with vector masks where SSE2 is there, so no branch depends on a single map byte).
template <int kBytes>
void ClearBlockRow(Uint8* row0, Uint8* row1, const Uint8* map, int blocks, Uint8 threshold, bool useVector) {
    constexpr int kBlockBytes = 2 * kBytes;
    static constexpr Uint8 kZero[kBlockBytes] = {};
#ifdef QUZ_WIPE_SSE2
    const __m128i vectorThreshold = _mm_set1_epi8(static_cast<char>(threshold));
#endif
    int runStart = -1;  // first block of the pending all-black run
    auto flushRun = [&](int end) {
        if (runStart >= 0) {
            const size_t bytes = static_cast<size_t>(end - runStart) * kBlockBytes;
            memset(row0 + runStart * kBlockBytes, 0, bytes);
            memset(row1 + runStart * kBlockBytes, 0, bytes);
            runStart = -1;
        }
    };
    int block = 0;
    for (; block + kChunk <= blocks; block += kChunk) {
        unsigned bits;
#ifdef QUZ_WIPE_SSE2
        __m128i black = _mm_setzero_si128();
        if (useVector) {
            black = ChunkBlackBytes(map + block, vectorThreshold);
            bits = static_cast<unsigned>(_mm_movemask_epi8(black));
        } else {
            bits = ChunkMaskPlain(map + block, threshold);
        }
#else
        (void)useVector;
        bits = ChunkMaskPlain(map + block, threshold);
#endif
        if (bits == 0xFFFF) {
            if (runStart < 0) {
                runStart = block;
            }
            continue;
        }
        flushRun(block);
        if (bits == 0) {
            continue;
        }
        Uint8* const chunk0 = row0 + block * kBlockBytes;
        Uint8* const chunk1 = row1 + block * kBlockBytes;
#ifdef QUZ_WIPE_SSE2
        if constexpr (kBytes != 3) {
            if (useVector) {
                ClearMixedChunkVector<kBytes>(chunk0, chunk1, black);
                continue;
            }
        }
#endif
        while (bits != 0) {
            const int offset = std::countr_zero(bits) * kBlockBytes;
            memcpy(chunk0 + offset, kZero, kBlockBytes);
            memcpy(chunk1 + offset, kZero, kBlockBytes);
            bits &= bits - 1;
        }
    }
    flushRun(block);
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
