// The music and sound classes heard through SDL's disk audio driver: what MikMod mixed is read back from
// the file the driver writes, so these tests check real output, not just the objects' fields.
#include <SDL.h>
#include <gtest/gtest.h>
#include <mikmod.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/vek_module.h"
#include "audio/vek_sample.h"
#include "platform/audio_layer.h"
#include "support/sound_files.h"

namespace {

namespace fs = std::filesystem;

constexpr long kBytesPerSecond = 44100 * 4;  // 16-bit stereo
// Audio mixed before a call may still be on its way to the file: skip this much after a mark.
constexpr long kLatencyBytes = kBytesPerSecond / 20;
constexpr int kSilence = 64;

class DiskAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("quz-audio-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        outputPath_ = (folder_ / "mixed.raw").string();
        modulePath_ = (folder_ / "song.mod").string();
        samplePath_ = (folder_ / "effect.wav").string();
        ASSERT_TRUE(testfiles::WriteFile(modulePath_, testfiles::MakeModule(0.25, 3)));
        ASSERT_TRUE(testfiles::WriteFile(samplePath_, testfiles::MakeWav(0.3)));
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", outputPath_.c_str(), 1);
        ASSERT_NE(SDLMikMod_Init(44100, 1024, 4, 3), 0) << SDL_GetError();
        ASSERT_NE(SDLMikMod_IsReady(), 0);
    }

    void TearDown() override {
        SDLMikMod_Quit();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    long Written() const {
        std::error_code error;
        auto size = fs::file_size(outputPath_, error);
        return error ? 0 : static_cast<long>(size);
    }

    // Waits until `seconds` of audio have been written after mark; false on a stalled driver.
    bool WaitFor(long mark, double seconds) const {
        long wanted = mark + kLatencyBytes + static_cast<long>(seconds * kBytesPerSecond);
        for (int i = 0; i < 500 && Written() < wanted; ++i) {
            SDL_Delay(10);
        }
        return Written() >= wanted;
    }

    // The loudest sample value in the `seconds` of audio that follow mark (after the latency margin).
    int PeakAfter(long mark, double seconds) const {
        auto bytes = testfiles::ReadFile(outputPath_);
        long begin = (mark + kLatencyBytes) & ~3L;
        long end = begin + (static_cast<long>(seconds * kBytesPerSecond) & ~3L);
        int peak = 0;
        for (long i = begin; i + 1 < end && i + 1 < static_cast<long>(bytes.size()); i += 2) {
            int value = static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8));
            peak = std::max(peak, std::abs(value));
        }
        return peak;
    }

    fs::path folder_;
    std::string outputPath_;
    std::string modulePath_;
    std::string samplePath_;
};

TEST_F(DiskAudio, StartedMusicAndPlayedSampleAreMixed) {
    VEKModule music;
    VEKSample effect;
    ASSERT_TRUE(music.Load(modulePath_.c_str()));
    ASSERT_TRUE(effect.Load(samplePath_.c_str()));
    long mark = Written();
    music.Start();
    EXPECT_TRUE(music.playing);
    EXPECT_EQ(music.volume, 60);
    ASSERT_TRUE(WaitFor(mark, 0.6));
    EXPECT_GT(PeakAfter(mark, 0.15), 1000) << "the song's first note";
    EXPECT_LT(PeakAfter(mark + static_cast<long>(0.35 * kBytesPerSecond), 0.2), kSilence) << "after the note";

    mark = Written();
    EXPECT_GE(effect.Play(), 0);
    ASSERT_TRUE(WaitFor(mark, 0.2));
    EXPECT_GT(PeakAfter(mark, 0.15), 1000) << "the sound effect";
}

TEST_F(DiskAudio, VolumeZeroSilencesTheMusic) {
    VEKModule music;
    ASSERT_TRUE(music.Load(modulePath_.c_str()));
    {
        // Start and silence in one go, so not a single buffer is mixed in between.
        AudioLock lock;
        music.Start();
        music.SetVolume(0);
    }
    long mark = Written();
    ASSERT_TRUE(WaitFor(mark, 0.2));
    EXPECT_LT(PeakAfter(0, static_cast<double>(Written()) / kBytesPerSecond - 0.05), kSilence);
    EXPECT_EQ(music.volume, 0);
}

TEST_F(DiskAudio, StopThenStartPlaysFromTheBeginningButMuteDoesNot) {
    VEKModule music;
    ASSERT_TRUE(music.Load(modulePath_.c_str()));
    long mark = Written();
    music.Start();
    ASSERT_TRUE(WaitFor(mark, 0.6));  // the only note is over; the next would come at the wrap (3.84 s)

    music.Mute();
    EXPECT_FALSE(music.playing);
    music.Start();
    mark = Written();
    ASSERT_TRUE(WaitFor(mark, 0.3));
    EXPECT_LT(PeakAfter(mark, 0.25), kSilence) << "Mute keeps the position: still between notes";

    music.Stop();
    EXPECT_FALSE(music.playing);
    EXPECT_EQ(music.GetSongPosition(), 0);
    music.Start();
    EXPECT_EQ(music.volume, 60);
    mark = Written();
    ASSERT_TRUE(WaitFor(mark, 0.3));
    EXPECT_GT(PeakAfter(mark, 0.2), 1000) << "Stop rewinds: the first note sounds again";
}

TEST_F(DiskAudio, GeneratedMusicAndEffectAreAudible) {
    // The game's own files, from the build folder.
    VEKModule music;
    VEKSample effect;
    ASSERT_TRUE(music.Load("data/sound/1.zik"));
    ASSERT_TRUE(effect.Load("data/sound/bip.wav"));
    long mark = Written();
    music.Start();
    ASSERT_TRUE(WaitFor(mark, 1.0));
    EXPECT_GT(PeakAfter(mark, 1.0), 1000);
    music.SetVolume(0);
    mark = Written();
    effect.Play();
    ASSERT_TRUE(WaitFor(mark, 0.1));
    EXPECT_GT(PeakAfter(mark, 0.1), 1000);
}

// The same driver without its real-time pacing, so that minutes of music are mixed in seconds.
class FastDiskAudio : public DiskAudio {
  protected:
    void SetUp() override {
        setenv("SDL_DISKAUDIODELAY", "1", 1);
        DiskAudio::SetUp();
    }
    void TearDown() override {
        DiskAudio::TearDown();
        unsetenv("SDL_DISKAUDIODELAY");
    }

    // RMS of the 16-bit samples between two byte offsets of the mixed file.
    double RmsBetween(const std::vector<uint8_t>& bytes, long begin, long end) const {
        double energy = 0;
        long count = 0;
        for (long i = begin & ~1L; i + 1 < end && i + 1 < static_cast<long>(bytes.size()); i += 2) {
            double value = static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8));
            energy += value * value;
            ++count;
        }
        return count > 0 ? std::sqrt(energy / static_cast<double>(count)) : 0;
    }
};

// The game's music through the game's own player, over two loops: the intro is heard once, then the song
// goes round from verse 1 with its speed and tempo kept, and never falls silent.
TEST_F(FastDiskAudio, GeneratedMusicLoopsBackPastItsIntro) {
    VEKModule music;
    ASSERT_TRUE(music.Load("data/sound/1.zik"));
    const int length = static_cast<int>(music.GetSongLength());
    ASSERT_GT(length, 2);
    long start = Written();
    music.Start();
    std::vector<int> heard;
    std::vector<long> heardAt;
    int loops = 0;
    for (int i = 0; i < 60000 && loops < 2; ++i) {
        int position = 0;
        {
            AudioLock lock;
            position = music.GetSongPosition();
        }
        if (heard.empty() || heard.back() != position) {
            loops += !heard.empty() && position < heard.back() ? 1 : 0;
            heard.push_back(position);
            heardAt.push_back(Written());
        }
        SDL_Delay(1);
    }
    // A position lasts 0.45 s of polling here; on a starved machine one may pass unseen, so the test asks
    // for the song's shape rather than every position: it starts at the intro, plays up to the last
    // position, and every step back lands on verse 1.
    ASSERT_EQ(loops, 2) << "the song did not loop twice";
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front(), 0);
    int furthest = 0;
    for (size_t i = 1; i < heard.size(); ++i) {
        EXPECT_NE(heard[i], 0) << "the intro came again, at step " << i;
        if (heard[i] < heard[i - 1]) {
            EXPECT_EQ(heard[i], 1) << "a loop went back to " << heard[i];
        }
        furthest = std::max(furthest, heard[i]);
    }
    EXPECT_EQ(furthest, length - 1);

    auto bytes = testfiles::ReadFile(outputPath_);
    for (long second = start + kLatencyBytes; second + kBytesPerSecond < heardAt.back();
         second += kBytesPerSecond) {
        EXPECT_GT(RmsBetween(bytes, second, second + kBytesPerSecond), 300.0)
            << "silence " << static_cast<double>(second - start) / kBytesPerSecond << " s in";
    }
    // For the record: the loudness of each position as it was heard.
    for (size_t i = 0; i + 1 < heard.size(); ++i) {
        printf("position %d from %6.2f s: RMS %.0f\n", heard[i],
               static_cast<double>(heardAt[i] - start) / kBytesPerSecond,
               RmsBetween(bytes, heardAt[i], heardAt[i + 1]));
    }
}

}  // namespace
