// The judgement of a game sent with its replay, one forgery at a time: each must be refused with its own
// reason, and a game the rules really played must pass. Every game here is played to its end by the robot
// through the real rules.
#include <gtest/gtest.h>

#include "core/board.h"
#include "core/daily.h"
#include "core/replay_codec.h"
#include "game_bot.h"
#include "net/submission_body.h"
#include "replay/replay_file.h"
#include "server/game_check.h"
#include "support/replay_forge.h"

namespace {

const quz::core::CivilDate kToday{2026, 12, 7};
const int64_t kTodayDays = quz::core::DaysFromCivil(kToday);

class GameCheckTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        normal = new quz::core::Replay(PlayRobotGame(0x1234abcdULL, "NORMAL", "Robot One"));
        daily = new quz::core::Replay(
            PlayRobotGame(quz::core::DailySeed(kToday), quz::core::DailyMode(kToday), "Daily Bot"));
    }
    static void TearDownTestSuite() {
        delete normal;
        delete daily;
    }
    static GameVerdict Check(const std::vector<uint8_t>& body, CheckedGame* game = nullptr) {
        CheckedGame scratch;
        return CheckGame(body, kTodayDays, game != nullptr ? game : &scratch);
    }
    static quz::core::Replay* normal;
    static quz::core::Replay* daily;
};

quz::core::Replay* GameCheckTest::normal = nullptr;
quz::core::Replay* GameCheckTest::daily = nullptr;

TEST_F(GameCheckTest, AGamePlayedByTheRulesIsVerified) {
    ASSERT_TRUE(normal->outcome.over) << "the robot's game ends by the rules";
    ASSERT_GT(normal->outcome.ticks, 60u * 60u) << "a game of more than a minute";
    CheckedGame game;
    ASSERT_EQ(Check(SubmissionOf("Robot One", *normal), &game), GameVerdict::Verified);
    EXPECT_EQ(game.name, "Robot One");
    EXPECT_EQ(game.score, normal->outcome.score);
    EXPECT_EQ(game.level, normal->outcome.level);
    EXPECT_EQ(game.mode, "NORMAL");
    EXPECT_TRUE(game.dailyDate.empty());
    EXPECT_EQ(game.replayFile, ReplayFile(*normal));
    EXPECT_EQ(game.replayKey.size(), 32u);

    ASSERT_EQ(Check(SubmissionOf("Daily Bot", *daily), &game), GameVerdict::Verified);
    EXPECT_EQ(game.dailyDate, "2026-12-07");
    // Yesterday's board still counts (a game begun before midnight); the same key for the same game.
    CheckedGame late;
    EXPECT_EQ(CheckGame(SubmissionOf("Daily Bot", *daily), kTodayDays + 1, &late), GameVerdict::Verified);
    EXPECT_EQ(late.replayKey, game.replayKey);
}

TEST_F(GameCheckTest, ForgedOutcomesAreRefusedEachForItsReason) {
    quz::core::Replay forged = *normal;
    forged.outcome.score += 1;
    EXPECT_EQ(Check(SubmissionOf("Robot One", forged)), GameVerdict::ScoreMismatch);

    forged = *normal;
    forged.outcome.stateHash ^= 1;
    EXPECT_EQ(Check(SubmissionOf("Robot One", forged)), GameVerdict::HashMismatch);

    // One command changed: a removal moved to another tick plays another game.
    forged = *normal;
    bool moved = false;
    for (size_t i = 0; i + 1 < forged.commands.size() && !moved; ++i) {
        if (forged.commands[i].kind == quz::core::CommandKind::Remove &&
            forged.commands[i].tick + 1 < forged.commands[i + 1].tick) {
            forged.commands[i].tick += 1;
            forged.commands[i].arg =
                static_cast<uint16_t>((forged.commands[i].arg + 7) % quz::core::kCellCount);
            moved = true;
        }
    }
    ASSERT_TRUE(moved);
    const GameVerdict changed = Check(SubmissionOf("Robot One", forged));
    EXPECT_TRUE(changed == GameVerdict::ScoreMismatch || changed == GameVerdict::HashMismatch)
        << GameVerdictKey(changed);

    // The name sent must be the one typed in the game.
    EXPECT_EQ(Check(SubmissionOf("Someone Else", *normal)), GameVerdict::NameMismatch);
}

TEST_F(GameCheckTest, DailyGamesMustBeOfTheirDateAndOfTodayOrYesterday) {
    // The day's mode with another seed: someone chose an easier board.
    quz::core::Replay forged = PlayRobotGame(99, quz::core::DailyMode(kToday), "Daily Bot");
    EXPECT_EQ(Check(SubmissionOf("Daily Bot", forged)), GameVerdict::DailySeedMismatch);
    // A board two days old, played with its own seed, and one of tomorrow.
    const quz::core::CivilDate old = quz::core::CivilFromDays(kTodayDays - 2);
    forged = PlayRobotGame(quz::core::DailySeed(old), quz::core::DailyMode(old), "Daily Bot");
    EXPECT_EQ(Check(SubmissionOf("Daily Bot", forged)), GameVerdict::DailyDateOutOfRange);
    const quz::core::CivilDate tomorrow = quz::core::CivilFromDays(kTodayDays + 1);
    forged = PlayRobotGame(quz::core::DailySeed(tomorrow), quz::core::DailyMode(tomorrow), "Daily Bot");
    EXPECT_EQ(Check(SubmissionOf("Daily Bot", forged)), GameVerdict::DailyDateOutOfRange);
}

TEST_F(GameCheckTest, AnUnknownRulesVersionIsKeptUnverifiedWithItsReason) {
    quz::core::Replay other = *normal;
    other.rulesVersion += 1;
    CheckedGame game;
    ASSERT_EQ(Check(SubmissionOf("Robot One", other), &game), GameVerdict::Unverified);
    EXPECT_EQ(game.reason, "unknown rules version");
    EXPECT_EQ(game.score, normal->outcome.score);
    EXPECT_EQ(GameVerdictStatus(GameVerdict::Unverified), 201);
}

TEST_F(GameCheckTest, OversizedClaimsAndGarbageAreRefusedBeforeAnyReplay) {
    // 10 MB of body.
    EXPECT_EQ(Check(std::vector<uint8_t>(10u << 20, 'Q')), GameVerdict::TooLarge);
    // A replay that claims a billion ticks: refused by its header, nothing is played. The encoder will
    // not write such a claim, so it is forged into the bytes and sealed again.
    std::vector<uint8_t> raw;
    ASSERT_TRUE(quz::core::EncodeReplay(*normal, raw));
    size_t oldLength = 1;
    for (uint32_t ticks = normal->outcome.ticks; ticks >= 0x80; ticks >>= 7) {
        ++oldLength;
    }
    std::vector<uint8_t> billion;
    for (uint32_t ticks = 1000000000;; ticks >>= 7) {
        billion.push_back(static_cast<uint8_t>((ticks & 0x7F) | (ticks >= 0x80 ? 0x80 : 0)));
        if (ticks < 0x80) {
            break;
        }
    }
    quz::testing::ReplaceReplayTicks(raw, oldLength, billion);
    std::vector<uint8_t> packed;
    ASSERT_TRUE(quz::replay::PackReplay(raw, packed));
    std::vector<uint8_t> body;
    ASSERT_TRUE(EncodeSubmissionBody(SubmissionBody{"Robot One", 7, packed}, body));
    EXPECT_EQ(Check(body), GameVerdict::TooLarge);

    EXPECT_EQ(Check({}), GameVerdict::BadFormat);
    EXPECT_EQ(Check(std::vector<uint8_t>(300, 0xA5)), GameVerdict::BadFormat);
    std::vector<uint8_t> junkReplay;
    ASSERT_TRUE(
        EncodeSubmissionBody(SubmissionBody{"Robot One", 7, std::vector<uint8_t>(500, 0x5A)}, junkReplay));
    EXPECT_EQ(Check(junkReplay), GameVerdict::BadFormat);
    // A mode that says daily without a date is no mode of ours.
    quz::core::Replay odd = *normal;
    odd.mode = "DAILY-1";
    EXPECT_EQ(Check(SubmissionOf("Robot One", odd)), GameVerdict::BadFormat);
}

}  // namespace
