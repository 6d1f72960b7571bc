// The scripted player (see replay_bot_support.h).
#include "replay_bot_support.h"

#include <algorithm>
#include <array>
#include <deque>
#include <vector>

#include "core/replay_check.h"
#include "core/rules_version.h"
#include "core/session.h"

namespace quz::testing {

namespace {

using core::Command;
using core::CommandKind;
using core::kBoardSize;
using core::kCellCount;
using core::Tick;

// The replay's cell numbering (row by row), as the presenter produces it.
uint16_t CommandCell(int column, int row) {
    return static_cast<uint16_t>(row * kBoardSize + column);
}

struct Rng {
    uint64_t state;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<uint32_t>(state >> 16);
    }
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : Next() % n; }
};

using Cells = std::array<int32_t, kCellCount>;

int Colour(const Cells& cells, int column, int row) {
    return cells[core::CellIndex(column, row)] & 15;
}

// The cells of the group holding (column, row), by colour; empty below two blocks.
std::vector<int> GroupAt(const Cells& cells, int column, int row) {
    const int colour = Colour(cells, column, row);
    std::vector<int> group;
    if (colour == 0) {
        return group;
    }
    std::array<bool, kCellCount> seen{};
    std::vector<int> stack = {core::CellIndex(column, row)};
    seen[stack.back()] = true;
    while (!stack.empty()) {
        const int at = stack.back();
        stack.pop_back();
        group.push_back(at);
        const int c = at / kBoardSize;
        const int r = at % kBoardSize;
        const int next[4][2] = {{c - 1, r}, {c + 1, r}, {c, r - 1}, {c, r + 1}};
        for (const auto& n : next) {
            if (n[0] < 0 || n[0] >= kBoardSize || n[1] < 0 || n[1] >= kBoardSize) {
                continue;
            }
            const int index = core::CellIndex(n[0], n[1]);
            if (!seen[index] && Colour(cells, n[0], n[1]) == colour) {
                seen[index] = true;
                stack.push_back(index);
            }
        }
    }
    if (group.size() < 2) {
        group.clear();
    }
    return group;
}

// Blocks fall (row 14 is the bottom) and empty columns close to the left.
void Settle(Cells& cells) {
    Cells settled{};
    int toColumn = 0;
    for (int column = 0; column < kBoardSize; ++column) {
        int toRow = kBoardSize - 1;
        for (int row = kBoardSize - 1; row >= 0; --row) {
            if (cells[core::CellIndex(column, row)] != 0) {
                settled[core::CellIndex(toColumn, toRow--)] = cells[core::CellIndex(column, row)];
            }
        }
        if (toRow < kBoardSize - 1) {
            ++toColumn;
        }
    }
    cells = settled;
}

// Blocks that no neighbour of their colour touches: they can never go.
int LoneBlocks(const Cells& cells) {
    int lone = 0;
    for (int column = 0; column < kBoardSize; ++column) {
        for (int row = 0; row < kBoardSize; ++row) {
            const int colour = Colour(cells, column, row);
            if (colour == 0) {
                continue;
            }
            const bool paired = (column > 0 && Colour(cells, column - 1, row) == colour) ||
                                (column + 1 < kBoardSize && Colour(cells, column + 1, row) == colour) ||
                                (row > 0 && Colour(cells, column, row - 1) == colour) ||
                                (row + 1 < kBoardSize && Colour(cells, column, row + 1) == colour);
            lone += paired ? 0 : 1;
        }
    }
    return lone;
}

// The cell (board index) of the group to remove next, or -1 when there is none.
int ChooseGroup(const Cells& cells, BotStyle::Choice choice, Rng& rng) {
    std::vector<std::vector<int>> groups;
    std::array<bool, kCellCount> taken{};
    for (int index = 0; index < kCellCount; ++index) {
        if (taken[index]) {
            continue;
        }
        std::vector<int> group = GroupAt(cells, index / kBoardSize, index % kBoardSize);
        for (int cell : group) {
            taken[cell] = true;
        }
        if (!group.empty()) {
            groups.push_back(std::move(group));
        }
    }
    if (groups.empty()) {
        return -1;
    }
    size_t best = 0;
    if (choice == BotStyle::Choice::Random) {
        best = rng.Below(static_cast<uint32_t>(groups.size()));
    } else if (choice == BotStyle::Choice::Largest) {
        for (size_t i = 1; i < groups.size(); ++i) {
            if (groups[i].size() > groups[best].size()) {
                best = i;
            }
        }
    } else {
        int bestLone = kCellCount + 1;
        for (size_t i = 0; i < groups.size(); ++i) {
            Cells after = cells;
            for (int cell : groups[i]) {
                after[cell] = 0;
            }
            Settle(after);
            const int lone = LoneBlocks(after);
            if (lone < bestLone || (lone == bestLone && groups[i].size() < groups[best].size())) {
                bestLone = lone;
                best = i;
            }
        }
    }
    // Any block of the group will do; a player clicks somewhere in it.
    return groups[best][rng.Below(static_cast<uint32_t>(groups[best].size()))];
}

struct Planned {
    Tick tick;
    Command command;
};

class Bot {
  public:
    Bot(uint64_t seed, int32_t tableFloor, const BotStyle& style)
        : style_(style), rng_{seed * 0x9E3779B97F4A7C15u + 1}, session_(Settings(seed, tableFloor)) {
        replay_.rulesVersion = core::kRulesVersion;
        replay_.seed = seed;
        replay_.tableFloor = tableFloor;
        replay_.mode = "NORMAL";
    }

    core::Replay Play() {
        // Paused steps do not advance the tick: the bound counts steps, so no script can loop for ever.
        for (uint64_t steps = 0; !session_.Over() && steps < 2ull * core::kReplayTickCap; ++steps) {
            const Tick tick = session_.CurrentTick();
            if (tick >= core::kReplayTickCap) {
                break;
            }
            if (plan_.empty()) {
                Decide(tick);
            }
            while (!plan_.empty() && plan_.front().tick <= tick) {
                Command command = plan_.front().command;
                plan_.pop_front();
                command.tick = tick;
                session_.Apply(command);
                replay_.commands.push_back(command);
            }
            session_.Step();
        }
        replay_.outcome = {session_.score, session_.level, session_.CurrentTick(), session_.Over(),
                           session_.StateHash()};
        return replay_;
    }

  private:
    static core::SessionSettings Settings(uint64_t seed, int32_t tableFloor) {
        core::SessionSettings settings;
        settings.seed = seed;
        settings.tableFloor = tableFloor;
        return settings;
    }

    void Push(Tick tick, CommandKind kind, uint16_t arg = 0) {
        plan_.push_back({tick, Command{0, kind, arg}});
    }

    void Decide(Tick tick) {
        if (style_.stopAt != 0 && tick >= style_.stopAt && !stopped_) {
            stopped_ = true;
            if (style_.stopByClosing) {
                Push(tick, CommandKind::Close);
            } else {
                Push(tick, CommandKind::Pause);
                Push(tick + 1, CommandKind::GiveUp);
            }
            nextAction_ = tick + 30;
            return;
        }
        if (stopped_) {
            // A pause refused (the level was ending) leaves the game running: ask again a little later.
            if (!style_.stopByClosing && !session_.paused && tick >= nextAction_) {
                Push(tick, CommandKind::Pause);
                Push(tick + 1, CommandKind::GiveUp);
                nextAction_ = tick + 30;
            }
            return;
        }
        if (tick < nextAction_ || !session_.InputLive()) {
            return;
        }
        if (session_.levelPhase == core::LevelPhase::NameEntry) {
            TypeName(tick);
        } else if (!session_.LevelOver()) {
            PlanRemoval(tick);
        }
    }

    void TypeName(Tick tick) {
        if (typed_) {
            return;
        }
        typed_ = true;
        Tick at = tick + 20;
        for (char c : style_.name) {
            Push(at += 9, CommandKind::NameChar, static_cast<uint8_t>(c));
        }
        // A slip: a letter with an accent, taken back.
        Push(at += 9, CommandKind::NameChar, 0xE9);
        Push(at += 12, CommandKind::Backspace);
        Push(at + 30, CommandKind::Confirm);
    }

    void PlanRemoval(Tick tick) {
        Cells cells;
        std::copy(std::begin(session_.cells), std::end(session_.cells), cells.begin());
        const int target = ChooseGroup(cells, style_.choice, rng_);
        if (target < 0) {
            nextAction_ = tick + 10;
            return;
        }
        const int column = target / kBoardSize;
        const int row = target % kBoardSize;
        Tick at = tick;
        if (style_.input == BotStyle::Input::Keyboard) {
            // One cell a key press, then the held key's repeat.
            Tick gap = 15;
            while (cursorColumn_ != column || cursorRow_ != row) {
                cursorColumn_ += cursorColumn_ < column ? 1 : cursorColumn_ > column ? -1 : 0;
                if (cursorColumn_ == column) {
                    cursorRow_ += cursorRow_ < row ? 1 : cursorRow_ > row ? -1 : 0;
                }
                Push(at += gap, CommandKind::Aim, CommandCell(cursorColumn_, cursorRow_));
                gap = 4;
            }
            Push(at += 6, CommandKind::Remove, CommandCell(column, row));
        } else {
            // The pointer glides over the cells on its way, a new one every two ticks.
            const int steps = std::max(std::abs(column - cursorColumn_), std::abs(row - cursorRow_));
            for (int i = 1; i <= steps; ++i) {
                const int c = cursorColumn_ + (column - cursorColumn_) * i / steps;
                const int r = cursorRow_ + (row - cursorRow_) * i / steps;
                Push(at += 2, CommandKind::Aim, CommandCell(c, r));
            }
            cursorColumn_ = column;
            cursorRow_ = row;
            if (rng_.Below(20) == 0) {
                Push(at += 3, CommandKind::Remove, core::kNoCell);  // a click beside the board
            }
            Push(at += 4, CommandKind::Remove, CommandCell(column, row));
        }
        nextAction_ = at + style_.thinkTicks + rng_.Below(style_.thinkTicks + 1);
        if (style_.idleEvery != 0 && at / style_.idleEvery != lastIdle_) {
            lastIdle_ = at / style_.idleEvery;
            nextAction_ += 15 * 60;  // long enough for the idle penalty to bite
        }
        if (style_.restAt != 0 && at >= style_.restAt && !rested_) {
            rested_ = true;
            nextAction_ += style_.restTicks;
        }
        if (style_.pauses && rng_.Below(8) == 0) {
            Push(at + 10, CommandKind::Pause);
            Push(at + 11, CommandKind::Resume);
        }
    }

    BotStyle style_;
    Rng rng_;
    core::Session session_;
    core::Replay replay_;
    std::deque<Planned> plan_;
    Tick nextAction_ = 60;
    Tick lastIdle_ = 0;
    int cursorColumn_ = kBoardSize / 2;
    int cursorRow_ = kBoardSize / 2;
    bool stopped_ = false;
    bool typed_ = false;
    bool rested_ = false;
};

}  // namespace

core::Replay PlayBotGame(uint64_t seed, int32_t tableFloor, const BotStyle& style) {
    return Bot(seed, tableFloor, style).Play();
}

std::vector<GoldenGame> GoldenGames() {
    using Input = BotStyle::Input;
    using Choice = BotStyle::Choice;
    constexpr int32_t kNoEntry = 2000000000;  // a table no score reaches: the game ends without a name
    std::vector<GoldenGame> games;
    auto add = [&](const char* name, uint64_t seed, int32_t floor, BotStyle style) {
        games.push_back({name, seed, floor, std::move(style)});
    };
    for (uint64_t seed : {1, 2, 3, 4, 5, 6}) {
        add("mouse-lookahead", seed, 0, {Input::Mouse, Choice::Lookahead, 30, "ALICE"});
    }
    for (uint64_t seed : {7, 8, 9, 10}) {
        add("keys-lookahead", seed, 0, {Input::Keyboard, Choice::Lookahead, 20, "BOB"});
    }
    for (uint64_t seed : {11, 12, 13}) {
        add("mouse-largest", seed, kNoEntry, {Input::Mouse, Choice::Largest, 25, ""});
    }
    for (uint64_t seed : {14, 15}) {
        add("mouse-random", seed, 0, {Input::Mouse, Choice::Random, 10, "CAROLE"});
    }
    add("keys-random", 16, kNoEntry, {Input::Keyboard, Choice::Random, 10, ""});
    add("mouse-pauses", 0x5EED5EED5EEDull, 0, {Input::Mouse, Choice::Lookahead, 30, "DAN", 0, false, true});
    add("keys-pauses", 0xFFFFFFFFFFFFFFFFull, 0,
        {Input::Keyboard, Choice::Largest, 30, "EVE", 0, false, true});
    add("mouse-idle", 17, 0, {Input::Mouse, Choice::Lookahead, 30, "FAY", 0, false, false, 3000});
    add("give-up", 18, 0, {Input::Mouse, Choice::Lookahead, 30, "GUS", 3 * 60 * 60});
    add("window-closed", 19, 0, {Input::Keyboard, Choice::Lookahead, 30, "HAL", 2 * 60 * 60, true});
    // Over two hours: a few minutes of play, the game left alone for almost two hours (the idle penalty
    // takes the score down to nothing), then played on to its end.
    add("two-hours", 20, 0,
        {Input::Mouse, Choice::Lookahead, 30, "IDA", 0, false, false, 0, 3 * 60 * 60, 115 * 60 * 60});
    return games;
}

}  // namespace quz::testing
