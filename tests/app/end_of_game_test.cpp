// The end of a game, through the play session and the shell: the high-score test, typing the name,
// confirming it (table entry and the score sent) and leaving it with Escape.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/end_of_game.h"
#include "app/high_score_table.h"
#include "app/last_name.h"
#include "game/shared_state.h"
#include "game_test_support.h"
#include "loopback_server.h"
#include "net/connection.h"
#include "net/message.h"
#include "net/score_sender.h"
#include "platform/input.h"

namespace {

void ZeroTable() {
    memset(HighScoreTable, 0, sizeof HighScoreTable);
}

void TableFrom(int32_t top) {
    for (int i = 0; i < kHighScoreCount; ++i) {
        HighScoreTable[i] = HighScoreEntry{"OLD", top - 100 * i, 1};
    }
}

std::vector<std::string> Fields(const std::vector<uint8_t>& wire) {
    std::vector<std::string> fields;
    if (wire.size() < kChecksumSize) {
        return fields;
    }
    std::unique_ptr<char[]> text = UnscrambleMessage(wire.data(), wire.size() - kChecksumSize);
    if (text == nullptr) {
        return fields;
    }
    fields.emplace_back();
    for (const char* c = text.get(); *c != '\0'; ++c) {
        if (*c == '\t') {
            fields.emplace_back();
        } else {
            fields.back() += *c;
        }
    }
    return fields;
}

void Type(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        PushText(static_cast<uint32_t>(static_cast<unsigned char>(*c)));
    }
}

// A session at its last life, in play, whose next end test finds no move.
class EndOfGame : public GameSession {
  protected:
    void SetUp() override {
        GameSession::SetUp();
        FillWithoutMoves(*game);
        Put(*game, 0, 14, 1);
        Put(*game, 0, 13, 1);
        ASSERT_TRUE(FinishFadeIn());
        FillWithoutMoves(*game);
        game->lives = 0;
        strcpy(game->playerName, "LEFTOVER");
        // A sender of this test alone, its outbox in memory; it sends only where a test says it may.
        StartScoreSending(ScoreSenderConfig{CurrentScoreSettings(), false, "", ""});
    }

    // The shell's part of the frame: a confirmed name goes into the table and out to the server.
    void AfterFrame() override {
        if (game->TakeNameConfirmed()) {
            RecordConfirmedName(game->playerName, game->score);
        }
    }

    void TearDown() override {
        FinishScoreSending(0);
        scoreServerPort = kDefaultScoreServerPort;
        scoreConnectTimeoutMs = kDefaultScoreConnectTimeoutMs;
        scoreServerChoice = ScoreServerChoice{};
        GameSession::TearDown();
    }

    void EndWithScore(int32_t score) {
        // The table a new game would have been given.
        game->tableFloor = quz::core::TableFloor(HighScoreTable);
        game->score = game->shownScore = score;
        Frame();
        ASSERT_TRUE(game->LevelOver());
    }

    // Return confirms only once the box has been up for half a second.
    void ShowTheBoxLongEnough() {
        for (int i = 0; i < 5; ++i) {
            Frame(100);
        }
    }

    // A test that owns a port lets the game send there; every other test runs with sending off.
    static void SendTo(uint16_t port) {
        scoreServerChoice.off = false;
        scoreServerPort = port;
    }
};

TEST_F(EndOfGame, ScoreEqualToTheLowestShowsTheGameOverMessage) {
    TableFrom(1400);  // lowest 600
    EndWithScore(600);
    EXPECT_EQ(game->levelPhase, LevelPhase::GameOver);
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_STREQ(game->playerName, "");
    EXPECT_EQ(game->messageDelay, quz::core::kMessageTicks);
    // Nothing more is played: the session ends after the message and the fade-out.
    EXPECT_EQ(RunToEnd(100), 51 + 17);
    EXPECT_EQ(game->level, 1);
    EXPECT_EQ(HighScoreTable[8].score, 600);
}

TEST_F(EndOfGame, ScoreZeroNeverQualifies) {
    ZeroTable();
    EndWithScore(0);
    EXPECT_EQ(game->levelPhase, LevelPhase::GameOver);
}

TEST_F(EndOfGame, OnePointMoreStartsNameEntryAtOnce) {
    TableFrom(1400);
    EndWithScore(601);
    EXPECT_EQ(game->levelPhase, LevelPhase::NameEntry);
    EXPECT_FALSE(game->QuitRequested());
    EXPECT_EQ(game->messageDelay, 0);
    EXPECT_STREQ(game->playerName, "");
    // The message does not time out while the name is typed.
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(Frame(100));
    }
    EXPECT_EQ(game->levelPhase, LevelPhase::NameEntry);
    EXPECT_TRUE(game->InputLive());
}

TEST_F(EndOfGame, TypingKeepsTwentySevenFontCharacters) {
    ZeroTable();
    EndWithScore(10);
    PushKey(InputKey::Backspace);  // on an empty name: nothing
    Type("ab");
    PushKey(InputKey::Backspace);
    Type(" Z.9!*-");
    Frame();
    EXPECT_STREQ(game->playerName, "a Z.9!*-");

    // Codes without a glyph, or of no Latin letter (whose low byte alone would often be one), are refused.
    const uint32_t refused[] = {'#',  '@',  '_',  27,    9,     0,     127,   0xA9,
                                0xD7, 0xF7, 0xFE, 0x14B, 0x3B1, 0x441, 0x561, 0x2603};
    for (uint32_t code : refused) {
        PushText(code);
    }
    Frame();
    EXPECT_STREQ(game->playerName, "a Z.9!*-");

    Type("0123456789ABCDEFGHIJKLM");  // 8 + 23 = 31 offered
    Frame();
    EXPECT_EQ(strlen(game->playerName), 27u);
    EXPECT_STREQ(game->playerName, "a Z.9!*-0123456789ABCDEFGHI");
    Type(" ");
    PushKey(InputKey::Backspace);
    Type("x");
    Frame();
    EXPECT_STREQ(game->playerName, "a Z.9!*-0123456789ABCDEFGHx");

    // Mouse presses and the close event are ignored during name entry.
    PushButton(CellCentre(0), CellCentre(14));
    PushQuit();
    Frame();
    EXPECT_FALSE(game->QuitRequested());
    EXPECT_EQ(game->cells[CellIndex(0, 14)], 1 + 14 % 3) << "nothing removed";
}

// What a keyboard layout sends for an accented letter: its Unicode code, one key event per character.
void TypeUnicode(const std::u16string& text) {
    for (char16_t c : text) {
        PushText(static_cast<uint32_t>(c));
    }
}

TEST_F(EndOfGame, AccentedLettersAreFoldedToTheirBaseLetters) {
    ZeroTable();
    EndWithScore(10);
    const struct {
        std::u16string typed;
        const char* kept;
    } cases[] = {
        {u"éèêë ÉÈÊË", "eeee EEEE"}, {u"àâ ÀÂ", "aa AA"}, {u"çÇ", "cC"},           {u"ôÔ", "oO"},
        {u"ùûü ÙÛÜ", "uuu UUU"},     {u"îïÎÏ", "iiII"},   {u"œŒ æÆ", "oeOE aeAE"}, {u"Straße", "Strasse"},
        {u"ŁódźŠťĳ", "LodzStij"},    {u"ñØåİı", "nOaIi"},
    };
    for (const auto& c : cases) {
        game->playerName[0] = '\0';
        TypeUnicode(c.typed);
        Frame();
        EXPECT_STREQ(game->playerName, c.kept);
    }

    game->playerName[0] = '\0';
    TypeUnicode(u"Joueuse été");
    ShowTheBoxLongEnough();
    PushKey(InputKey::Return);
    Frame();
    EXPECT_STREQ(HighScoreTable[0].name, "Joueuse ete");
}

TEST_F(EndOfGame, ATwoLetterFoldNeedsTwoPlaces) {
    ZeroTable();
    EndWithScore(10);
    Type("ABCDEFGHIJKLMNOPQRSTUVWXYZ");  // 26 of 27: one place left
    TypeUnicode(u"ßæœé");
    Frame();
    EXPECT_STREQ(game->playerName, "ABCDEFGHIJKLMNOPQRSTUVWXYZe") << "no fold goes in half";
    PushKey(InputKey::Backspace);
    PushKey(InputKey::Backspace);
    TypeUnicode(u"ß");
    Frame();
    EXPECT_STREQ(game->playerName, "ABCDEFGHIJKLMNOPQRSTUVWXYss");
}

TEST_F(EndOfGame, EscapeLeavesWithoutAnEntry) {
    TableFrom(1400);
    HighScoreEntry before[kHighScoreCount];
    memcpy(before, HighScoreTable, sizeof before);
    EndWithScore(5000);
    Type("NOBODY");
    Frame();
    InjectKey(InputKey::Escape, true);
    testing::internal::CaptureStderr();
    Frame(100);
    InjectKey(InputKey::Escape, false);
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_GT(RunToEnd(100), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "nothing was sent";
    EXPECT_EQ(memcmp(before, HighScoreTable, sizeof before), 0);
}

TEST_F(EndOfGame, ReturnInsertsTheEntryAndSendsTheScore) {
    LoopbackServer server;
    ASSERT_TRUE(server.Listening());
    SendTo(server.Port());
    TableFrom(1400);
    EndWithScore(1250);
    ShowTheBoxLongEnough();
    Type("Ann");
    PushKey(InputKey::Return);
    PushKey(InputKey::Return);  // a second Return in the same frame finds the fade running
    Type("X");
    Shared.frameClock.totalMs += 100;
    Shared.frameClock.deltaMs = 100;
    CollectInput(100);
    // Not 0: the frame clock's first reading in a process is 0 itself.
    Shared.frameClock.lastTick = -1;
    ASSERT_TRUE(game->PlayFrame());
    AfterFrame();
    EXPECT_NE(Shared.frameClock.lastTick, -1) << "the save's time is not counted in the next frame";
    EXPECT_EQ(game->FadeLevel(), 255) << "this frame's fade did not move";
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutToMenu);
    EXPECT_STREQ(game->playerName, "Ann");

    EXPECT_STREQ(HighScoreTable[1].name, "OLD");
    EXPECT_EQ(HighScoreTable[1].score, 1300);
    EXPECT_STREQ(HighScoreTable[2].name, "Ann");
    EXPECT_EQ(HighScoreTable[2].score, 1250);
    EXPECT_EQ(HighScoreTable[2].marked, 0);
    EXPECT_EQ(HighScoreTable[3].score, 1200);
    EXPECT_EQ(HighScoreTable[3].marked, 1);

    testing::internal::CaptureStderr();
    const std::vector<std::string> fields = Fields(server.Received());
    ASSERT_TRUE(GameScoreSender().WaitUntilIdle(5000));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(GameScoreSender().Outbox().empty());
    ASSERT_EQ(fields.size(), 8u);
    EXPECT_EQ(fields[1], "SVEK");
    EXPECT_EQ(fields[2], "vektcp");
    EXPECT_EQ(fields[4], "Ann");
    EXPECT_EQ(fields[5], "quz");
    EXPECT_EQ(fields[6], "NORMAL");
    EXPECT_EQ(fields[7], "1250");

    PushKey(InputKey::Return);
    EXPECT_EQ(RunToEnd(100), 18);
    EXPECT_STRNE(HighScoreTable[3].name, "Ann") << "inserted once";
    EXPECT_EQ(HighScoreTable[8].score, 700);
}

TEST_F(EndOfGame, UnsentScoreIsReportedAndTheGameEndsNormally) {
    uint16_t closedPort = 0;
    {
        LoopbackServer probe;  // a port that was free a moment ago, with nobody listening now
        closedPort = probe.Port();
    }
    ZeroTable();
    EndWithScore(77);
    ASSERT_NE(closedPort, 0);
    SendTo(closedPort);
    ShowTheBoxLongEnough();
    Type("Bo");
    PushKey(InputKey::Return);
    testing::internal::CaptureStderr();
    Frame();
    EXPECT_GT(RunToEnd(100), 0);
    ASSERT_TRUE(GameScoreSender().WaitUntilIdle(5000));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Score not sent...\n");
    EXPECT_STREQ(HighScoreTable[0].name, "Bo") << "the entry stays";
    ASSERT_EQ(GameScoreSender().Outbox().size(), 1u) << "the score waits for the next chance";
    EXPECT_STREQ(GameScoreSender().Outbox()[0].name, "Bo");
    EXPECT_EQ(GameScoreSender().Outbox()[0].score, 77);
}

TEST_F(EndOfGame, ConfirmingReturnsToTheFrameLoopWhileTheSendIsInFlight) {
    SilentListener listener(true);
    if (!LoopbackConnectHangs(listener.Port(), 200)) {
        GTEST_SKIP() << "this system completes connects to a full accept queue";
    }
    SendTo(listener.Port());
    scoreConnectTimeoutMs = 500;
    ZeroTable();
    EndWithScore(640);
    ShowTheBoxLongEnough();
    Type("Cy");
    PushKey(InputKey::Return);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutToMenu);
    EXPECT_TRUE(GameScoreSender().Busy()) << "the frame is over and the score is still on its way";
    // The whole fade-out runs and the session ends with the send still hanging in its connect.
    EXPECT_GT(RunToEnd(100), 0);
    EXPECT_TRUE(GameScoreSender().Busy());
    ASSERT_TRUE(GameScoreSender().WaitUntilIdle(5000));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Score not sent...\n");
    ASSERT_EQ(GameScoreSender().Outbox().size(), 1u);
    EXPECT_STREQ(GameScoreSender().Outbox()[0].name, "Cy");
}

TEST_F(EndOfGame, WithServerOffNothingIsSent) {
    LoopbackServer server;
    ASSERT_TRUE(server.Listening());
    scoreServerPort = server.Port();
    StartScoreSending(ScoreSenderConfig{CurrentScoreSettings(), true, "", ""});
    ZeroTable();
    EndWithScore(50);
    ShowTheBoxLongEnough();
    Type("Di");
    PushKey(InputKey::Return);
    testing::internal::CaptureStderr();
    Frame();
    EXPECT_STREQ(HighScoreTable[0].name, "Di");
    EXPECT_FALSE(GameScoreSender().Busy());
    EXPECT_EQ(GameScoreSender().SendsStarted(), 0);
    EXPECT_TRUE(GameScoreSender().Outbox().empty());
    EXPECT_GT(RunToEnd(100), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(EndOfGame, ReturnOnAnEmptyNameInsertsAnEmptyName) {
    ZeroTable();
    EndWithScore(3);
    ShowTheBoxLongEnough();
    PushKey(InputKey::Return);
    Frame();
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_STREQ(HighScoreTable[0].name, "");
    EXPECT_EQ(HighScoreTable[0].score, 3);
}

// The guard of the test run's score port stands on this when the port is taken by something else.
TEST(TestSupport, EveryTestStartsWithSendingOffAndThenQueuesNothing) {
    EXPECT_TRUE(scoreServerChoice.off);
    const int started = GameScoreSender().SendsStarted();
    QueueScore("Nobody", "NORMAL", 10, false);
    EXPECT_FALSE(GameScoreSender().Busy());
    EXPECT_EQ(GameScoreSender().SendsStarted(), started);
    EXPECT_TRUE(GameScoreSender().Outbox().empty());
}

// Return on the last group, then Return again as the box opens, must not confirm a name never seen.
TEST_F(EndOfGame, ReturnWithinHalfASecondOfTheBoxDoesNothingAndTypingWorksAtOnce) {
    ZeroTable();
    EndWithScore(40);
    PushKey(InputKey::Return);
    Type("E");
    Frame(100);
    EXPECT_EQ(game->levelPhase, LevelPhase::NameEntry);
    EXPECT_STREQ(game->playerName, "E") << "typing works at once";
    for (int i = 0; i < 3; ++i) {
        PushKey(InputKey::Return);
        Frame(100);
    }
    EXPECT_FALSE(game->QuitRequested()) << "400 ms after the box opened";
    EXPECT_STREQ(HighScoreTable[0].name, "");
    Frame(100);
    PushKey(InputKey::Return);
    Frame(100);
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_STREQ(HighScoreTable[0].name, "E");
    EXPECT_EQ(HighScoreTable[0].score, 40);
}

// The entry opens with the name last confirmed, typed in as the player would type it: the replay the
// server re-plays holds those characters, Backspace edits them, and typing goes on after them at once.
TEST_F(EndOfGame, TheEntryOpensWithTheLastNameAndBackspaceEditsIt) {
    strcpy(game->prefillName, "Ann");
    TableFrom(1400);
    EndWithScore(1250);
    Frame();
    EXPECT_STREQ(game->playerName, "Ann");
    PushKey(InputKey::Backspace);
    Frame();
    Type("e");
    Frame();
    EXPECT_STREQ(game->playerName, "Ane");
    std::string typed;
    for (const quz::core::Command& command : game->recorded) {
        if (command.kind == quz::core::CommandKind::NameChar) {
            typed += static_cast<char>(command.arg);
        } else if (command.kind == quz::core::CommandKind::Backspace) {
            typed += '<';
        }
    }
    EXPECT_EQ(typed, "Ann<e");
    ShowTheBoxLongEnough();
    PushKey(InputKey::Return);
    Frame();
    EXPECT_STREQ(HighScoreTable[2].name, "Ane");
}

// A game that reaches no name entry is given nothing to type; a replay shown in the window types nothing
// of its own either (its recorded characters come with it).
TEST_F(EndOfGame, NoPrefillWithoutAnEntryOrInAReplay) {
    strcpy(game->prefillName, "Ann");
    TableFrom(1400);
    EndWithScore(600);
    Frame();
    EXPECT_EQ(game->levelPhase, LevelPhase::GameOver);
    EXPECT_STREQ(game->playerName, "");
    for (const quz::core::Command& command : game->recorded) {
        EXPECT_NE(command.kind, quz::core::CommandKind::NameChar);
    }
}

// What the score screen gets back from a confirmed name: the row the game took in the shown table (none
// for a score below it, none for the board of the day) and the sender's ticket (none when nothing goes).
TEST_F(EndOfGame, TheConfirmedGameSaysItsRowAndItsTicket) {
    TableFrom(1400);
    FinishedGame entered = RecordConfirmedName("Ann", 1250);
    EXPECT_TRUE(entered.shown);
    EXPECT_EQ(entered.litRow, 2);
    EXPECT_EQ(entered.ticket, 0U) << "sending is off in this test";
    FinishedGame below = RecordConfirmedName("Bob", 10);
    EXPECT_EQ(below.litRow, -1);
    EXPECT_STREQ(below.name, "Bob");
    EXPECT_EQ(below.score, 10);
    FinishedGame daily = RecordConfirmedName("Cy", 99999, "DAILY-20261207");
    EXPECT_EQ(daily.litRow, -1);
    EXPECT_TRUE(daily.daily);
    EXPECT_EQ(HighScoreTable[0].score, 1400) << "a daily game stays out of the table";

    LoopbackServer server;
    ASSERT_TRUE(server.Listening());
    SendTo(server.Port());
    FinishedGame sent = RecordConfirmedName("Dee", 1300);
    EXPECT_NE(sent.ticket, 0U);
    server.Received();
    ASSERT_TRUE(GameScoreSender().WaitUntilIdle(5000));
    TakeAnswer(&sent, TakeSubmissionResults());
    ASSERT_TRUE(sent.answered);
    EXPECT_EQ(sent.answer.state, SubmissionState::Sent);
    EXPECT_EQ(AnswerLine(sent, NewsLanguage::French), "SCORE ENVOYÉ");
}

// The name confirmed is kept in the player's folder for the next game, whose entry opens with it; the
// board of the day, and a game that goes to the server below the table, do not claim a high score.
TEST_F(EndOfGame, TheNameIsKeptForTheNextGameAndTheEntrySaysWhetherItIsARecord) {
    char folder[] = "/tmp/quz-last-name-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string home = folder;
    const char* saved = getenv("XDG_DATA_HOME");
    const std::string savedHome = saved != nullptr ? saved : "";
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    TableFrom(1400);
    game->tableFloor = INT32_MIN;  // as for a game sent with its replay: the entry opens below the table
    game->score = game->shownScore = 20;
    Frame();
    ASSERT_EQ(game->levelPhase, LevelPhase::NameEntry);
    Type("Zoe");
    ShowTheBoxLongEnough();
    PushKey(InputKey::Return);
    Frame();
    SendConfirmedGame(*game);

    Game next;
    PrepareNameEntry(&next, false);
    EXPECT_STREQ(next.prefillName, "Zoe");
    EXPECT_EQ(next.recordFloor, 600);
    PrepareNameEntry(&next, true);
    EXPECT_EQ(next.recordFloor, INT32_MAX);
    char name[quz::core::kNameBufferSize];
    ReadLastNameFrom((home + "/quz/" + kLastNameFileName).c_str(), name);
    EXPECT_STREQ(name, "Zoe");
    if (saved != nullptr) {
        setenv("XDG_DATA_HOME", savedHome.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    std::filesystem::remove_all(home);
}

}  // namespace
