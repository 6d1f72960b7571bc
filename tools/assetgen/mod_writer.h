// A tracker module in the classic 31-instrument layout (signature "M.K." for 4 channels, "6CHN" and so
// on above), with 64-row patterns and signed 8-bit sample data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ModInstrument {
    std::string name;
    std::vector<int8_t> data;  // even length
    int loopStart = 0;         // bytes, even
    int loopLength = 0;        // bytes, even; 0 means a one-shot
    int volume = 64;
    int finetune = 0;  // -8..7
};

struct ModCell {
    int note = -1;       // 0 = C-1 .. 35 = B-3; -1 none
    int instrument = 0;  // 1..31, 0 none
    int effect = 0;
    int param = 0;
};

constexpr int kModRows = 64;

struct ModPattern {
    explicit ModPattern(int channelCount)
        : channels(channelCount), cells(size_t(kModRows) * size_t(channelCount)) {}
    ModCell& At(int row, int channel) { return cells[size_t(row) * size_t(channels) + size_t(channel)]; }
    int channels;
    std::vector<ModCell> cells;
};

struct ModSong {
    std::string title;
    int channels = 4;
    std::vector<ModInstrument> instruments;  // at most 31
    std::vector<ModPattern> patterns;
    std::vector<int> order;  // pattern numbers, at most 128
    int restart = 0;         // the order position the song loops back to after its last one
};

int ModPeriod(int note);  // Amiga period of a note 0..35 at finetune 0
std::vector<uint8_t> EncodeMod(const ModSong& song);
