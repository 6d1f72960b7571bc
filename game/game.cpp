// The play session's frame: a fixed list of steps (group search, falling, lines, the end-of-level test,
// input, the held arrow's repeat, the idle penalty, the rolling score, the animations, drawing, Escape
// and the ends of fades; a paused frame keeps only input, drawing and Escape),
// and the transitions between the session's phases. Each step reads the phases through the questions of
// game.h; only the transitions at the end of this file and in end_of_game.cpp change them.
#include "game/game.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "game/shared_state.h"
#include "platform/input.h"
#include "platform/text.h"

namespace {

constexpr float kLineInterval = 200;
constexpr int32_t kMaxPendingLines = 15;
constexpr int32_t kSettleFrames = 15;
constexpr float kFadeOutStart = 255;
constexpr float kFadeOutEnd = -100;  // black enough to swap what is behind the picture
constexpr float kRestartFadeStart = -80;
// A held arrow moves the cursor again after a short wait, then steadily.
constexpr float kArrowFirstRepeatMs = 250;
constexpr float kArrowRepeatMs = 70;

bool IsArrow(SDLKey key) {
    return key == SDLK_LEFT || key == SDLK_RIGHT || key == SDLK_UP || key == SDLK_DOWN;
}

}  // namespace

Game* CreateGame(const GameStart& start) {
    Game* game = new Game();
    // The rules' stream takes 32 bits: both halves of a given seed reach it.
    game->rulesRandom.Seed(start.clockSeed ? ClockSeed(1)
                                           : static_cast<uint32_t>(start.seed ^ (start.seed >> 32)));
    CopyText(game->mode, start.mode);
    game->decorationRandom.Seed(ClockSeed(2));
    game->FillBoard();
    game->LoadResources(false);
    return game;
}

void DestroyGame(Game* game) {
    if (game == nullptr) {
        return;
    }
    game->music.Stop();
    game->FreeImages();
    // The samples are declared after the music, so they are destroyed first, from the last to the first.
    delete game;
}

int32_t Game::FadeStep() const {
    switch (fadePhase) {
        case FadePhase::FadeIn:
            return 1;
        case FadePhase::Shown:
            return 0;
        case FadePhase::FadeOutToNext:
        case FadePhase::FadeOutToMenu:
        case FadePhase::FadeOutInPlay:
            break;
    }
    return -1;
}

// The order matters: the click of HandleEvents removes the group marked by the first step, on the board
// as gravity and the columns left it; Animate moves the fade that FinishFrame then tests. A paused frame
// only takes input, draws and watches for Escape, so nothing of the game moves on.
bool Game::PlayFrame() {
    if (paused) {
        HandleEvents();
        if (!Draw()) {
            RecoverLostImages();
        }
        return FinishFrame();
    }
    MarkGroupUnderPointer();
    StepGravity();
    StepColumns();
    CountDownLevelMessage();
    DropPendingLines();
    TestLevelEnd();
    FadeAnnouncements();
    HandleEvents();
    RepeatHeldArrow();
    ApplyIdlePenalty();
    RollShownScore();
    Animate();
    if (!Draw()) {
        RecoverLostImages();
    }
    return FinishFrame();
}

void Game::AimPoint(int& x, int& y) const {
    if (keyboardAim) {
        x = cursorColumn * kCellPixels + kCellPixels / 2;
        y = cursorRow * kCellPixels + kCellPixels / 2;
        return;
    }
    SDL_GetMouseState(&x, &y);
}

// Moving the mouse hands the aim back to the pointer.
void Game::MarkGroupUnderPointer() {
    if (keyboardAim) {
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        if (x != aimMouseX || y != aimMouseY) {
            keyboardAim = false;
            heldArrow = SDLK_UNKNOWN;
        }
    }
    MarkAim();
}

void Game::MarkAim() {
    int x = 0;
    int y = 0;
    AimPoint(x, y);
    const int n = MarkGroupAt(x, y);
    hoverPoints = n * n;
}

void Game::CountDownLevelMessage() {
    if (!LevelOver() || levelPhase == LevelPhase::NameEntry) {
        return;
    }
    messageDelay -= static_cast<float>(Shared.frameClock.deltaMs);
    if (InputLive() && messageDelay < 0) {
        EndLevelMessage();
    }
}

// A line drops in every 200 ms while lines are pending, whatever the phase, across level restarts too.
void Game::DropPendingLines() {
    if (linesPending == 0) {
        return;
    }
    lineTimer -= static_cast<float>(Shared.frameClock.deltaMs);
    if (lineTimer < 0) {
        AddLine();
        linesPending -= 1;
        addLineSound.Play();
        lineTimer = kLineInterval;
    }
}

void Game::TestLevelEnd() {
    if (settleFrames > 0) {
        --settleFrames;
        return;
    }
    if (LevelOver()) {
        return;
    }
    const BoardOutcome outcome = CheckBoard();
    if (outcome != BoardOutcome::MovesLeft) {
        EndLevel(outcome);
    }
}

void Game::FadeAnnouncements() {
    const double fall = Shared.frameClock.deltaMs / 10.0;
    doubleTimer -= fall;
    addLineTimer -= fall;
    pointsTimer -= fall;
}

// Every queued event is taken. The pause sees it first; outside live input, and while the level message
// holds, it is dropped.
void Game::HandleEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (TakePauseEvent(event)) {
            continue;
        }
        if (event.type == SDL_QUIT) {
            // The close button is never lost: while input is ignored it waits until it counts.
            closePending = true;
            continue;
        }
        if (!InputLive() || messageDelay > 0) {
            continue;
        }
        if (levelPhase == LevelPhase::NameEntry) {
            if (event.type == SDL_KEYDOWN) {
                EditName(event.key.keysym.unicode);
            }
        } else if (event.type == SDL_MOUSEBUTTONDOWN) {
            RemoveGroup();
        } else if (event.type == SDL_KEYDOWN) {
            TakePlayKey(event.key.keysym.sym);
        }
    }
    // It counts once play resumes: a level's end (its message, the name entry) ends in a fade-out of its
    // own, to the next level, where it then counts, or to the menu, which is what it asks for anyway.
    if (closePending && InputLive() && !LevelOver()) {
        closePending = false;
        if (fadePhase != FadePhase::FadeOutInPlay) {
            CloseWindowInPlay();
        }
    }
}

// P pauses and resumes; the window losing the input focus (or being minimised) pauses; while paused, a
// click resumes, the close button resumes and then counts as in play, and every other event waits.
bool Game::TakePauseEvent(const SDL_Event& event) {
    const bool pauseKey = event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_p;
    const bool focusLost = event.type == SDL_ACTIVEEVENT && event.active.gain == 0 &&
                           (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0;
    if (!paused) {
        if ((pauseKey || focusLost) && CanPause()) {
            Pause();
            return true;
        }
        return false;
    }
    if (pauseKey || event.type == SDL_MOUSEBUTTONDOWN) {
        Resume();
        return true;
    }
    if (event.type == SDL_QUIT) {
        Resume();
        return false;
    }
    return true;
}

void Game::TakePlayKey(SDLKey key) {
    if (IsArrow(key)) {
        MoveCursor(key);
        heldArrow = key;
        arrowRepeatMs = kArrowFirstRepeatMs;
    } else if (key == SDLK_SPACE || key == SDLK_RETURN || key == SDLK_KP_ENTER) {
        RemoveGroup();
    }
}

// The arrow pressed last repeats while it stays held, during play only.
void Game::RepeatHeldArrow() {
    if (heldArrow == SDLK_UNKNOWN) {
        return;
    }
    if (!InputLive() || LevelOver() || GetHeldKeys()[heldArrow] == 0) {
        heldArrow = SDLK_UNKNOWN;
        return;
    }
    arrowRepeatMs -= static_cast<float>(Shared.frameClock.deltaMs);
    while (arrowRepeatMs <= 0) {
        MoveCursor(heldArrow);
        arrowRepeatMs += kArrowRepeatMs;
    }
}

void Game::ApplyIdlePenalty() {
    if (LevelOver()) {
        return;
    }
    if (timeLeft >= 0) {
        timeLeft -= Shared.frameClock.deltaMs;
        return;
    }
    if (score > 0) {
        timeSound.Play();
    }
    score -= 100;
    levelPoints -= 100;
    timeLeft = 999;  // the next 100 points go about a second later
}

// The shown score closes an eighth of a large gap per frame and a small one point by point; the penalty
// may take the score below 0 for this one step, which the clamp then undoes.
void Game::RollShownScore() {
    int32_t shown = shownScore;
    if (shown < score - 8) {
        shown += (score - shown) / 8;
    } else if (shown < score) {
        shown += 1;
    }
    if (shown > score + 8) {
        shown -= (shown - score) / 8;
    } else if (shown > score) {
        shown -= 1;
    }
    shownScore = shown < 0 ? 0 : shown;
    if (score < 0) {
        score = 0;
        levelPoints = 0;
    }
}

// What moves on screen with time: the message panel slides in at a pixel per millisecond, the fade
// moves a level per 5 ms and the music follows it.
void Game::Animate() {
    if (LevelOver()) {
        messageX += Shared.frameClock.deltaMs;
        if (messageX > kMessageRestX) {
            messageX = kMessageRestX;
        }
    }
    fadeLevel = static_cast<float>(fadeLevel + (FadeStep() * Shared.frameClock.deltaMs) / 5.0);
    if (fadeLevel < 256) {
        music.SetVolume(static_cast<int>(fadeLevel * 0.5f));
    }
}

// The images lived in video memory that was taken away (a mode switch elsewhere): wait until the display
// is back and load them again.
void Game::RecoverLostImages() {
    fprintf(stderr, "RESTORING GAME\n");
    SDL_Delay(100);
    SDL_WaitEvent(nullptr);
    FreeImages();
    LoadResources(true);
}

// Escape, then the ends of the fades. Escape is read as a held key, after drawing, so a press is seen
// even when its event was dropped.
bool Game::FinishFrame() {
    SDL_PumpEvents();
    const Uint8* keys = GetHeldKeys();
    if (InputLive() && keys[SDLK_ESCAPE] != 0) {
        StartFadeOut();
        return true;
    }
    if (fadeLevel > 255) {
        FinishFadeIn();
        return true;
    }
    if (fadeLevel <= kFadeOutEnd) {
        return FinishFadeOut();
    }
    return true;
}

// ---- Transitions -------------------------------------------------------------------------------------

void Game::AddGroupPoints(int32_t points) {
    if (score <= kScoreCap) {
        score += points;
        levelPoints += points;
    }
}

void Game::RemoveGroup() {
    int n = 0;
    int32_t bonus = kEmptyCell;
    for (int i = 0; i < kCellCount; ++i) {
        if (highlight[i] == 0 || cells[i] == kEmptyCell) {
            continue;
        }
        const int32_t value = cells[i];
        if (value == kDoubleBonus || value == kAddLineBonus || value == kPointsBonus) {
            bonus = value;
            doubleTimer = value == kDoubleBonus ? 255 : 0;
            addLineTimer = value == kAddLineBonus ? 255 : 0;
            pointsTimer = value == kPointsBonus ? 255 : 0;
        }
        cells[i] = kEmptyCell;
        ++n;
    }
    settleFrames = kSettleFrames;
    if (n == 0) {
        return;
    }
    const int32_t points = n * n;
    AddGroupPoints(points);
    timeLeft = 4000;
    ScoreBonus(bonus, points, n);
}

// The first arrow takes the cursor from the cell under the pointer, when the pointer is over the board.
// The group under the cursor is marked at once, so that Space in the same frame removes that one.
void Game::MoveCursor(SDLKey arrow) {
    if (!keyboardAim) {
        SDL_GetMouseState(&aimMouseX, &aimMouseY);
        if (aimMouseX >= 0 && aimMouseX < kBoardPixels && aimMouseY >= 0 && aimMouseY < kBoardPixels) {
            cursorColumn = aimMouseX / kCellPixels;
            cursorRow = aimMouseY / kCellPixels;
        }
        keyboardAim = true;
    }
    const int dx = arrow == SDLK_LEFT ? -1 : (arrow == SDLK_RIGHT ? 1 : 0);
    const int dy = arrow == SDLK_UP ? -1 : (arrow == SDLK_DOWN ? 1 : 0);
    cursorColumn = std::clamp(cursorColumn + dx, 0, kBoardSize - 1);
    cursorRow = std::clamp(cursorRow + dy, 0, kBoardSize - 1);
    MarkAim();
}

void Game::Pause() {
    paused = true;
    heldArrow = SDLK_UNKNOWN;
}

void Game::Resume() {
    paused = false;
}

void Game::ScoreBonus(int32_t bonus, int32_t points, int n) {
    switch (bonus) {
        case kDoubleBonus:
            AddGroupPoints(points);
            lastBonusKind = BonusKind::Double;
            doubleSound.Play();
            break;
        case kAddLineBonus:
            // The new count replaces what is still pending.
            linesPending = static_cast<float>(n + 1 < kMaxPendingLines ? n + 1 : kMaxPendingLines);
            lastBonusKind = BonusKind::AddLine;
            break;
        case kPointsBonus: {
            // No cap here: a bonus is paid even above the score cap.
            const bool thousand = rulesRandom.Next() % 2 == 0;
            const int32_t extra = thousand ? 1000 : 500;
            score += extra;
            levelPoints += extra;
            lastBonusKind = thousand ? BonusKind::Points1000 : BonusKind::Points500;
            pointsSound.Play();
            break;
        }
        default:
            bipSound.Play();
            break;
    }
}

void Game::EndLevel(BoardOutcome outcome) {
    messageDelay = 5000;
    doubleTimer = addLineTimer = pointsTimer = 0;
    messageX = -400;
    if (outcome == BoardOutcome::Cleared) {
        levelPhase = LevelPhase::Won;
        bonus5000Flag = false;
        perfectSound.Play();
        score += 10000;
        return;
    }
    bonus5000Flag = levelPoints >= 5000;
    if (lives > 0) {
        levelPhase = LevelPhase::Lost;
        lostSound.Play();
    } else {
        StartGameOver();
    }
}

void Game::StartFadeOut() {
    paused = false;
    fadePhase = FadePhase::FadeOutToMenu;
    fadeLevel = kFadeOutStart;
}

void Game::CloseWindowInPlay() {
    paused = false;
    fadePhase = FadePhase::FadeOutInPlay;
    fadeLevel = kFadeOutStart;
}

void Game::EndLevelMessage() {
    fadePhase = QuitRequested() ? FadePhase::FadeOutToMenu : FadePhase::FadeOutToNext;
    fadeLevel = kFadeOutStart;
}

void Game::FinishFadeIn() {
    fadePhase = FadePhase::Shown;
    fadeLevel = 256;
}

bool Game::FinishFadeOut() {
    if (QuitRequested()) {
        return false;
    }
    RestartLevel();
    return true;
}

// A new board behind the black screen. Score, lives, level, pending lines and the name are kept.
void Game::RestartLevel() {
    if (levelPhase == LevelPhase::Won) {
        ++level;
    }
    if (levelPhase == LevelPhase::Lost) {
        --lives;
    }
    music.Stop();
    FreeImages();
    messageDelay = 0;
    levelPoints = 0;
    messageX = -400;
    timeLeft = 10000;
    levelPhase = LevelPhase::Playing;
    fadePhase = FadePhase::FadeIn;
    FillBoard();
    LoadResources(false);
    fadeLevel = kRestartFadeStart;
}
