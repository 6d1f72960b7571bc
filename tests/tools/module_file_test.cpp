// The music file's own structure, read byte by byte: a module of the 31-instrument kind whose samples
// are all inside the file, whose loops stay inside their samples, which never breaks out of a pattern,
// and whose one jump is the loop at its very end back to the restart position the header names, past
// the intro (so the whole song plays through, and the intro is heard once).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "asset_files_support.h"

namespace {

int Word(const std::vector<uint8_t>& b, size_t at) {
    return (b[at] << 8) | b[at + 1];
}

TEST(MusicFile, IsAWellFormedModuleThatPlaysThrough) {
    std::vector<uint8_t> mod = ReadBytes("data/sound/1.zik");
    ASSERT_GT(mod.size(), 1084u);
    std::string tag(mod.begin() + 1080, mod.begin() + 1084);
    int channels = tag == "M.K." ? 4 : (tag.substr(1) == "CHN" ? tag[0] - '0' : 0);
    ASSERT_GE(channels, 4) << "signature " << tag;

    size_t sampleBytes = 0;
    int instruments = 0;
    for (int i = 0; i < 31; ++i) {
        size_t header = 20 + size_t(i) * 30;
        size_t length = size_t(Word(mod, header + 22)) * 2;
        size_t loopStart = size_t(Word(mod, header + 26)) * 2,
               loopLength = size_t(Word(mod, header + 28)) * 2;
        if (length == 0) {
            continue;
        }
        ++instruments;
        EXPECT_LE(mod[header + 25], 64) << "volume of sample " << i + 1;
        if (loopLength > 2) {
            EXPECT_LE(loopStart + loopLength, length) << "loop of sample " << i + 1;
        }
        sampleBytes += length;
    }
    EXPECT_GE(instruments, 6);

    int positions = mod[950];
    ASSERT_GT(positions, 0);
    int patterns = 0;
    std::set<int> used;
    for (int p = 0; p < 128; ++p) {
        patterns = std::max(patterns, mod[952 + size_t(p)] + 1);
        if (p < positions) {
            used.insert(mod[952 + size_t(p)]);
        }
    }
    size_t patternBytes = size_t(patterns) * 64 * size_t(channels) * 4;
    EXPECT_EQ(mod.size(), 1084 + patternBytes + sampleBytes) << "sample data is cut or padded";

    struct Jump {
        int pattern, row, target;
    };
    std::vector<Jump> jumps;
    std::set<int> instrumentsPlayed;
    for (int p : used) {
        for (int cell = 0; cell < 64 * channels; ++cell) {
            size_t at = 1084 + (size_t(p) * 64 * size_t(channels) + size_t(cell)) * 4;
            int effect = mod[at + 2] & 0x0F;
            EXPECT_NE(effect, 0xD) << "pattern break in pattern " << p;
            if (effect == 0xB) {
                jumps.push_back({p, cell / channels, mod[at + 3]});
            }
            int instrument = (mod[at] & 0xF0) | (mod[at + 2] >> 4);
            if (instrument != 0) {
                instrumentsPlayed.insert(instrument);
            }
        }
    }
    EXPECT_EQ(int(instrumentsPlayed.size()), instruments) << "every instrument is played";

    int restart = mod[951];
    EXPECT_EQ(restart, 1) << "the loop skips the intro";
    ASSERT_EQ(jumps.size(), 1u) << "one jump, the loop";
    EXPECT_EQ(jumps[0].pattern, mod[952 + size_t(positions) - 1]) << "the loop is in the last position";
    EXPECT_EQ(jumps[0].row, 63);
    EXPECT_EQ(jumps[0].target, restart);
    for (int p = 0; p < positions - 1; ++p) {
        EXPECT_NE(mod[952 + size_t(p)], jumps[0].pattern) << "the looping pattern is played only last";
    }
}

}  // namespace
