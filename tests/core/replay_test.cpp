// Replays a recorded game: a seeded board and a script of clicks and keys, run step by step, headless.
// The trace of what happened (score, level, lives, level ends, name entry) must match the recorded one
// exactly; any drift in the rules shows up here. Set QUZ_WRITE_REPLAY=1 to record anew.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/high_score_rules.h"
#include "core/session.h"

namespace {

using namespace quz::core;

constexpr uint64_t kReplaySeed = 2026;
constexpr int32_t kStepMs = 20;
constexpr int kCellPixels = 32;

struct ScriptLine {
    int frame;
    std::string kind;
    int a;
    int b;
};

// The script and the golden trace sit beside this file in the source tree. __FILE__ cannot find them: a
// compiler cache may rewrite it relative to the object's folder.
std::filesystem::path Here() {
    return std::filesystem::path(QUZ_TEST_SOURCE_DIR) / "core";
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

// The script's clicks are screen pixels over the board, as a player's pointer gives them.
uint16_t CellOfPixel(int x, int y) {
    if (x < 0 || x >= kBoardSize * kCellPixels || y < 0 || y >= kBoardSize * kCellPixels) {
        return kNoCell;
    }
    return static_cast<uint16_t>((y / kCellPixels) * kBoardSize + x / kCellPixels);
}

Command CommandOf(const ScriptLine& line, Tick tick) {
    if (line.kind == "click") {
        return {tick, CommandKind::Remove, CellOfPixel(line.a, line.b)};
    }
    if (line.a == 13 || line.a == 10) {
        return {tick, CommandKind::Confirm, 0};
    }
    if (line.a == 8) {
        return {tick, CommandKind::Backspace, 0};
    }
    return {tick, CommandKind::NameChar, static_cast<uint16_t>(line.a)};
}

std::string State(const Session& session) {
    // Written as the five level flags of the first recording, so that the reference stays readable.
    const LevelPhase phase = session.levelPhase;
    return std::to_string(session.level) + "/" + std::to_string(session.lives) + "/" +
           std::to_string(phase != LevelPhase::Playing) + std::to_string(phase == LevelPhase::Won) +
           std::to_string(phase == LevelPhase::Lost) + std::to_string(phase == LevelPhase::GameOver) +
           std::to_string(phase == LevelPhase::NameEntry);
}

// Plays the script on a board dealt from the replay's seed against an empty table and returns the trace.
// The decoration seed only changes the blocks' animation phases.
std::string ReplayTrace(uint32_t decorationSeed, const std::vector<ScriptLine>& script) {
    HighScoreEntries table = {};
    Session session(SessionSettings{kReplaySeed, TableFloor(table), decorationSeed});
    std::string trace;
    char line[160];
    std::string lastState = State(session);
    size_t next = 0;
    int frame = 1;
    for (; frame < 20000; ++frame) {
        const int32_t scoreBefore = session.score;
        bool clicked = false;
        while (next < script.size() && script[next].frame == frame) {
            const ScriptLine& s = script[next++];
            session.Apply(CommandOf(s, session.CurrentTick()));
            clicked = clicked || s.kind == "click";
        }
        session.Step(kStepMs);
        for (const Event& event : session.Events()) {
            if (event.kind == EventKind::NameConfirmed) {
                InsertHighScore(table, session.playerName, session.score, 0);
            }
        }
        if (clicked) {
            snprintf(line, sizeof line, "%d click score %d points %d lines %d\n", frame, session.score,
                     session.levelPoints, session.linesPending);
            trace += line;
        } else if (session.score < scoreBefore) {
            snprintf(line, sizeof line, "%d penalty score %d\n", frame, session.score);
            trace += line;
        }
        if (State(session) != lastState) {
            lastState = State(session);
            snprintf(line, sizeof line, "%d state %s score %d points %d\n", frame, lastState.c_str(),
                     session.score, session.levelPoints);
            trace += line;
        }
        if (session.Over()) {
            break;
        }
    }
    snprintf(line, sizeof line, "%d end score %d name '%s' rank1 '%s' %d\n", frame, session.score,
             session.playerName, table[0].name, table[0].score);
    trace += line;
    return trace;
}

TEST(RecordedGame, ReplaysExactly) {
    const std::vector<ScriptLine> script = ReadScript(Here() / "replay_script.txt");
    ASSERT_FALSE(script.empty());
    const std::string trace = ReplayTrace(1, script);
    const std::filesystem::path golden = Here() / "replay_golden.txt";
    const char* write = getenv("QUZ_WRITE_REPLAY");
    if (write != nullptr && strcmp(write, "1") == 0) {
        std::ofstream(golden) << trace;
    }
    EXPECT_EQ(trace, ReadAll(golden));
}

// The decoration has its own stream: other animation phases, the very same game.
TEST(RecordedGame, AnotherDecorationSeedGivesTheSameRulesTrace) {
    const std::vector<ScriptLine> script = ReadScript(Here() / "replay_script.txt");
    ASSERT_FALSE(script.empty());
    const Session first(SessionSettings{kReplaySeed, 0, 1});
    const Session second(SessionSettings{kReplaySeed, 0, 777});
    ASSERT_NE(std::vector<int32_t>(std::begin(first.phases), std::end(first.phases)),
              std::vector<int32_t>(std::begin(second.phases), std::end(second.phases)))
        << "the seeds must give other phases, or this test proves nothing";
    EXPECT_EQ(ReplayTrace(777, script), ReadAll(Here() / "replay_golden.txt"));
}

// Not a check: with QUZ_WRITE_REPLAY_SCRIPT=1 this plays a game on the replay's board, removing the
// largest group every 25 steps, types a name at the game over, and writes the script. Record the script
// anew only when the dealing itself changed; then record the trace too (QUZ_WRITE_REPLAY=1).
TEST(RecordedGame, WriteReplayScript) {
    const char* write = getenv("QUZ_WRITE_REPLAY_SCRIPT");
    if (write == nullptr || strcmp(write, "1") != 0) {
        GTEST_SKIP() << "set QUZ_WRITE_REPLAY_SCRIPT=1 to record the script";
    }
    Session session(SessionSettings{kReplaySeed, 0, 1});
    std::ofstream script(Here() / "replay_script.txt");
    const char* name = "Replay 7\r";
    int nameFrame = 0;
    for (int frame = 1; frame < 20000 && !session.Over(); ++frame) {
        const bool live = session.InputLive() && session.messageDelay <= 0;
        if (frame % 25 == 0 && live && session.levelPhase == LevelPhase::Playing) {
            int best = 0;
            int bestX = 0;
            int bestY = 0;
            for (int i = 0; i < kCellCount; ++i) {
                Board copy = session;
                const int n = copy.MarkGroupAtCell(i / kBoardSize, i % kBoardSize);
                if (n > best) {
                    best = n;
                    bestX = (i / kBoardSize) * kCellPixels + 5;
                    bestY = (i % kBoardSize) * kCellPixels + 9;
                }
            }
            if (best > 0) {
                session.Apply({session.CurrentTick(), CommandKind::Remove, CellOfPixel(bestX, bestY)});
                script << frame << " click " << bestX << " " << bestY << "\n";
            }
        }
        if (live && session.levelPhase == LevelPhase::NameEntry && nameFrame == 0) {
            nameFrame = frame + 10;
        }
        if (nameFrame != 0 && frame >= nameFrame && (frame - nameFrame) % 10 == 0 && *name != '\0') {
            session.Apply(CommandOf(ScriptLine{frame, "key", *name, 0}, session.CurrentTick()));
            script << frame << " key " << static_cast<int>(*name) << "\n";
            ++name;
        }
        session.Step(kStepMs);
    }
}

}  // namespace
