// The replay viewer (see replay_viewer.h).
#include "app/replay_viewer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/replay_check.h"
#include "core/rules_version.h"
#include "core/timing.h"
#include "game/game.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/input.h"
#include "platform/text.h"
#include "replay/replay_file.h"

namespace {

constexpr int kMaxSpeed = 64;
constexpr int32_t kEndHoldMs = 3000;
// After a stall the game catches up by at most this many ticks a frame (times the speed), as play does.
constexpr int32_t kMaxTicksPerFrame = 6;
constexpr int kFontAdvance = 12;

}  // namespace

struct ReplayViewer {
    quz::core::Replay replay;
    Game* game = nullptr;
    int speed = 1;
    bool paused = false;
    bool ending = false;  // the game's last fade-out has begun: the picture holds
    int32_t heldMs = 0;
    int32_t tickMillis = 0;  // real time owed to the session, in thousandths of a tick

    // One tick of the replay: the commands stamped with it, the step, its sounds. While the recorded
    // player's own pause lasts, the tick stands still and the command that ends it comes next.
    void StepTick() {
        game->FeedScript();
        game->Step();
        game->PresentEvents();
        // The pointer shows where the recorded player aimed, as the keyboard's cursor does in play.
        if (game->aimCell != quz::core::kNoCell) {
            game->keyboardAim = true;
            game->cursorColumn = game->aimCell % kBoardSize;
            game->cursorRow = game->aimCell / kBoardSize;
        }
        // The last fade-out: its first picture is the game's end, the one the viewer holds.
        if (game->Over() || (game->QuitRequested() && game->FadeStep() < 0)) {
            ending = true;
        }
    }

    // The ticks real time asks for, times the speed; after a stall at most a few, as in play.
    void RunTicks(int32_t deltaMs) {
        tickMillis += deltaMs * quz::core::kTicksPerSecond * speed;
        const int32_t due = std::min(tickMillis / 1000, kMaxTicksPerFrame * speed);
        tickMillis = std::min(tickMillis - 1000 * due, 1000);
        for (int32_t step = 0; step < due && !ending; ++step) {
            const quz::core::Tick before = game->CurrentTick();
            StepTick();
            const bool scriptDone = game->scriptNext >= replay.commands.size();
            // Paused with nothing left to resume it, or past the recorded end: nothing more will happen.
            if (scriptDone && ((game->paused && game->CurrentTick() == before) ||
                               game->CurrentTick() >= replay.outcome.ticks)) {
                ending = true;
            }
        }
        // The picture held shows the final score: no more ticks will roll the panel's score up to it.
        if (ending) {
            game->shownScore = game->score;
        }
    }

    // The viewer's keys, from the frame's input; false when the player ends the replay.
    bool TakeKeys() {
        InputAction action;
        bool goOn = true;
        while (NextAction(action)) {
            if (action.kind == InputKind::Close) {
                goOn = false;
            } else if (action.kind == InputKind::KeyPress && !action.repeat) {
                if (action.key == InputKey::Escape) {
                    goOn = false;
                } else if (action.key == InputKey::Space) {
                    paused = !paused;
                } else if (action.key == InputKey::Right) {
                    speed = std::min(kMaxSpeed, speed * 2);
                }
            }
        }
        return goOn;
    }

    // One line on stdout when the game's end shows, with what the picture shows: tests wait for it.
    void ReportEnd() const {
        const quz::core::ReplayOutcome shown = quz::core::ReplayOf(*game, {}, "").outcome;
        printf("Replay over at tick %u: score %d, level %d\n", shown.ticks, shown.score, shown.level);
        fflush(stdout);
    }

    // What the viewer is doing, centred in the strip above the panel's logo: the player must tell a
    // replay from play.
    void DrawCaption() const {
        char text[32];
        if (paused) {
            CopyText(text, "REPLAY PAUSE");
        } else {
            FormatText(text, sizeof text, "REPLAY X%d", speed);
        }
        const int width = static_cast<int>(strlen(text)) * kFontAdvance;
        DrawText(Shared.screen, kBoardPixels + (kScreenWidth - kBoardPixels - width) / 2, 0, text,
                 game->fontImage);
    }
};

bool LoadReplayToShow(const std::string& path, quz::core::Replay& replay, std::string& problem) {
    if (!quz::replay::ReadReplayFile(path.c_str(), replay, problem)) {
        return false;
    }
    if (!quz::core::SameRules(replay)) {
        problem = "it was played under rules version " + std::to_string(replay.rulesVersion) +
                  ", and this version of Quz plays rules version " +
                  std::to_string(quz::core::kRulesVersion) + " only";
        return false;
    }
    return true;
}

ReplayViewer* CreateReplayViewer(const quz::core::Replay& replay, int speed) {
    Game* game = CreateGame(quz::core::SettingsOf(replay));
    if (game == nullptr) {
        return nullptr;
    }
    auto* viewer = new ReplayViewer;
    viewer->replay = replay;
    viewer->game = game;
    game->script = viewer->replay.commands;
    viewer->speed = std::clamp(speed, 1, kMaxSpeed);
    return viewer;
}

bool ReplayViewerFrame(ReplayViewer* viewer) {
    if (!viewer->TakeKeys()) {
        return false;
    }
    Game& game = *viewer->game;
    const bool moving = !viewer->paused && !viewer->ending;
    if (moving) {
        const int32_t deltaMs = Shared.frameClock.deltaMs;
        const double fall = deltaMs * viewer->speed / 10.0;
        if (!game.paused) {
            game.doubleTimer -= fall;
            game.addLineTimer -= fall;
            game.pointsTimer -= fall;
        }
        viewer->RunTicks(deltaMs);
        if (!viewer->ending) {
            game.Animate();
        }
    }
    if (!game.Draw()) {
        game.RecoverLostImages();
    }
    viewer->DrawCaption();
    if (viewer->ending) {
        if (viewer->heldMs == 0) {
            viewer->ReportEnd();
        }
        viewer->heldMs += std::max(Shared.frameClock.deltaMs, 1);
    }
    return viewer->heldMs < kEndHoldMs;
}

void DestroyReplayViewer(ReplayViewer* viewer) {
    if (viewer != nullptr) {
        DestroyGame(viewer->game);
        delete viewer;
    }
}
