// Files that are not what they claim to be: a FIFO named like any file the game reads (it used to block
// start-up forever), a language code naming a folder that is not a language, and a missing wipe map.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/high_scores.h"
#include "app/language.h"
#include "app/menu.h"
#include "app_support.h"
#include "game/game_resources.h"
#include "game/shared_state.h"
#include "gfx/wipe_map_file.h"
#include "platform/profile.h"
#include "platform/window_icon.h"
#include "res/error_report.h"
#include "res/resource_access.h"

namespace {

int fatalAgain = 1;

void MakeFifo(const char* path) {
    ASSERT_EQ(mkfifo(path, 0600), 0) << path;
}

void WriteText(const char* path, const char* text) {
    FILE* file = fopen(path, "wb");
    ASSERT_NE(file, nullptr) << path;
    fputs(text, file);
    fclose(file);
}

TEST(HostileFilesTest, AFifoInPlaceOfAnyFileIsAFileThatIsNotThere) {
    ASSERT_TRUE(OpenTestScreen());
    ScratchDirectory scratch;
    ASSERT_EQ(mkdir("data", 0700), 0);
    ASSERT_EQ(mkdir("data/sound", 0700), 0);
    for (const char* name : {"scores.vek", "quz.ini", "data/text_fr.txt", "data/wipe0.raw", "data/mouse.png",
                             "data/icon.bmp", "data/sound/bip.wav", "data/pack.zip", "sound.wav"}) {
        MakeFifo(name);
    }
    // Any reader that still opened one of them would block here; the alarm turns that into a failure.
    alarm(30);

    HighScoreTable[0].score = 12345;
    LoadHighScores();
    EXPECT_EQ(HighScoreTable[0].score, 9) << "the default table";

    char out[32];
    ReadProfileString("Game", "Lang", "fr", out, sizeof out, ".\\quz.ini");
    EXPECT_STREQ(out, "fr");

    char texts[4][256];
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadLanguageTexts("fr", texts));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "language file not found\n");

    Uint8 map[kWipeMapSize];
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadWipeMap(kWipeMapFileName, map));
    ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(SetWindowIcon(nullptr, "data/icon.bmp"));
    EXPECT_EQ(OpenResourceStream("data/sound/bip.wav"), nullptr);
    EXPECT_EQ(OpenResourceStream("zip:data/pack.zip,other.wav"), nullptr) << "the archive is a FIFO";
    EXPECT_EQ(OpenResourceStream("zip:data/none.zip,sound.wav"), nullptr) << "the loose file is a FIFO";

    SetErrorsFatal(nullptr);
    unsigned char* buffer = nullptr;
    int32_t size = 0;
    EXPECT_FALSE(ReadWholeFile("scores.vek", &buffer, &size));
    Menu* menu = CreateMenu();
    EXPECT_TRUE(ErrorRaised());
    EXPECT_EQ(menu->pointerImage, nullptr);
    ReleaseMenu(menu);
    SetErrorsFatal(&fatalAgain);
    alarm(0);
}

// Lang=sound (or bonus, theme1: any folder under data/) used to pass the check and leave the menu
// without buttons; a language is one with its pictures. Its text file may be missing: the language is
// kept, and reading its texts says "language file not found".
TEST(HostileFilesTest, ALanguageIsAFolderWithItsPicturesWhateverItsTextFile) {
    ScratchDirectory scratch;
    ASSERT_EQ(mkdir("data", 0700), 0);
    for (const char* folder : {"data/sound", "data/bonus", "data/en", "data/xx", "data/de"}) {
        ASSERT_EQ(mkdir(folder, 0700), 0);
    }
    ScratchDirectory::WriteImage("data/en/play.png", 640, 43);
    ScratchDirectory::WriteImage("data/xx/play.png", 640, 43);
    ScratchDirectory::WriteImage("data/sound/bip.png", 8, 8);
    ASSERT_EQ(mkdir("data/de/play.png", 0700), 0);  // a folder by that name is no picture
    WriteText("data/text_en.txt", "a\nb\nc\nd\n");
    WriteText("data/text_it.txt", "a\nb\nc\nd\n");
    WriteText("data/text_bonus.txt", "a\nb\nc\nd\n");
    for (const char* good : {"en", "xx"}) {
        char code[32];
        strcpy(code, good);
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(KeepAvailableLanguage(code)) << good;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        EXPECT_STREQ(code, good);
    }
    char texts[4][256];
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadLanguageTexts("xx", texts));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "language file not found\n");
    for (const char* bad : {"sound", "bonus", "de", "it"}) {
        char code[32];
        strcpy(code, bad);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(KeepAvailableLanguage(code)) << bad;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  std::string("language '") + bad + "' not available, using fr\n");
        EXPECT_STREQ(code, "fr");
    }
}

// The one rule for a missing or short wipe map: the thresholds it did not give are 0 (fades all at
// once), with one line on standard error; a whole map says nothing.
TEST(HostileFilesTest, AShortOrMissingWipeMapIsZeroFilledWithOneLine) {
    ScratchDirectory scratch;
    ASSERT_EQ(mkdir("data", 0700), 0);
    std::string half(kWipeMapSize / 2, '\x7F');
    WriteText("data/wipe0.raw", half.c_str());
    static Uint8 map[kWipeMapSize];
    memset(map, 0xEE, sizeof map);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadWipeMap(kWipeMapFileName, map));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "wipe map data/wipe0.raw missing or short: fades are instant\n");
    EXPECT_EQ(map[0], 0x7F);
    EXPECT_EQ(map[kWipeMapSize / 2], 0);
    EXPECT_EQ(map[kWipeMapSize - 1], 0);

    std::string whole(kWipeMapSize, '\x01');
    FILE* file = fopen("data/wipe0.raw", "wb");
    ASSERT_NE(file, nullptr);
    fwrite(whole.data(), 1, whole.size(), file);
    fclose(file);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadWipeMap(kWipeMapFileName, map));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(map[kWipeMapSize - 1], 1);
}

}  // namespace
