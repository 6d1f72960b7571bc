// The sound effects and the music, checked through the sound library the game uses: it must load them,
// and the music, mixed in software, must be a real piece of at least 45 seconds before it loops.
#include <gtest/gtest.h>
#include <mikmod.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "asset_files_support.h"

namespace {

const char* const kEffects[] = {"bip",     "2x",     "addline", "gameover", "lost",
                                "perfect", "points", "time",    "life"};

class SoundFiles : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        MikMod_RegisterDriver(&drv_nos);
        MikMod_RegisterLoader(&load_mod);
        md_mixfreq = 44100;
        md_mode = DMODE_SOFT_MUSIC | DMODE_SOFT_SNDFX | DMODE_16BITS | DMODE_STEREO;
        ready = MikMod_Init("") == 0;
        if (ready) {
            MikMod_SetNumVoices(-1, 4);
            MikMod_EnableOutput();
        }
    }
    static void TearDownTestSuite() {
        if (ready) {
            MikMod_Exit();
        }
    }
    static bool ready;
};
bool SoundFiles::ready = false;

int16_t SampleAt(const std::vector<uint8_t>& wav, size_t i) {
    return int16_t(uint16_t(wav[44 + 2 * i] | (wav[45 + 2 * i] << 8)));
}

TEST_F(SoundFiles, EffectsAreShortClean16BitSounds) {
    ASSERT_TRUE(ready);
    for (const char* name : kEffects) {
        std::string path = std::string("data/sound/") + name + ".wav";
        std::vector<uint8_t> wav = ReadBytes(path);
        ASSERT_GT(wav.size(), 44u) << path;
        ASSERT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0) << path;
        EXPECT_EQ(wav[20] | (wav[21] << 8), 1) << path << " is not PCM";
        EXPECT_EQ(wav[34] | (wav[35] << 8), 16) << path << " is not 16-bit";
        size_t frames = (wav.size() - 44) / 2;
        int peak = 0;
        for (size_t i = 0; i < frames; ++i) {
            peak = std::max(peak, std::abs(int(SampleAt(wav, i))));
        }
        EXPECT_GT(peak, 32767 * 3 / 10) << path << " is too quiet";
        EXPECT_LT(peak, 32767) << path << " clips";
        // No click: the sound starts and ends at silence.
        EXPECT_EQ(SampleAt(wav, 0), 0) << path;
        EXPECT_EQ(SampleAt(wav, frames - 1), 0) << path;
        EXPECT_LT(std::abs(int(SampleAt(wav, frames - 20))), 300) << path;

        SAMPLE* sample = Sample_Load(path.c_str());
        ASSERT_NE(sample, nullptr) << path << ": " << MikMod_strerror(MikMod_errno);
        double seconds = double(sample->length) / double(sample->speed);
        EXPECT_GT(seconds, 0.05) << path;
        EXPECT_LT(seconds, 2.5) << path;
        EXPECT_TRUE(sample->flags & SF_16BITS) << path;
        Sample_Free(sample);
    }
}

double RmsDb(const std::vector<double>& samples) {
    double energy = 0;
    for (double s : samples) {
        energy += s * s;
    }
    return 10 * std::log10(energy / double(samples.size()) + 1e-12);
}

std::vector<double> Samples(const std::vector<uint8_t>& wav) {
    std::vector<double> out((wav.size() - 44) / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = SampleAt(wav, i) / 32768.0;
    }
    return out;
}

// What is left above about 3 kHz: two passes of a one-pole high-pass.
std::vector<double> Highs(const std::vector<double>& in) {
    std::vector<double> out = in;
    for (int pass = 0; pass < 2; ++pass) {
        const double k = std::exp(-2 * 3.14159265358979 * 3000.0 / 44100.0);
        double low = 0;
        for (double& s : out) {
            low = low * k + s * (1 - k);
            s -= low;
        }
    }
    return out;
}

// The idle tick sounds every second while points drain away, and it is the only warning of it: it is
// as loud as the other effects (its RMS within 6 dB of each one's), short, and no brighter than the bip
// that the player hears all game long.
TEST_F(SoundFiles, TheIdleTickIsAsLoudAsTheOthersButNotHarsh) {
    std::vector<double> tick = Samples(ReadBytes("data/sound/time.wav"));
    ASSERT_FALSE(tick.empty());
    EXPECT_LT(tick.size(), size_t(44100 / 5));
    for (const char* name : kEffects) {
        double other = RmsDb(Samples(ReadBytes(std::string("data/sound/") + name + ".wav")));
        EXPECT_NEAR(RmsDb(tick), other, 6.0) << name;
    }
    std::vector<double> bip = Samples(ReadBytes("data/sound/bip.wav"));
    EXPECT_LT(RmsDb(Highs(tick)) - RmsDb(tick), RmsDb(Highs(bip)) - RmsDb(bip));
}

TEST_F(SoundFiles, MusicIsAtLeastFortyFiveSecondsOfRealMusicBeforeItLoops) {
    ASSERT_TRUE(ready);
    MODULE* module = Player_Load("data/sound/1.zik", 64, 0);
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    EXPECT_GE(module->numchn, 4);
    EXPECT_GE(module->numpos, 6);
    EXPECT_GE(module->numsmp, 6);
    module->wrap = 0;  // stop at the end instead of looping, to measure one pass
    module->loop = 0;
    Player_Start(module);
    std::vector<int16_t> buffer(4410 * 2);  // 0.1 s of stereo
    double seconds = 0;
    std::vector<double> rmsPerSecond;
    double energy = 0;
    int blocks = 0;
    int furthestPosition = 0;
    while (Player_Active() && seconds < 300) {
        VC_WriteBytes(reinterpret_cast<SBYTE*>(buffer.data()), ULONG(buffer.size() * 2));
        for (int16_t s : buffer) {
            energy += double(s) * double(s);
        }
        furthestPosition = std::max(furthestPosition, int(module->sngpos));
        seconds += 0.1;
        if (++blocks == 10) {
            rmsPerSecond.push_back(std::sqrt(energy / double(buffer.size() * 10)));
            energy = 0;
            blocks = 0;
        }
    }
    Player_Stop();
    EXPECT_GE(seconds, 45.0);
    EXPECT_LT(seconds, 300.0) << "the song never ends, so it never loops back to its start";
    EXPECT_GE(furthestPosition, module->numpos - 1) << "every song position is played";
    // Music all the way: no second of the piece is near silence.
    ASSERT_FALSE(rmsPerSecond.empty());
    for (size_t i = 0; i < rmsPerSecond.size(); ++i) {
        EXPECT_GT(rmsPerSecond[i], 300.0) << "second " << i << " is nearly silent";
    }
    Player_Free(module);
}

}  // namespace
