// The frame in which a player confirms a name while the score server is stuck (a listener whose accept
// queue is full, so every connect hangs until it times out), beside the references of the same run: one
// full-screen blit and an ordinary PlayFrame. "Before" is the frame as it was when the score went out
// inside it: the frame's own work plus a blocking SubmitScore. "After" is the real frame: the table saved
// to disk and the score handed to the sender, plus the longest of the frames that follow while the
// sender is still stuck in its connect.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/end_of_game.h"
#include "app/high_score_file.h"
#include "bench/screen_reference.h"
#include "game/game.h"
#include "game/shared_state.h"
#include "net/connection.h"
#include "net/score_client.h"
#include "net/score_sender.h"
#include "platform/input.h"
#include "platform/text.h"
#include "support/loopback.h"

namespace {

using Clock = std::chrono::steady_clock;

// A loopback listener that never accepts, its queue filled so that a new connect hangs; null where
// this system completes such connects anyway.
std::unique_ptr<SilentListener> StuckServer() {
    auto server = std::make_unique<SilentListener>(true);
    if (!server->Listening() || !LoopbackConnectHangs(server->Port(), 200)) {
        return nullptr;
    }
    return server;
}

// A game at its name entry, the table all zero so any score earns a place.
Game* GameAtNameEntry() {
    Game* game = CreateGame(SessionSettings{11, 0, 11});
    game->fadePhase = FadePhase::Shown;
    game->SetFadeLevel(256);
    game->levelPhase = LevelPhase::NameEntry;
    game->messageDelay = 0;
    game->nameEntryMs = kNameConfirmDelayMs;  // the box has been up long enough for Return
    game->score = game->shownScore = 4321;
    CopyText(game->playerName, "BENCH");
    memset(HighScoreTable, 0, sizeof HighScoreTable);
    memset(SavedHighScoreTable, 0, sizeof SavedHighScoreTable);
    Shared.frameClock.deltaMs = 16;
    return game;
}

void PushReturn() {
    InjectKey(InputKey::Return, true);
    InjectKey(InputKey::Return, false);
    CollectInput(16);
}

// One frame as the main loop runs it: the game's frame, then the shell's part of a confirmed name.
bool ShellFrame(Game* game) {
    const bool goOn = game->PlayFrame();
    if (game->TakeNameConfirmed()) {
        RecordConfirmedName(game->playerName, game->score);
    }
    return goOn;
}

double MicrosecondsOf(Clock::duration duration) {
    return std::chrono::duration<double, std::micro>(duration).count();
}

void StuckServerSettings(const SilentListener& server) {
    SetDefaultScoreSettings();
    scoreServerPort = server.Port();
    scoreConnectTimeoutMs = kDefaultScoreConnectTimeoutMs;
    scoreSendTimeoutMs = kDefaultScoreSendTimeoutMs;
}

// One confirming frame as it was: the frame's work, then the score sent inside it.
void BM_ConfirmFrameStuckServer_Before(benchmark::State& state) {
    std::unique_ptr<SilentListener> server = StuckServer();
    if (!OpenBenchScreen() || server == nullptr) {
        state.SkipWithError("no screen, or connects to a full queue do not hang here");
        return;
    }
    StuckServerSettings(*server);
    for (auto _ : state) {
        state.PauseTiming();
        Game* game = GameAtNameEntry();
        game->levelPhase = LevelPhase::Playing;  // the frame's own work, without the new send
        state.ResumeTiming();
        Clock::time_point start = Clock::now();
        game->PlayFrame();
        InsertHighScore(game->playerName, game->score, 0);
        benchmark::DoNotOptimize(SubmitScore(game->playerName, "NORMAL", game->score, false));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.PauseTiming();
        DestroyGame(game);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConfirmFrameStuckServer_Before)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The real confirming frame, then the fade-out to the menu frame by frame; the longest of those frames is
// reported. With the server stuck the send hangs in its connect all through the fade-out; with the
// server off nothing is sent, which is the same frames without any network at all.
void ConfirmFrameThenFadeOut(benchmark::State& state, bool off) {
    std::unique_ptr<SilentListener> server = StuckServer();
    if (!OpenBenchScreen() || server == nullptr) {
        state.SkipWithError("no screen, or connects to a full queue do not hang here");
        return;
    }
    char folder[] = "/tmp/quz-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    StuckServerSettings(*server);
    double longestFollowing = 0;
    int followingFrames = 0;
    int sendingAtTheEnd = 0;
    for (auto _ : state) {
        state.PauseTiming();
        LoadHighScoreTables(folder, "");
        StartScoreSending(
            ScoreSenderConfig{CurrentScoreSettings(), off, std::string(folder) + "/" + kOutboxFileName, ""});
        Game* game = GameAtNameEntry();
        PushReturn();
        state.ResumeTiming();
        Clock::time_point start = Clock::now();
        ShellFrame(game);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.PauseTiming();
        for (bool goOn = true; goOn;) {
            Shared.frameClock.deltaMs = 16;
            CollectInput(16);
            Clock::time_point frameStart = Clock::now();
            goOn = ShellFrame(game);
            longestFollowing = std::max(longestFollowing, MicrosecondsOf(Clock::now() - frameStart));
            ++followingFrames;
        }
        sendingAtTheEnd += GameScoreSender().Sending() ? 1 : 0;
        FinishScoreSending(0);
        DestroyGame(game);
        state.ResumeTiming();
    }
    state.counters["longest_following_frame_us"] = longestFollowing;
    state.counters["following_frames"] = followingFrames;
    state.counters["still_sending_after_fade"] = sendingAtTheEnd;
    LoadHighScoreTables(nullptr, "");
    std::filesystem::remove_all(folder);
}

void BM_ConfirmFrameStuckServer_After(benchmark::State& state) {
    ConfirmFrameThenFadeOut(state, false);
}
BENCHMARK(BM_ConfirmFrameStuckServer_After)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ConfirmFrameServerOff(benchmark::State& state) {
    ConfirmFrameThenFadeOut(state, true);
}
BENCHMARK(BM_ConfirmFrameServerOff)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// An ordinary frame of the same game, for scale.
void BM_OrdinaryPlayFrame(benchmark::State& state) {
    if (!OpenBenchScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    Game* game = GameAtNameEntry();
    game->levelPhase = LevelPhase::Playing;
    for (auto _ : state) {
        game->timeLeft = 5000;
        benchmark::DoNotOptimize(game->PlayFrame());
    }
    DestroyGame(game);
}
BENCHMARK(BM_OrdinaryPlayFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
