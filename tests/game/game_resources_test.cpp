// A game's resource load: every image into its member with its colour key, the wipe map, the music and
// the samples; repeated loads that leak nothing; a missing file reported fatally.
#include "game/game_resources.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/shared_state.h"
#include "platform/audio_layer.h"
#include "platform/presentation.h"
#include "platform/text.h"
#include "support/sound_files.h"

namespace {

namespace fs = std::filesystem;

// The image files in load order and the member each one must land in.
struct ImageFile {
    const char* path;  // with the theme and the language filled in (theme 1, language "xx")
    SDL_Surface* GameResources::*member;
    SDL_Surface* (GameResources::*array)[3];
    int index;
};
using G = GameResources;
const ImageFile kImages[] = {
    {"data/mouse.png", &G::pointerImage, nullptr, 0},
    {"data/theme1/back.png", &G::backImage, nullptr, 0},
    {"data/xx/right.png", &G::panelImage, nullptr, 0},
    {"data/theme1/r.png", nullptr, &G::blockImages, 0},
    {"data/theme1/g.png", nullptr, &G::blockImages, 1},
    {"data/theme1/b.png", nullptr, &G::blockImages, 2},
    {"data/theme1/sr.png", nullptr, &G::blockLitImages, 0},
    {"data/theme1/sg.png", nullptr, &G::blockLitImages, 1},
    {"data/theme1/sb.png", nullptr, &G::blockLitImages, 2},
    {"data/bonus/r.png", nullptr, &G::bonusImages, 0},
    {"data/bonus/g.png", nullptr, &G::bonusImages, 1},
    {"data/bonus/b.png", nullptr, &G::bonusImages, 2},
    {"data/bonus/sr.png", nullptr, &G::bonusLitImages, 0},
    {"data/bonus/sg.png", nullptr, &G::bonusLitImages, 1},
    {"data/bonus/sb.png", nullptr, &G::bonusLitImages, 2},
    {"data/numbers.png", &G::digitsImage, nullptr, 0},
    {"data/smallnums.png", &G::smallDigitsImage, nullptr, 0},
    {"data/font.png", &G::fontImage, nullptr, 0},
    {"data/xx/gameover.png", &G::gameOverImage, nullptr, 0},
    {"data/xx/hiscore.png", &G::hiscoreImage, nullptr, 0},
    {"data/xx/entry.png", &G::entryImage, nullptr, 0},
    {"data/xx/perfect.png", &G::perfectImage, nullptr, 0},
    {"data/xx/loselevel.png", &G::loseLevelImage, nullptr, 0},
    {"data/xx/wonlevel.png", &G::wonLevelImage, nullptr, 0},
    {"data/xx/wongame.png", &G::wonGameImage, nullptr, 0},
    {"data/xx/bonus1000.png", &G::bonus1000Image, nullptr, 0},
    {"data/xx/bonus500.png", &G::bonus500Image, nullptr, 0},
    {"data/xx/bonus2x.png", &G::bonus2xImage, nullptr, 0},
    {"data/xx/bonusAddLine.png", &G::bonusAddLineImage, nullptr, 0},
    {"data/xx/bonuslife.png", &G::bonusLifeImage, nullptr, 0},
    {"data/xx/5000.png", &G::points5000Image, nullptr, 0},
    {"data/xx/pause.png", &G::pauseImage, nullptr, 0},
};
const char* const kSounds[] = {"bip",     "2x",     "addline", "gameover", "lost",
                               "perfect", "points", "time",    "life"};

SDL_Surface* MemberOf(GameResources& resources, const ImageFile& image) {
    return image.member != nullptr ? resources.*image.member : (resources.*image.array)[image.index];
}

// A palette image whose palette entry 0 is red and whose pixels are entry `fill` (IMG_Load reads BMP
// whatever the file is called). Every file gets its own fill colour, so a member shows where it came from.
bool WritePaletteImage(const std::string& path, int fill) {
    SDL_Surface* image = SDL_CreateRGBSurface(0, 8, 4, 8, 0, 0, 0, 0);
    if (image == nullptr) {
        return false;
    }
    SDL_Color colours[256] = {};
    colours[0] = {255, 0, 0, 0};
    for (int i = 1; i < 256; ++i) {
        colours[i] = {static_cast<Uint8>(i), static_cast<Uint8>(255 - i), 77, 0};
    }
    SDL_SetPaletteColors(image->format->palette, colours, 0, 256);
    SDL_FillRect(image, nullptr, static_cast<Uint32>(fill));
    bool ok = SDL_SaveBMP(image, path.c_str()) == 0;
    SDL_FreeSurface(image);
    return ok;
}

Uint32 PixelAt(SDL_Surface* surface, int x, int y) {
    SDL_LockSurface(surface);
    Uint32 value =
        *reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch + x * 4);
    SDL_UnlockSurface(surface);
    return value;
}

class GameResourcesLoad : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        SDL_Init(SDL_INIT_VIDEO);
        Shared.screen = OpenPresentation("test", false);
    }
    static void TearDownTestSuite() {
        ClosePresentation();
        SDL_Quit();
    }

    void SetUp() override {
        ASSERT_NE(Shared.screen, nullptr);
        ASSERT_EQ(Shared.screen->format->BytesPerPixel, 4);
        SDLMikMod_Init(44100, 4096, 4, 3);
        previous_ = fs::current_path();
        folder_ = fs::temp_directory_path() / ("quz-game-res-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        testfiles::RemoveAtExit(folder_);
        for (const char* sub : {"data/theme1", "data/xx", "data/bonus", "data/sound"}) {
            fs::create_directories(folder_ / sub);
        }
        int fill = 1;
        for (const ImageFile& image : kImages) {
            ASSERT_TRUE(WritePaletteImage((folder_ / image.path).string(), fill++ * 7));
        }
        wipe_.resize(kWipeMapSize);
        for (size_t i = 0; i < wipe_.size(); ++i) {
            wipe_[i] = static_cast<uint8_t>(i * 13);
        }
        ASSERT_TRUE(testfiles::WriteFile((folder_ / "data/wipe0.raw").string(), wipe_));
        ASSERT_TRUE(testfiles::WriteFile((folder_ / "data/sound/1.zik").string(), testfiles::MakeModule()));
        for (const char* sound : kSounds) {
            auto path = folder_ / "data/sound" / (std::string(sound) + ".wav");
            ASSERT_TRUE(testfiles::WriteFile(path.string(), testfiles::MakeWav(0.1)));
        }
        fs::current_path(folder_);
        CopyText(savedLanguage_, Shared.languageCode);
        CopyText(Shared.languageCode, "xx");
    }

    void TearDown() override {
        CopyText(Shared.languageCode, savedLanguage_);
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Release everything before SDL and MikMod go away.
    static void Finish(GameResources& resources) {
        resources.FreeImages();
        resources.music.Release();
    }

    static void QuitLibraries() { SDLMikMod_Quit(); }

    fs::path previous_;
    fs::path folder_;
    std::vector<uint8_t> wipe_;
    char savedLanguage_[32] = {};
};

TEST_F(GameResourcesLoad, EveryImageLandsInItsMemberThenWipeMusicAndSamples) {
    {
        auto resources = std::make_unique<GameResources>();
        resources->theme = 7;
        resources->LoadResources(false);
        EXPECT_EQ(resources->theme, 1);
        int fill = 1;
        for (const ImageFile& image : kImages) {
            SDL_Surface* surface = MemberOf(*resources, image);
            ASSERT_NE(surface, nullptr) << image.path;
            EXPECT_EQ(surface->format->BitsPerPixel, Shared.screen->format->BitsPerPixel) << image.path;
            int entry = 7 * fill++;  // distinct entries below 256 for every image
            Uint32 expected = SDL_MapRGB(Shared.screen->format, static_cast<Uint8>(entry),
                                         static_cast<Uint8>(255 - entry), 77);
            EXPECT_EQ(PixelAt(surface, 3, 2), expected) << image.path << " holds another file's picture";
        }
        EXPECT_EQ(memcmp(resources->wipeMap, wipe_.data(), kWipeMapSize), 0);
        ASSERT_NE(resources->music.module, nullptr);
        EXPECT_EQ(resources->music.playing, SDLMikMod_IsReady() != 0);
        for (VEKSample* sample : {&resources->bipSound, &resources->doubleSound, &resources->addLineSound,
                                  &resources->gameOverSound, &resources->lostSound, &resources->perfectSound,
                                  &resources->pointsSound, &resources->timeSound, &resources->lifeSound}) {
            EXPECT_NE(sample->sample, nullptr);
        }
        Finish(*resources);
    }
    QuitLibraries();
}

TEST_F(GameResourcesLoad, ColourKeysFollowEachRowsRule) {
    {
        GameResources resources;
        resources.LoadResources(true);
        Uint32 red = SDL_MapRGB(Shared.screen->format, 255, 0, 0);
        Uint32 black = SDL_MapRGB(Shared.screen->format, 0, 0, 0);
        // No key: the background and the panel draw every pixel, black included.
        EXPECT_FALSE(SDL_HasColorKey(resources.backImage));
        EXPECT_FALSE(SDL_HasColorKey(resources.panelImage));
        // Keyed on the loaded image: palette entry 0 (red here) is the transparent colour.
        for (SDL_Surface* image : {resources.fontImage, resources.blockLitImages[1], resources.bonusImages[2],
                                   resources.points5000Image}) {
            Uint32 key = 0;
            ASSERT_EQ(SDL_GetColorKey(image, &key), 0);
            EXPECT_EQ(key, red);
        }
        // Keyed again after conversion: black is the transparent colour.
        for (SDL_Surface* image :
             {resources.pointerImage, resources.blockImages[0], resources.smallDigitsImage}) {
            Uint32 key = 0;
            ASSERT_EQ(SDL_GetColorKey(image, &key), 0);
            EXPECT_EQ(key, black);
        }
        resources.FreeImages();
    }
    QuitLibraries();
}

TEST_F(GameResourcesLoad, ImagesOnlyLoadReplacesImagesAndLeavesTheRest) {
    {
        GameResources resources;
        resources.LoadResources(false);
        MODULE* module = resources.music.module;
        SAMPLE* bip = resources.bipSound.sample;
        ASSERT_TRUE(testfiles::WriteFile("data/wipe0.raw", std::vector<uint8_t>(kWipeMapSize, 9)));
        ASSERT_TRUE(WritePaletteImage("data/xx/right.png", 200));
        resources.LoadResources(true);
        EXPECT_EQ(resources.music.module, module);
        EXPECT_EQ(resources.bipSound.sample, bip);
        EXPECT_EQ(memcmp(resources.wipeMap, wipe_.data(), kWipeMapSize), 0);
        EXPECT_EQ(PixelAt(resources.panelImage, 0, 0), SDL_MapRGB(Shared.screen->format, 200, 55, 77));
        EXPECT_EQ(resources.theme, 1);
        Finish(resources);
    }
    QuitLibraries();
}

}  // namespace

namespace {

// The same load over the generated game data in the build folder (the tests' working directory).
class GeneratedGameData : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        SDL_Init(SDL_INIT_VIDEO);
        Shared.screen = OpenPresentation("test", false);
    }
    static void TearDownTestSuite() {
        ClosePresentation();
        SDL_Quit();
    }

    void SetUp() override {
        ASSERT_NE(Shared.screen, nullptr);
        ASSERT_TRUE(fs::exists("data/sound/1.zik") && fs::exists("data/theme1/back.png"))
            << "run from the build folder, after the data generator";
        SDLMikMod_Init(44100, 4096, 4, 3);
        CopyText(savedLanguage_, Shared.languageCode);
    }
    void TearDown() override {
        CopyText(Shared.languageCode, savedLanguage_);
        SDLMikMod_Quit();
    }

    // Works in a copy of the generated data/, without the file `missing`, in French; returns the folder
    // the test started from.
    static fs::path InCopyWithout(const std::string& name, const char* missing) {
        fs::path copy = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()));
        testfiles::RemoveAtExit(copy);
        fs::remove_all(copy);
        fs::create_directories(copy);
        fs::copy("data", copy / "data", fs::copy_options::recursive);
        fs::remove(copy / missing);
        fs::path previous = fs::current_path();
        fs::current_path(copy);
        CopyText(Shared.languageCode, "fr");
        return previous;
    }

    static std::vector<SDL_Surface*> Images(GameResources& r) {
        std::vector<SDL_Surface*> images;
        for (const ImageFile& image : kImages) {
            images.push_back(MemberOf(r, image));
        }
        return images;
    }

    char savedLanguage_[32] = {};
};

TEST_F(GeneratedGameData, LoadsCompletelyInBothLanguages) {
    for (const char* language : {"fr", "en"}) {
        CopyText(Shared.languageCode, language);
        auto resources = std::make_unique<GameResources>();
        resources->LoadResources(false);
        for (SDL_Surface* image : Images(*resources)) {
            EXPECT_NE(image, nullptr) << language;
        }
        EXPECT_GE(resources->backImage->w, 480);
        EXPECT_GE(resources->panelImage->w, 160);
        EXPECT_EQ(resources->blockImages[0]->w, 20 * 32);
        EXPECT_NE(resources->music.module, nullptr);
        EXPECT_NE(resources->lifeSound.sample, nullptr);
        resources->FreeImages();
        resources->music.Release();
    }
}

TEST_F(GeneratedGameData, FiftyLevelsOfLoadingDoNotGrowMemory) {
    auto resources = std::make_unique<GameResources>();
    // What the play session does between levels: release the images, stop the music, load again.
    auto nextLevel = [&resources] {
        resources->FreeImages();
        resources->music.Stop();
        resources->LoadResources(false);
    };
    nextLevel();
    nextLevel();
    size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
    for (int level = 0; level < 50; ++level) {
        nextLevel();
    }
    size_t after = mallinfo2().uordblks + mallinfo2().hblkhd;
    EXPECT_LT(after, before + 64 * 1024) << "before " << before << " after " << after;
    // And an images-only load in between frees what it replaces.
    for (int i = 0; i < 20; ++i) {
        resources->LoadResources(true);
    }
    EXPECT_LT(mallinfo2().uordblks + mallinfo2().hblkhd, before + 64 * 1024);
    resources->FreeImages();
    resources->music.Release();
}

TEST_F(GeneratedGameData, AMissingImageEndsWithStatusOneAndAShortWipeMapOnlyMakesFadesInstant) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path previous = InCopyWithout("quz-game-data", "data/fr/5000.png");
    const fs::path copy = fs::current_path();
    EXPECT_EXIT(GameResources().LoadResources(false), ::testing::ExitedWithCode(1),
                " Error: 'Cannot Load data/fr/5000.png'");
    fs::copy_file(previous / "data/fr/5000.png", "data/fr/5000.png");
    // The same rule as the menu's: the missing thresholds are 0, and one line says so.
    fs::resize_file("data/wipe0.raw", kWipeMapSize - 1);
    {
        auto resources = std::make_unique<GameResources>();
        memset(resources->wipeMap, 0xEE, sizeof resources->wipeMap);
        ::testing::internal::CaptureStderr();
        resources->LoadResources(false);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "wipe map data/wipe0.raw missing or short: fades are instant\n");
        EXPECT_EQ(resources->wipeMap[kWipeMapSize - 1], 0);
        EXPECT_NE(resources->bipSound.sample, nullptr) << "the game goes on loading";
        resources->FreeImages();
        resources->music.Release();
    }
    fs::current_path(previous);
    fs::remove_all(copy);
}

// A data folder with only the files the game cannot do without has no pause picture: a game still loads,
// says once what stands in for it, and loads every level after quietly.
TEST_F(GeneratedGameData, AMissingPausePictureIsOneLineAndNoStop) {
    const fs::path previous = InCopyWithout("quz-game-nopause", "data/fr/pause.png");
    const fs::path copy = fs::current_path();
    {
        auto resources = std::make_unique<GameResources>();
        ::testing::internal::CaptureStderr();
        resources->LoadResources(false);
        resources->LoadResources(false);
        resources->LoadResources(true);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "data/fr/pause.png not found: the pause screen is drawn without it\n");
        EXPECT_EQ(resources->pauseImage, nullptr);
        EXPECT_NE(resources->points5000Image, nullptr) << "every picture after it is loaded";
        resources->FreeImages();
        resources->music.Release();
    }
    fs::current_path(previous);
    fs::remove_all(copy);
}

}  // namespace
