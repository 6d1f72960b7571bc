// The wipe: a four-armed spiral that opens from the centre, broken into a fine diamond dither at its edge
// so the front shimmers rather than steps. The thresholds are then equalised by rank, so every value from
// 0 to 255 covers the same number of blocks and a fade runs at an even pace from start to end.
#include "wipe_map.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr int kMapW = 320, kMapH = 240;

}  // namespace

std::vector<uint8_t> MakeWipeMap() {
    const float pi = 3.14159265f;
    std::vector<float> key(size_t(kMapW) * kMapH);
    const float maxRadius = std::hypot(160.0f, 120.0f);
    for (int j = 0; j < kMapH; ++j) {
        for (int i = 0; i < kMapW; ++i) {
            float dx = float(i) + 0.5f - 160, dy = float(j) + 0.5f - 120;
            float r = std::hypot(dx, dy) / maxRadius;                         // 0..1
            float a = std::atan2(dy, dx) / (2 * pi) + 0.5f;                   // 0..1
            float arms = std::fmod(a * 4 + r * 3.0f, 1.0f);                   // four arms winding outwards
            float dither = float(((i + j) & 3) * 4 + ((i - j) & 3)) / 16.0f;  // ordered 4x4 pattern
            key[size_t(j) * kMapW + size_t(i)] = r * 1.0f + arms * 0.18f + dither * 0.03f;
        }
    }
    std::vector<int> order(key.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int x, int y) { return key[size_t(x)] < key[size_t(y)]; });
    std::vector<uint8_t> map(key.size());
    for (size_t rank = 0; rank < order.size(); ++rank) {
        map[size_t(order[rank])] = uint8_t(rank * 256 / order.size());
    }
    return map;
}

void WriteWipeMap(AssetOutput& out) {
    out.Write("wipe0.raw", MakeWipeMap());
}
