// Replays a recorded game: a seeded board and a script of clicks and keys, run frame by frame at a fixed
// frame time. The trace of what happened (score, level, lives, level ends, name entry) must match the
// recorded one exactly; any drift in the rules shows up here. Set QUZ_WRITE_REPLAY=1 to record anew.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/high_score_table.h"
#include "game/shared_state.h"
#include "game_test_support.h"

namespace {

// A recorded key is the character it typed; 13 is Return.
void TypeKey(int character) {
    if (character == 13) {
        PushKey(InputKey::Return);
    } else {
        PushText(static_cast<uint32_t>(character));
    }
}

struct ScriptLine {
    int frame;
    std::string kind;
    int a;
    int b;
};

// The script and the golden trace sit beside this file in the source tree. __FILE__ cannot find them: a
// compiler cache may rewrite it relative to the object's folder.
std::filesystem::path Here() {
    return std::filesystem::path(QUZ_TEST_SOURCE_DIR) / "game";
}

std::vector<ScriptLine> ReadScript(const std::filesystem::path& path) {
    std::vector<ScriptLine> lines;
    std::ifstream in(path);
    ScriptLine line{};
    while (in >> line.frame >> line.kind) {
        line.b = 0;
        if (line.kind == "click") {
            in >> line.a >> line.b;
        } else {
            in >> line.a;
        }
        lines.push_back(line);
    }
    return lines;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Plays the script on a board dealt from the rules seed 2026 and returns the trace. The decoration seed
// only changes the blocks' animation phases.
std::string ReplayTrace(Game* game, uint32_t decorationSeed, const std::vector<ScriptLine>& script) {
    memset(HighScoreTable, 0, sizeof HighScoreTable);
    game->rulesRandom.Seed(2026);
    game->decorationRandom.Seed(decorationSeed);
    game->FillBoard();

    std::string trace;
    char line[160];
    auto state = [&]() {
        // Written as the five level flags of the first recording, so that the reference stays readable.
        const LevelPhase phase = game->levelPhase;
        return std::to_string(game->level) + "/" + std::to_string(game->lives) + "/" +
               std::to_string(phase != LevelPhase::Playing) + std::to_string(phase == LevelPhase::Won) +
               std::to_string(phase == LevelPhase::Lost) + std::to_string(phase == LevelPhase::GameOver) +
               std::to_string(phase == LevelPhase::NameEntry);
    };
    std::string lastState = state();
    size_t next = 0;
    int frame = 1;
    for (; frame < 20000; ++frame) {
        const int32_t scoreBefore = game->score;
        bool clicked = false;
        while (next < script.size() && script[next].frame == frame) {
            const ScriptLine& s = script[next++];
            if (s.kind == "click") {
                PushButton(s.a, s.b);
                clicked = true;
            } else {
                TypeKey(s.a);
            }
        }
        Shared.frameClock.deltaMs = 20;
        Shared.frameClock.totalMs += 20;
        CollectInput(20);
        const bool goOn = game->PlayFrame();
        if (clicked) {
            snprintf(line, sizeof line, "%d click score %d points %d lines %d\n", frame, game->score,
                     game->levelPoints, static_cast<int>(game->linesPending));
            trace += line;
        } else if (game->score < scoreBefore) {
            snprintf(line, sizeof line, "%d penalty score %d\n", frame, game->score);
            trace += line;
        }
        if (state() != lastState) {
            lastState = state();
            snprintf(line, sizeof line, "%d state %s score %d points %d\n", frame, lastState.c_str(),
                     game->score, game->levelPoints);
            trace += line;
        }
        if (!goOn) {
            break;
        }
    }
    snprintf(line, sizeof line, "%d end score %d name '%s' rank1 '%s' %d\n", frame, game->score,
             game->playerName, HighScoreTable[0].name, HighScoreTable[0].score);
    trace += line;
    return trace;
}

TEST_F(GameSession, RecordedGameReplaysExactly) {
    const std::vector<ScriptLine> script = ReadScript(Here() / "replay_script.txt");
    ASSERT_FALSE(script.empty());
    const std::string trace = ReplayTrace(game, 1, script);
    const std::filesystem::path golden = Here() / "replay_golden.txt";
    const char* write = getenv("QUZ_WRITE_REPLAY");
    if (write != nullptr && strcmp(write, "1") == 0) {
        std::ofstream(golden) << trace;
    }
    EXPECT_EQ(trace, ReadAll(golden));
}

// The decoration has its own stream: other animation phases, the very same game.
TEST_F(GameSession, AnotherDecorationSeedGivesTheSameRulesTrace) {
    const std::vector<ScriptLine> script = ReadScript(Here() / "replay_script.txt");
    ASSERT_FALSE(script.empty());
    game->rulesRandom.Seed(2026);
    game->decorationRandom.Seed(1);
    game->FillBoard();
    std::vector<int32_t> firstPhases(std::begin(game->phases), std::end(game->phases));
    game->decorationRandom.Seed(777);
    game->FillBoard();
    ASSERT_NE(firstPhases, std::vector<int32_t>(std::begin(game->phases), std::end(game->phases)))
        << "the seeds must give other phases, or this test proves nothing";
    EXPECT_EQ(ReplayTrace(game, 777, script), ReadAll(Here() / "replay_golden.txt"));
}

// Not a check: with QUZ_WRITE_REPLAY_SCRIPT=1 this plays a game on the replay's board, clicking the
// largest group every 25 frames, types a name at the game over, and writes the script. Record the script
// anew only when the dealing itself changed; then record the trace too (QUZ_WRITE_REPLAY=1).
TEST_F(GameSession, WriteReplayScript) {
    const char* write = getenv("QUZ_WRITE_REPLAY_SCRIPT");
    if (write == nullptr || strcmp(write, "1") != 0) {
        GTEST_SKIP() << "set QUZ_WRITE_REPLAY_SCRIPT=1 to record the script";
    }
    memset(HighScoreTable, 0, sizeof HighScoreTable);
    game->rulesRandom.Seed(2026);
    game->decorationRandom.Seed(1);
    game->FillBoard();
    std::ofstream script(Here() / "replay_script.txt");
    const char* name = "Replay 7\r";
    int nameFrame = 0;
    for (int frame = 1; frame < 20000; ++frame) {
        const bool live = game->InputLive() && game->messageDelay <= 0;
        if (frame % 25 == 0 && live && game->levelPhase == LevelPhase::Playing) {
            int best = 0;
            int bestX = 0;
            int bestY = 0;
            for (int i = 0; i < kCellCount; ++i) {
                Board copy = *game;
                const int x = (i / kBoardSize) * kCellPixels + 5;
                const int y = (i % kBoardSize) * kCellPixels + 9;
                const int n = copy.MarkGroupAt(x, y);
                if (n > best) {
                    best = n;
                    bestX = x;
                    bestY = y;
                }
            }
            if (best > 0) {
                PushButton(bestX, bestY);
                script << frame << " click " << bestX << " " << bestY << "\n";
            }
        }
        if (live && game->levelPhase == LevelPhase::NameEntry && nameFrame == 0) {
            nameFrame = frame + 10;
        }
        if (nameFrame != 0 && frame >= nameFrame && (frame - nameFrame) % 10 == 0 && *name != '\0') {
            TypeKey(*name);
            script << frame << " key " << static_cast<int>(*name) << "\n";
            ++name;
        }
        if (!Frame(20)) {
            break;
        }
    }
}

}  // namespace
