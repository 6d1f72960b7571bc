// The play session's frame: a fixed list of steps (group search, falling, lines, the end-of-level test,
// input, the idle penalty, the rolling score, the animations, drawing and the ends of fades; a paused
// frame keeps only input and drawing),
// and the transitions between the session's phases. Each step reads the phases through the questions of
// game.h; only the transitions at the end of this file and in end_of_game.cpp change them.
#include "game/game.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "game/shared_state.h"
#include "platform/input.h"

namespace {

constexpr float kLineInterval = 200;
constexpr int32_t kMaxPendingLines = 15;
constexpr int32_t kSettleFrames = 15;
constexpr float kFadeOutStart = 255;
constexpr float kFadeOutEnd = -100;  // black enough to swap what is behind the picture
constexpr float kRestartFadeStart = -80;

bool IsArrow(InputKey key) {
    return key == InputKey::Left || key == InputKey::Right || key == InputKey::Up || key == InputKey::Down;
}

}  // namespace

Game* CreateGame() {
    Game* game = new Game();
    game->rulesRandom.Seed(ClockSeed(1));
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
// only takes input and draws, so nothing of the game moves on.
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
    PointerPosition(x, y);
}

// Moving the mouse hands the aim back to the pointer.
void Game::MarkGroupUnderPointer() {
    if (keyboardAim) {
        int x = 0;
        int y = 0;
        PointerPosition(x, y);
        if (x != aimMouseX || y != aimMouseY) {
            keyboardAim = false;
            arrowRepeats = false;
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
    if (levelPhase == LevelPhase::NameEntry) {
        nameEntryMs += Shared.frameClock.deltaMs;
        return;
    }
    if (!LevelOver()) {
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

// Every action of the frame is taken. Escape and the pause see it first; outside live input, and while
// the level message holds, the rest is dropped.
void Game::HandleEvents() {
    if (!InputLive() || LevelOver()) {
        arrowRepeats = false;
    }
    InputAction action;
    while (NextAction(action)) {
        if (action.kind == InputKind::KeyPress && action.key == InputKey::Escape) {
            TakeEscape();
            continue;
        }
        if (TakePauseAction(action)) {
            continue;
        }
        if (action.kind == InputKind::Close) {
            // The close button is never lost: while input is ignored it waits until it counts.
            closePending = true;
            continue;
        }
        if (!InputLive() || messageDelay > 0) {
            continue;
        }
        if (levelPhase == LevelPhase::NameEntry) {
            TakeNameKey(action);
        } else if (action.kind == InputKind::ButtonPress) {
            RemoveGroup();
        } else if (action.kind == InputKind::KeyPress) {
            TakePlayKey(action);
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

// In play and in the fade-in, Escape opens the pause screen, which says that Escape leaves the game; there
// it leaves it. Elsewhere (the level message, the name entry, the close's fade-out) it leaves at once.
void Game::TakeEscape() {
    if (!paused && CanPause()) {
        Pause();
    } else if (paused || InputLive()) {
        StartFadeOut();
    }
}

// P pauses and resumes; the window losing the input focus (or being minimised) pauses; while paused, a
// click resumes, the close button resumes and then counts as in play, and every other action waits.
bool Game::TakePauseAction(const InputAction& action) {
    const bool pauseKey = action.kind == InputKind::KeyPress && action.key == InputKey::P;
    const bool focusLost = action.kind == InputKind::FocusLost;
    if (!paused) {
        if ((pauseKey || focusLost) && CanPause()) {
            Pause();
            return true;
        }
        return false;
    }
    if (pauseKey || action.kind == InputKind::ButtonPress) {
        Resume();
        return true;
    }
    if (action.kind == InputKind::Close) {
        Resume();
        return false;
    }
    return true;
}

// Typed characters and Backspace edit the name; Return confirms it once the box has been up long enough.
void Game::TakeNameKey(const InputAction& action) {
    if (action.kind == InputKind::Text) {
        EditName(static_cast<int>(action.character));
    } else if (action.kind == InputKind::KeyPress && action.key == InputKey::Backspace) {
        EditName(8);
    } else if (action.kind == InputKind::KeyPress && action.key == InputKey::Return &&
               nameEntryMs >= kNameConfirmDelayMs) {
        ConfirmName();
    }
}

void Game::TakePlayKey(const InputAction& action) {
    if (IsArrow(action.key)) {
        if (action.repeat && !arrowRepeats) {
            return;
        }
        MoveCursor(action.key);
        arrowRepeats = true;
    } else if (!action.repeat && (action.key == InputKey::Space || action.key == InputKey::Return)) {
        RemoveGroup();
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

// The ends of the fades.
bool Game::FinishFrame() {
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
void Game::MoveCursor(InputKey arrow) {
    if (!keyboardAim) {
        PointerPosition(aimMouseX, aimMouseY);
        if (aimMouseX >= 0 && aimMouseX < kBoardPixels && aimMouseY >= 0 && aimMouseY < kBoardPixels) {
            cursorColumn = aimMouseX / kCellPixels;
            cursorRow = aimMouseY / kCellPixels;
        }
        keyboardAim = true;
    }
    const int dx = arrow == InputKey::Left ? -1 : (arrow == InputKey::Right ? 1 : 0);
    const int dy = arrow == InputKey::Up ? -1 : (arrow == InputKey::Down ? 1 : 0);
    cursorColumn = std::clamp(cursorColumn + dx, 0, kBoardSize - 1);
    cursorRow = std::clamp(cursorRow + dy, 0, kBoardSize - 1);
    MarkAim();
}

void Game::Pause() {
    paused = true;
    arrowRepeats = false;
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
