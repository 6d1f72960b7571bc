// Replays a recorded game: a seeded board and a script of clicks and keys, run frame by frame at a fixed
// frame time. The trace of what happened (score, level, lives, level ends, name entry) must match the
// recorded one exactly; any drift in the rules shows up here. Set QUZ_WRITE_REPLAY=1 to record anew.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/high_score_table.h"
#include "game/shared_state.h"
#include "game_test_support.h"

namespace {

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

TEST_F(GameSession, RecordedGameReplaysExactly) {
    const std::vector<ScriptLine> script = ReadScript(Here() / "replay_script.txt");
    ASSERT_FALSE(script.empty());
    memset(HighScoreTable, 0, sizeof HighScoreTable);
    srand(2026);
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
                PushKey(SDLK_a, static_cast<Uint16>(s.a));
            }
        }
        const bool goOn = Frame(20);
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

    const std::filesystem::path golden = Here() / "replay_golden.txt";
    const char* write = getenv("QUZ_WRITE_REPLAY");
    if (write != nullptr && strcmp(write, "1") == 0) {
        std::ofstream(golden) << trace;
    }
    EXPECT_EQ(trace, ReadAll(golden));
}

}  // namespace
