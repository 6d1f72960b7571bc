// The audio layer: MikMod loading through SDL streams, and opening and closing around SDL's own state.
#include "platform/audio_layer.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <mikmod.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/sound_files.h"

namespace {

class AudioLayer : public ::testing::Test {
  protected:
    void TearDown() override {
        SDLMikMod_Quit();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
};

SDL_RWops* StreamOver(std::vector<uint8_t>& bytes) {
    return SDL_RWFromMem(bytes.data(), static_cast<int>(bytes.size()));
}

TEST_F(AudioLayer, ModulesAndSamplesLoadFromStreamsThatStayOpen) {
    ASSERT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0);
    auto song = testfiles::MakeModule();
    // The module sits after other bytes and the stream is positioned on it, as inside a bigger file.
    std::vector<uint8_t> packed(100 + song.size(), 0xAB);
    memcpy(packed.data() + 100, song.data(), song.size());
    SDL_RWops* stream = StreamOver(packed);
    SDL_RWseek(stream, 100, RW_SEEK_SET);
    MODULE* module = SDLMikMod_LoadModuleRW(stream);
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    EXPECT_EQ(module->numchn, 4);
    EXPECT_EQ(module->numpos, 1);
    EXPECT_EQ(SDL_RWseek(stream, 0, RW_SEEK_SET), 0) << "the stream is still open";
    SDL_RWclose(stream);

    auto wav = testfiles::MakeWav(0.5, 22050);
    stream = StreamOver(wav);
    SAMPLE* sample = SDLMikMod_LoadSampleRW(stream);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->length, 11025u);
    EXPECT_EQ(sample->speed, 22050u);
    SDL_RWclose(stream);
    {
        AudioLock lock;
        Sample_Free(sample);
        Player_Free(module);
    }
}

TEST_F(AudioLayer, DamagedFilesAreRejected) {
    ASSERT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0);
    auto song = testfiles::MakeModule();
    song.resize(1084 + 200);  // header and part of the pattern only
    SDL_RWops* stream = StreamOver(song);
    EXPECT_EQ(SDLMikMod_LoadModuleRW(stream), nullptr);
    EXPECT_NE(MikMod_errno, 0);
    SDL_RWclose(stream);

    std::vector<uint8_t> noise(3000);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>(i * 131 + 7);
    }
    stream = StreamOver(noise);
    EXPECT_EQ(SDLMikMod_LoadModuleRW(stream), nullptr);
    SDL_RWseek(stream, 0, RW_SEEK_SET);
    EXPECT_EQ(SDLMikMod_LoadSampleRW(stream), nullptr);
    SDL_RWclose(stream);
    EXPECT_EQ(SDLMikMod_LoadModuleRW(nullptr), nullptr);
}

// A WAV cut inside its data, or one whose header claims gigabytes, used to come back as a sample with no
// mixer handle: playing it crashed the mixer and freeing it crashed Sample_Free.
TEST_F(AudioLayer, TruncatedOrLyingWavsAndModulesAreFailedLoads) {
    ASSERT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0);
    auto wav = testfiles::MakeWav(0.3, 22050);
    std::vector<uint8_t> cut(wav.begin(), wav.begin() + 60);
    std::vector<uint8_t> lying = wav;
    const uint32_t huge = 0x7FFFFFF0u;
    for (int i = 0; i < 4; ++i) {
        lying[40 + i] = static_cast<uint8_t>(huge >> (8 * i));  // the data chunk's length
    }
    for (auto* bytes : {&cut, &lying}) {
        MikMod_errno = 0;
        SDL_RWops* stream = StreamOver(*bytes);
        SAMPLE* sample = SDLMikMod_LoadSampleRW(stream);
        SDL_RWclose(stream);
        EXPECT_EQ(sample, nullptr);
        EXPECT_NE(MikMod_errno, 0);
    }

    // A module whose only instrument is cut short in the same way.
    auto song = testfiles::MakeModule(0.5);
    song.resize(song.size() - 3000);
    SDL_RWops* stream = StreamOver(song);
    MODULE* module = SDLMikMod_LoadModuleRW(stream);
    SDL_RWclose(stream);
    if (module != nullptr) {
        // MikMod may pad a short instrument with silence; then it must be playable.
        ASSERT_GT(module->numsmp, 0);
        EXPECT_GE(module->samples[0].handle, 0);
        AudioLock lock;
        Player_Free(module);
    }
}

TEST_F(AudioLayer, NoSoundDeviceLeavesTheLayerOffButLoadingWorks) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(SDLMikMod_Init(44100, 4096, 4, 3), 0);
    EXPECT_EQ(SDLMikMod_IsReady(), 0);
    auto song = testfiles::MakeModule();
    SDL_RWops* stream = StreamOver(song);
    MODULE* module = SDLMikMod_LoadModuleRW(stream);
    SDL_RWclose(stream);
    ASSERT_NE(module, nullptr);
    Player_Free(module);
}

TEST_F(AudioLayer, OpensOnceAndClosesAfterOrWithoutSdl) {
    // Start-up may have started SDL without audio; the layer brings audio up itself.
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    ASSERT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0);
    EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0) << "a second open is harmless";
    // Shut-down quits SDL first, then the layer.
    SDL_Quit();
    EXPECT_EQ(SDLMikMod_IsReady(), 0);
    SDLMikMod_Quit();
    SDLMikMod_Quit();
    // And it can be opened again afterwards.
    ASSERT_NE(SDLMikMod_Init(22050, 1024, 2, 1), 0);
    EXPECT_NE(SDLMikMod_IsReady(), 0);
    EXPECT_EQ(md_mixfreq, 22050);
    EXPECT_EQ(md_mode & (DMODE_16BITS | DMODE_STEREO), DMODE_16BITS);
    SDLMikMod_Quit();
    EXPECT_EQ(SDLMikMod_IsReady(), 0);
}

}  // namespace
