// A scripted player for the replay tests and benchmarks: it plays a whole game through the rules core the
// way the presenter would feed it (a pointer gliding over cells then clicking, or arrow keys stepping a
// cursor then Return, pauses, a name typed with a slip corrected), and records it as a replay.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/replay_codec.h"

namespace quz::testing {

struct BotStyle {
    enum class Input { Mouse, Keyboard };
    enum class Choice {
        Largest,    // the biggest group on the board
        Random,     // any group: loses levels
        Lookahead,  // the group that leaves the fewest lone blocks: wins levels now and then
    };
    Input input = Input::Mouse;
    Choice choice = Choice::Lookahead;
    core::Tick thinkTicks = 40;  // ticks between one removal and the next one being aimed at
    std::string name = "BOT";    // typed at the name entry
    core::Tick stopAt = 0;       // when not 0: leave the game at this tick
    bool stopByClosing = false;  // leave by the window's close instead of pausing and giving up
    bool pauses = false;         // pause now and then
    core::Tick idleEvery = 0;    // when not 0: every so many ticks, sit idle long enough to be penalised
    core::Tick restAt = 0;       // when not 0: after this tick, leave the game alone for restTicks once
    core::Tick restTicks = 0;
};

// Plays one game from the seed to its end (or to style.stopAt) and returns it with the outcome the
// session reached while it was played.
core::Replay PlayBotGame(uint64_t seed, int32_t tableFloor, const BotStyle& style);

// The recorded games of tests/replays: several seeds, both inputs, won and lost levels, name entries,
// pauses, idle penalties, a game given up, one left by closing the window and one of two hours. File
// names are <index>-<name>.quzr.
struct GoldenGame {
    const char* name;
    uint64_t seed;
    int32_t tableFloor;
    BotStyle style;
};
std::vector<GoldenGame> GoldenGames();

}  // namespace quz::testing
