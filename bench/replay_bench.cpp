// Verifying a game headless, as quz-verify and the score server do: a ten-minute game (36,000 ticks) and
// a game at the four-hour tick cap, beside the floor of only reading the same file (inflating it,
// decoding it and walking its commands). Goals: at most 50 ms a ten-minute game, under 1 s at the cap.
// Read the time per game and per tick, and the ratio to the floor.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/replay_check.h"
#include "replay/replay_file.h"
#include "replay_bot_support.h"

namespace {

using quz::core::Tick;

// A mouse game given up after ten minutes, or one left alone until the tick cap: the seeds and pace are
// ones whose games last that long.
const std::vector<uint8_t>& GameFile(Tick ticks) {
    static std::vector<uint8_t> tenMinutes;
    static std::vector<uint8_t> atCap;
    const bool cap = ticks >= quz::core::kReplayTickCap;
    std::vector<uint8_t>& file = cap ? atCap : tenMinutes;
    if (file.empty()) {
        quz::testing::BotStyle style;
        style.thinkTicks = 30;
        style.stopAt = ticks;
        if (cap) {
            style.stopAt = 0;
            style.restAt = 60 * 60;
            style.restTicks = ticks;
        }
        quz::replay::EncodeReplayFile(quz::testing::PlayBotGame(3, 0, style), file);
    }
    return file;
}

void Report(benchmark::State& state, const quz::core::Replay& replay, size_t fileBytes) {
    std::vector<uint8_t> raw;
    quz::core::EncodeReplay(replay, raw);
    state.counters["raw_bytes"] = static_cast<double>(raw.size());
    state.counters["ticks"] = replay.outcome.ticks;
    state.counters["commands"] = static_cast<double>(replay.commands.size());
    state.counters["file_bytes"] = static_cast<double>(fileBytes);
    state.counters["per_tick"] =
        benchmark::Counter(static_cast<double>(replay.outcome.ticks),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

bool Read(const std::vector<uint8_t>& file, quz::core::Replay& replay) {
    std::vector<uint8_t> raw;
    return quz::replay::UnpackReplay(file, raw, nullptr) == quz::core::ReplayError::None &&
           quz::core::DecodeReplay(raw, replay) == quz::core::ReplayError::None;
}

// The floor: everything but the play itself.
void BM_DecodeOnly(benchmark::State& state) {
    const std::vector<uint8_t>& file = GameFile(static_cast<Tick>(state.range(0)));
    quz::core::Replay replay;
    for (auto _ : state) {
        if (!Read(file, replay)) {
            state.SkipWithError("the game file does not read");
            return;
        }
        uint64_t sum = 0;
        for (const auto& command : replay.commands) {
            sum += command.tick + command.arg;
        }
        benchmark::DoNotOptimize(sum);
    }
    Report(state, replay, file.size());
}
BENCHMARK(BM_DecodeOnly)
    ->Arg(36000)
    ->Arg(quz::core::kReplayTickCap)
    ->ArgName("ticks")
    ->Unit(benchmark::kMillisecond);

// Reading the file and re-playing it to its end, with the outcome compared.
void BM_VerifyGame(benchmark::State& state) {
    const std::vector<uint8_t>& file = GameFile(static_cast<Tick>(state.range(0)));
    quz::core::Replay replay;
    for (auto _ : state) {
        if (!Read(file, replay) ||
            !quz::core::FirstDifference(replay.outcome, quz::core::Replayed(replay)).empty()) {
            state.SkipWithError("the game does not verify");
            return;
        }
    }
    Report(state, replay, file.size());
}
BENCHMARK(BM_VerifyGame)
    ->Arg(36000)
    ->Arg(quz::core::kReplayTickCap)
    ->ArgName("ticks")
    ->Unit(benchmark::kMillisecond);

}  // namespace
