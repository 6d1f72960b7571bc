// Replays a recorded game: a seeded board and a script of clicks and keys, run step by step, headless.
// The trace of what happened (score, level, lives, level ends, name entry) must match the recorded one
// exactly; any drift in the rules shows up here. Set QUZ_WRITE_REPLAY=1 to record anew.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/high_score_rules.h"
#include "core/session.h"

namespace {

using namespace quz::core;

constexpr uint64_t kReplaySeed = 2026;
constexpr int kCellPixels = 32;
// The recorder removes the largest group this often (half a second: the board has settled).
constexpr int kScriptTicks = 30;

// Each line of a script is taken at the start of its tick.
struct ScriptLine {
    Tick tick;
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
    while (in >> line.tick >> line.kind) {
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
std::string ReplayTrace(uint32_t decorationSeed, const std::vector<ScriptLine>& script,
                        uint64_t seed = kReplaySeed, Tick lastTick = 30000) {
    HighScoreEntries table = {};
    Session session(SessionSettings{seed, TableFloor(table), decorationSeed});
    std::string trace;
    char line[160];
    std::string lastState = State(session);
    size_t next = 0;
    Tick tick = 0;
    for (; tick < lastTick; ++tick) {
        const int32_t scoreBefore = session.score;
        bool clicked = false;
        while (next < script.size() && script[next].tick == tick) {
            const ScriptLine& s = script[next++];
            session.Apply(CommandOf(s, session.CurrentTick()));
            clicked = clicked || s.kind == "click";
        }
        session.Step();
        for (const Event& event : session.Events()) {
            if (event.kind == EventKind::NameConfirmed) {
                InsertHighScore(table, session.playerName, session.score, 0);
            }
        }
        if (clicked) {
            snprintf(line, sizeof line, "%u click score %d points %d lines %d\n", tick, session.score,
                     session.levelPoints, session.linesPending);
            trace += line;
        } else if (session.score < scoreBefore) {
            snprintf(line, sizeof line, "%u penalty score %d\n", tick, session.score);
            trace += line;
        }
        if (State(session) != lastState) {
            lastState = State(session);
            snprintf(line, sizeof line, "%u state %s score %d points %d\n", tick, lastState.c_str(),
                     session.score, session.levelPoints);
            trace += line;
        }
        if (session.Over()) {
            break;
        }
    }
    snprintf(line, sizeof line, "%u end score %d name '%s' rank1 '%s' %d\n", tick, session.score,
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

// A recorded game that clears its first board: the level is won, 10000 points, and level 2 is dealt.
constexpr uint64_t kWonSeed = 3;
constexpr Tick kWonTraceTicks = 1700;  // into level 2

TEST(RecordedWonGame, ReplaysExactly) {
    const std::vector<ScriptLine> script = ReadScript(Here() / "replay_won_script.txt");
    ASSERT_FALSE(script.empty());
    const std::string trace = ReplayTrace(1, script, kWonSeed, kWonTraceTicks);
    const std::filesystem::path golden = Here() / "replay_won_golden.txt";
    const char* write = getenv("QUZ_WRITE_REPLAY");
    if (write != nullptr && strcmp(write, "1") == 0) {
        std::ofstream(golden) << trace;
    }
    EXPECT_EQ(trace, ReadAll(golden));
    EXPECT_NE(trace.find(" state 1/3/11000 "), std::string::npos) << "the level is won";
    EXPECT_NE(trace.find(" state 2/3/00000 "), std::string::npos) << "level 2 is played";
}

// How far a board is from cleared: its blocks, and more for each block no neighbour of its colour can
// take along.
int Distance(const Session& session) {
    int distance = 0;
    for (int column = 0; column < kBoardSize; ++column) {
        for (int row = 0; row < kBoardSize; ++row) {
            const int32_t value = session.cells[CellIndex(column, row)];
            if (value == kEmptyCell) {
                continue;
            }
            bool alone = true;
            for (const auto& [dc, dr] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int c = column + dc;
                const int r = row + dr;
                if (c >= 0 && c < kBoardSize && r >= 0 && r < kBoardSize &&
                    ((session.cells[CellIndex(c, r)] ^ value) & 15) == 0) {
                    alone = false;
                }
            }
            distance += alone ? 4 : 1;
        }
    }
    return distance;
}

struct Line {
    Session session;
    std::vector<uint16_t> moves;
    int distance;
};

// Not a check: with QUZ_WRITE_REPLAY_SCRIPT=1 this searches the won game's removals (a beam search over
// whole sessions, a removal every 30 ticks, lines and bonuses included) and writes its script.
TEST(RecordedWonGame, WriteScript) {
    const char* write = getenv("QUZ_WRITE_REPLAY_SCRIPT");
    if (write == nullptr || strcmp(write, "1") != 0) {
        GTEST_SKIP() << "set QUZ_WRITE_REPLAY_SCRIPT=1 to search the script";
    }
    Session start(SessionSettings{kWonSeed, 0, 1});
    while (start.fadePhase == FadePhase::FadeIn) {
        start.Step();
    }
    const Tick first = start.CurrentTick();
    std::vector<Line> beam = {{start, {}, Distance(start)}};
    const Line* won = nullptr;
    for (int depth = 0; depth < 150 && won == nullptr && !beam.empty(); ++depth) {
        std::vector<Line> next;
        for (const Line& line : beam) {
            bool seen[kCellCount] = {};
            for (int cell = 0; cell < kCellCount; ++cell) {
                const int column = cell % kBoardSize;
                const int row = cell / kBoardSize;
                Board copy = line.session;
                if (seen[CellIndex(column, row)] || copy.MarkGroupAtCell(column, row) == 0) {
                    continue;
                }
                for (int i = 0; i < kCellCount; ++i) {
                    seen[i] = seen[i] || copy.highlight[i] != 0;
                }
                Line child{line.session, line.moves, 0};
                child.session.Apply({child.session.CurrentTick(), CommandKind::Remove, static_cast<uint16_t>(cell)});
                for (int tick = 0; tick < kScriptTicks; ++tick) {
                    child.session.Step();
                }
                if (child.session.levelPhase == LevelPhase::Lost) {
                    continue;
                }
                child.moves.push_back(static_cast<uint16_t>(cell));
                child.distance = Distance(child.session);
                next.push_back(child);
            }
        }
        std::sort(next.begin(), next.end(), [](const Line& a, const Line& b) { return a.distance < b.distance; });
        next.resize(std::min<size_t>(next.size(), 60));
        beam = std::move(next);
        for (const Line& line : beam) {
            if (line.session.levelPhase == LevelPhase::Won) {
                won = &line;
                break;
            }
        }
    }
    ASSERT_NE(won, nullptr) << "no clearing found for this seed";
    std::ofstream script(Here() / "replay_won_script.txt");
    for (size_t i = 0; i < won->moves.size(); ++i) {
        const int column = won->moves[i] % kBoardSize;
        const int row = won->moves[i] / kBoardSize;
        script << first + i * kScriptTicks << " click " << column * kCellPixels + 5 << " " << row * kCellPixels + 9
               << "\n";
    }
}

// Not a check: with QUZ_WRITE_REPLAY_SCRIPT=1 this plays a game from the replay's seed, removing the
// largest group every half second, types a name at the game over, and writes the script. Record the
// script anew only when the dealing itself changed; then record the trace too (QUZ_WRITE_REPLAY=1).
TEST(RecordedGame, WriteReplayScript) {
    const char* write = getenv("QUZ_WRITE_REPLAY_SCRIPT");
    if (write == nullptr || strcmp(write, "1") != 0) {
        GTEST_SKIP() << "set QUZ_WRITE_REPLAY_SCRIPT=1 to record the script";
    }
    Session session(SessionSettings{kReplaySeed, 0, 1});
    std::ofstream script(Here() / "replay_script.txt");
    const char* name = "Replay 7\r";
    Tick nameTick = 0;
    while (!session.Over() && session.CurrentTick() < 30000) {
        const Tick tick = session.CurrentTick();
        const bool live = session.InputLive() && session.messageDelay <= 0;
        if (tick % kScriptTicks == 0 && live && session.levelPhase == LevelPhase::Playing) {
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
                session.Apply({tick, CommandKind::Remove, CellOfPixel(bestX, bestY)});
                script << tick << " click " << bestX << " " << bestY << "\n";
            }
        }
        if (live && session.levelPhase == LevelPhase::NameEntry && nameTick == 0) {
            nameTick = tick + 12;
        }
        if (nameTick != 0 && tick >= nameTick && (tick - nameTick) % 12 == 0 && *name != '\0') {
            session.Apply(CommandOf(ScriptLine{tick, "key", *name, 0}, tick));
            script << tick << " key " << static_cast<int>(*name) << "\n";
            ++name;
        }
        session.Step();
    }
}

}  // namespace
