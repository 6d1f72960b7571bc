// Which sound each event of the session plays. Every sample gets its own playback rate, and every voice
// is stopped and set to a rate of 1 before a frame, so the rate of a voice after the frame tells which
// sample the game started on it (a voice only turns active once the mixer has taken it up).
#include <mikmod.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game_test_support.h"
#include "platform/audio_layer.h"

namespace {

class SessionSounds : public GameSession {
  protected:
    void SetUp() override {
        GameSession::SetUp();
        if (SDLMikMod_Init(44100, 4096, 4, 3) == 0) {
            GTEST_SKIP() << "no audio layer";
        }
        game->LoadResources(false);
        samples = {{"bip", &game->bipSound},         {"double", &game->doubleSound},
                   {"addLine", &game->addLineSound}, {"gameOver", &game->gameOverSound},
                   {"lost", &game->lostSound},       {"perfect", &game->perfectSound},
                   {"points", &game->pointsSound},   {"time", &game->timeSound},
                   {"life", &game->lifeSound}};
        for (size_t i = 0; i < samples.size(); ++i) {
            ASSERT_NE(samples[i].second->sample, nullptr);
            samples[i].second->sample->speed = static_cast<ULONG>(12301 + 17 * i);
        }
        FillWithoutMoves(*game);
        Put(*game, 0, 14, 3);
        Put(*game, 0, 13, 3);
        ASSERT_TRUE(FinishFadeIn());
        ClearBoard(*game);
        Put(*game, 0, 14, 3);
        Put(*game, 0, 13, 3);
        Silence();
    }

    void TearDown() override {
        GameSession::TearDown();
        SDLMikMod_Quit();
    }

    // The samples started since the last Silence, by name.
    std::set<std::string> Sounding() {
        std::set<std::string> names;
        AudioLock lock;
        for (int voice = 0; voice < 64; ++voice) {
            const ULONG rate = Voice_GetFrequency(static_cast<SBYTE>(voice));
            for (size_t i = 0; i < samples.size(); ++i) {
                if (rate == 12301 + 17 * i) {
                    names.insert(samples[i].first);
                }
            }
        }
        return names;
    }

    void Silence() {
        AudioLock lock;
        for (int voice = 0; voice < 64; ++voice) {
            Voice_Stop(static_cast<SBYTE>(voice));
            Voice_SetFrequency(static_cast<SBYTE>(voice), 1);
        }
    }

    std::set<std::string> After(int deltaMs = kOneTick) {
        Silence();
        Frame(deltaMs);
        return Sounding();
    }

    std::vector<std::pair<std::string, VEKSample*>> samples;
};

using Names = std::set<std::string>;

TEST_F(SessionSounds, EachKindOfGroupHasItsSound) {
    Put(*game, 1, 14, 1);
    Put(*game, 1, 13, 1);
    ClickCell(1, 14);
    EXPECT_EQ(After(), Names{"bip"});
    Frame();
    Put(*game, 1, 14, 1);
    Put(*game, 1, 13, kDoubleBonus);
    ClickCell(1, 14);
    EXPECT_EQ(After(), Names{"double"});
    Frame();
    Put(*game, 1, 14, 3);
    Put(*game, 2, 14, kPointsBonus);
    Put(*game, 1, 13, 2);
    Put(*game, 2, 13, 2);
    ClickCell(1, 14);
    EXPECT_EQ(After(), Names{"points"});
    Frame();
    ClickCell(1, 14);  // the colour-2 pair has fallen: no bonus
    EXPECT_EQ(After(), Names{"bip"});
    Frame();
    Put(*game, 1, 14, 2);
    Put(*game, 1, 13, kAddLineBonus);
    ClickCell(1, 14);
    EXPECT_EQ(After(), Names{}) << "the lines bring their own sound";
    EXPECT_EQ(After(), Names{"addLine"});
    ClickCell(5, 5);  // nothing there
    EXPECT_EQ(After(), Names{});
}

TEST_F(SessionSounds, IdlePenaltySoundsOnlyWithPointsToLose) {
    game->score = 150;
    game->timeLeft = -1;
    EXPECT_EQ(After(), Names{"time"});
    game->score = 0;
    game->timeLeft = -1;
    EXPECT_EQ(After(), Names{});
    EXPECT_EQ(game->score, 0);
}

TEST_F(SessionSounds, LevelEndsHaveTheirSounds) {
    ClearBoard(*game);
    EXPECT_EQ(After(), Names{"perfect"});
    game->levelPhase = LevelPhase::Playing;
    FillWithoutMoves(*game);
    EXPECT_EQ(After(), Names{"lost"});
    game->levelPhase = LevelPhase::Playing;
    game->lives = 0;
    game->tableFloor = 0;  // an empty table
    EXPECT_EQ(After(), Names{"gameOver"});
    EXPECT_EQ(game->levelPhase, LevelPhase::NameEntry);
}

}  // namespace
