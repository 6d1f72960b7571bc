// The music and sound classes' own rules: volume limits, start-once, silence without a device, and the
// fatal reports of failed loads.
#include <SDL.h>
#include <gtest/gtest.h>
#include <mikmod.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/vek_module.h"
#include "audio/vek_sample.h"
#include "platform/audio_layer.h"
#include "support/sound_files.h"

namespace {

namespace fs = std::filesystem;

class VekClasses : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("quz-vek-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        testfiles::RemoveAtExit(folder_);
        modulePath_ = (folder_ / "song.mod").string();
        samplePath_ = (folder_ / "effect.wav").string();
        garbagePath_ = (folder_ / "garbage.bin").string();
        ASSERT_TRUE(testfiles::WriteFile(modulePath_, testfiles::MakeModule()));
        ASSERT_TRUE(testfiles::WriteFile(samplePath_, testfiles::MakeWav(0.5, 22050)));
        ASSERT_TRUE(testfiles::WriteFile(garbagePath_, std::vector<uint8_t>(2000, 0x31)));
    }
    void TearDown() override {
        SDLMikMod_Quit();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    fs::path folder_;
    std::string modulePath_;
    std::string samplePath_;
    std::string garbagePath_;
};

TEST_F(VekClasses, VolumeIsClampedAndStartActsOnce) {
    ASSERT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0);
    VEKModule music;
    ASSERT_TRUE(music.Load(modulePath_.c_str()));
    EXPECT_EQ(music.module->wrap, 1);
    EXPECT_EQ(music.module->initvolume, 0);
    music.Start();
    music.SetVolume(-5);
    EXPECT_EQ(music.volume, 0);
    EXPECT_EQ(music.module->volume, 0);
    music.SetVolume(200);
    EXPECT_EQ(music.volume, 128);
    music.SetVolume(64);
    EXPECT_EQ(music.module->volume, 64);
    music.Start();  // already playing: no restart, no volume reset
    EXPECT_EQ(music.volume, 64);
    music.Stop();
    music.SetVolume(50);
    music.Stop();  // not playing: neither volume nor position changes
    EXPECT_EQ(music.volume, 50);
    EXPECT_EQ(music.module->volume, 50);
    music.Release();
    EXPECT_EQ(music.module, nullptr);
    EXPECT_FALSE(music.playing);
}

TEST_F(VekClasses, SamplesAreCentredAndReplacedOnReload) {
    ASSERT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0);
    VEKSample never;
    EXPECT_EQ(never.Play(), -1);
    VEKSample effect;
    ASSERT_TRUE(effect.Load(samplePath_.c_str()));
    EXPECT_EQ(effect.sample->panning, 128);
    EXPECT_DOUBLE_EQ(static_cast<double>(effect.GetDuration()), 0.5);
    ASSERT_TRUE(effect.Load(samplePath_.c_str()));  // the first sample is freed (the leak check sees it)
    EXPECT_EQ(effect.sample->panning, 128);
    EXPECT_GE(effect.Play(), 0);
}

TEST_F(VekClasses, WithoutAudioEverythingIsSilentButLoads) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ASSERT_EQ(SDLMikMod_Init(44100, 4096, 4, 3), 0);
    VEKModule music;
    VEKSample effect;
    ASSERT_TRUE(music.Load(modulePath_.c_str()));
    ASSERT_TRUE(effect.Load(samplePath_.c_str()));
    music.Start();
    EXPECT_FALSE(music.playing);
    music.SetVolume(100);
    EXPECT_EQ(music.volume, 0);
    EXPECT_EQ(effect.Play(), -1);
}

TEST_F(VekClasses, FailedLoadsEndTheProgramWithTheirReport) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(VEKModule().Load("missing/1.zik"), ::testing::ExitedWithCode(1),
                " Error: 'Couldn't Load Module: missing/1.zik\n'");
    EXPECT_EXIT(VEKModule().Load(garbagePath_.c_str()), ::testing::ExitedWithCode(1),
                "Cannot Load Module: '.*garbage.bin' \n mikmod said: '.+'");
    EXPECT_EXIT(VEKSample().Load("zip:none.zip,bip.wav"), ::testing::ExitedWithCode(1),
                "Couldn't Load Sample: zip:none.zip,bip.wav\n");
    EXPECT_EXIT(VEKSample().Load(garbagePath_.c_str()), ::testing::ExitedWithCode(1),
                "Couldn't Load Sample: .*garbage.bin\n");
}

}  // namespace
