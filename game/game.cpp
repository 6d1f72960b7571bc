// The play session's frame on the screen: the pointer, keys and window events become commands, the rules
// core steps, its events become sounds, music and the table entry, and what only shows moves on (the
// message panel, the bonus announcements, the music's volume) before the screen is drawn.
#include "game/game.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "game/shared_state.h"
#include "platform/input.h"
#include "platform/text.h"

using quz::core::Command;
using quz::core::CommandKind;
using quz::core::Event;
using quz::core::EventKind;

namespace {

// A held arrow moves the cursor again after a short wait, then steadily.
constexpr int32_t kArrowFirstRepeatMs = 250;
constexpr int32_t kArrowRepeatMs = 70;

bool IsArrow(SDLKey key) {
    return key == SDLK_LEFT || key == SDLK_RIGHT || key == SDLK_UP || key == SDLK_DOWN;
}

}  // namespace

Game* CreateGame(const SessionSettings& settings, const char* mode) {
    Game* game = new Game(settings);
    CopyText(game->mode, mode);
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

// A paused session only takes the commands that end its pause and draws: nothing that shows moves on
// either.
bool Game::PlayFrame() {
    const bool wasPaused = paused;
    TakeInput();
    Step(Shared.frameClock.deltaMs);
    if (!wasPaused) {
        const double fall = Shared.frameClock.deltaMs / 10.0;
        doubleTimer -= fall;
        addLineTimer -= fall;
        pointsTimer -= fall;
    }
    PresentEvents();
    if (!wasPaused) {
        Animate();
    }
    if (!Draw()) {
        RecoverLostImages();
    }
    return !Over();
}

void Game::AimPoint(int& x, int& y) const {
    if (keyboardAim) {
        x = cursorColumn * kCellPixels + kCellPixels / 2;
        y = cursorRow * kCellPixels + kCellPixels / 2;
        return;
    }
    SDL_GetMouseState(&x, &y);
}

void Game::Send(CommandKind kind, uint16_t arg) {
    const Command command{CurrentTick(), kind, arg};
    recorded.push_back(command);
    Apply(command);
}

void Game::AimAt(uint16_t cell) {
    if (cell != sentAim) {
        sentAim = cell;
        Send(CommandKind::Aim, cell);
    }
}

// The aim first, as the pointer stands at the frame's start (moving the mouse hands it back from the
// keys), then every queued event, the held arrow's repeat and Escape, read as a held key so that a press
// is seen even when its event was dropped.
void Game::TakeInput() {
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    if (keyboardAim && (x != aimMouseX || y != aimMouseY)) {
        keyboardAim = false;
        heldArrow = SDLK_UNKNOWN;
    }
    AimPoint(x, y);
    AimAt(CellAt(x, y));
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        TakeEvent(event);
    }
    RepeatHeldArrow();
    SDL_PumpEvents();
    if (GetHeldKeys()[SDLK_ESCAPE] != 0 && (InputLive() || paused)) {
        Send(CommandKind::GiveUp);
    }
}

// P pauses and resumes; the window losing the input focus (or being minimised) pauses; while paused, a
// click resumes and the close button resumes and then counts as in play. The session itself judges when
// each may act.
void Game::TakeEvent(const SDL_Event& event) {
    const bool live = InputLive() && messageDelay <= 0;
    switch (event.type) {
        case SDL_QUIT:
            Send(CommandKind::Close);
            return;
        case SDL_ACTIVEEVENT:
            if (event.active.gain == 0 && (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0 &&
                !paused) {
                Send(CommandKind::Pause);
            }
            return;
        case SDL_MOUSEBUTTONDOWN:
            if (paused || (live && levelPhase != LevelPhase::NameEntry)) {
                Send(CommandKind::Remove, sentAim);
            }
            return;
        case SDL_KEYDOWN:
            break;
        default:
            return;
    }
    if (event.key.keysym.sym == SDLK_p && (paused || CanPause())) {
        Send(paused ? CommandKind::Resume : CommandKind::Pause);
        return;
    }
    if (paused || !live) {
        return;
    }
    if (levelPhase == LevelPhase::NameEntry) {
        TakeNameKey(event.key.keysym.unicode);
    } else {
        TakePlayKey(event.key.keysym.sym);
    }
}

void Game::TakeNameKey(uint16_t unicode) {
    if (unicode == 8) {
        Send(CommandKind::Backspace);
    } else if (unicode == 13 || unicode == 10) {
        Send(CommandKind::Confirm);
    } else if (unicode != 0) {
        Send(CommandKind::NameChar, unicode);
    }
}

void Game::TakePlayKey(SDLKey key) {
    if (IsArrow(key)) {
        MoveCursor(key);
        heldArrow = key;
        arrowRepeatMs = kArrowFirstRepeatMs;
    } else if (key == SDLK_SPACE || key == SDLK_RETURN || key == SDLK_KP_ENTER) {
        Send(CommandKind::Remove, sentAim);
    }
}

// The arrow pressed last repeats while it stays held, during play only.
void Game::RepeatHeldArrow() {
    if (heldArrow == SDLK_UNKNOWN) {
        return;
    }
    if (paused || !InputLive() || LevelOver() || GetHeldKeys()[heldArrow] == 0) {
        heldArrow = SDLK_UNKNOWN;
        return;
    }
    arrowRepeatMs -= Shared.frameClock.deltaMs;
    while (arrowRepeatMs <= 0) {
        MoveCursor(heldArrow);
        arrowRepeatMs += kArrowRepeatMs;
    }
}

// The first arrow takes the cursor from the cell under the pointer, when the pointer is over the board.
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
    AimAt(static_cast<uint16_t>(cursorRow * kBoardSize + cursorColumn));
}

// ---- What the session's events show and sound like ---------------------------------------------------

void Game::PresentEvents() {
    for (const Event& event : Events()) {
        switch (event.kind) {
            case EventKind::GroupRemoved:
                PresentGroup(event.b);
                break;
            case EventKind::PointsBonus:
                lastBonusKind = event.a == 1000 ? BonusKind::Points1000 : BonusKind::Points500;
                pointsSound.Play();
                break;
            case EventKind::LineDropped:
                addLineSound.Play();
                break;
            case EventKind::IdlePenalty:
                if (event.a > 0) {
                    timeSound.Play();
                }
                break;
            case EventKind::LevelWon:
                PresentLevelEnd();
                perfectSound.Play();
                break;
            case EventKind::LevelLost:
                PresentLevelEnd();
                lostSound.Play();
                break;
            case EventKind::GameOver:
                PresentLevelEnd();
                gameOverSound.Play();
                break;
            case EventKind::NameConfirmed:
                PresentNameConfirmed();
                break;
            case EventKind::Paused:
                heldArrow = SDLK_UNKNOWN;
                break;
            case EventKind::LevelRestarted:
                music.Stop();
                FreeImages();
                messageX = -400;
                LoadResources(false);
                break;
            case EventKind::Resumed:
            case EventKind::SessionOver:
                break;
        }
    }
}

void Game::PresentGroup(int32_t bonus) {
    if (bonus != kEmptyCell) {
        doubleTimer = bonus == kDoubleBonus ? 255 : 0;
        addLineTimer = bonus == kAddLineBonus ? 255 : 0;
        pointsTimer = bonus == kPointsBonus ? 255 : 0;
    }
    switch (bonus) {
        case kDoubleBonus:
            lastBonusKind = BonusKind::Double;
            doubleSound.Play();
            break;
        case kAddLineBonus:
            lastBonusKind = BonusKind::AddLine;
            break;
        case kPointsBonus:
            break;  // its kind and sound come with its points
        default:
            bipSound.Play();
            break;
    }
}

void Game::PresentLevelEnd() {
    doubleTimer = addLineTimer = pointsTimer = 0;
    messageX = -400;
}

// What moves on screen with time: the message panel slides in at a pixel per millisecond and the music
// follows the fade.
void Game::Animate() {
    if (LevelOver()) {
        messageX += Shared.frameClock.deltaMs;
        if (messageX > kMessageRestX) {
            messageX = kMessageRestX;
        }
    }
    const int32_t fade = FadeLevel();
    if (fade < 256) {
        music.SetVolume(fade / 2);
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
