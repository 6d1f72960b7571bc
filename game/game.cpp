// The play session's frame on the screen: the pointer, keys and window events become commands, the rules
// core steps, its events become sounds and music (and a confirmed name a note for the shell), and what
// only shows moves on (the message panel, the bonus announcements, the music's volume) before the screen
// is drawn.
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

// The accumulator counts real time in sixtieths of a millisecond, so that a tick is exactly 1000 of them.
constexpr int32_t kTickUnits = 1000;
// A tick runs when its time is due within a millisecond: frame times come in whole milliseconds (16, 17,
// 17 at 60 Hz), and without the slack a 60 Hz display would run no tick in one frame and two in the next.
// What runs early is owed back, so the rate over time is exact.
constexpr int32_t kTickDue = kTickUnits - quz::core::kTicksPerSecond;

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

// The session runs as many ticks as the frame's time asks for: one per frame at 60 Hz, one every 2.4
// frames at 144 Hz, at most six after a stall (the frame clock gives no frame more than 100 ms). A paused
// session only takes the commands that end its pause, and its time is not ticked: nothing that shows
// moves on either.
bool Game::PlayFrame() {
    const bool wasPaused = paused;
    if (script.empty()) {
        TakeInput();
    }
    if (!wasPaused) {
        // Before the ticks, so that an announcement made in this frame shows whole.
        const double fall = Shared.frameClock.deltaMs / 10.0;
        doubleTimer -= fall;
        addLineTimer -= fall;
        pointsTimer -= fall;
    }
    RunTicks();
    if (!wasPaused) {
        Animate();
    }
    if (!Draw()) {
        RecoverLostImages();
    }
    return !Over();
}

void Game::RunTicks() {
    if (paused) {
        FeedScript();
        Step();
        PresentEvents();
        tickAccumulator = 0;
        return;
    }
    tickAccumulator += Shared.frameClock.deltaMs * quz::core::kTicksPerSecond;
    while (!Over() && tickAccumulator >= kTickDue) {
        tickAccumulator -= kTickUnits;
        FeedScript();
        Step();
        PresentEvents();
        if (paused) {
            tickAccumulator = 0;
        }
    }
}

void Game::FeedScript() {
    while (scriptNext < script.size() && script[scriptNext].tick <= CurrentTick()) {
        Apply(script[scriptNext++]);
    }
}

void Game::AimPoint(int& x, int& y) const {
    if (keyboardAim) {
        x = cursorColumn * kCellPixels + kCellPixels / 2;
        y = cursorRow * kCellPixels + kCellPixels / 2;
        return;
    }
    PointerPosition(x, y);
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
// keys), then every action of the frame.
void Game::TakeInput() {
    int x = 0;
    int y = 0;
    PointerPosition(x, y);
    if (keyboardAim && (x != aimMouseX || y != aimMouseY)) {
        keyboardAim = false;
        arrowRepeats = false;
    }
    AimPoint(x, y);
    AimAt(CellAt(x, y));
    if (!InputLive() || LevelOver()) {
        arrowRepeats = false;
    }
    if (levelPhase == LevelPhase::NameEntry) {
        nameEntryMs += Shared.frameClock.deltaMs;
    }
    InputAction action;
    while (NextAction(action)) {
        TakeAction(action);
    }
}

// Escape and the pause see an action first; then the close, which the session keeps until it counts;
// outside live input, and while the level message holds, the rest is dropped. The session judges again
// when each command may act.
void Game::TakeAction(const InputAction& action) {
    if (action.kind == InputKind::KeyPress && action.key == InputKey::Escape) {
        TakeEscape();
        return;
    }
    if (TakePauseAction(action)) {
        return;
    }
    if (action.kind == InputKind::Close) {
        Send(CommandKind::Close);
        return;
    }
    if (paused || !InputLive() || messageDelay > 0) {
        return;
    }
    if (levelPhase == LevelPhase::NameEntry) {
        TakeNameKey(action);
    } else if (action.kind == InputKind::ButtonPress) {
        Send(CommandKind::Remove, sentAim);
    } else if (action.kind == InputKind::KeyPress) {
        TakePlayKey(action);
    }
}

// In play and in the fade-in, Escape opens the pause screen, which says that Escape leaves the game; there
// it leaves it. Elsewhere (the level message, the name entry, the close's fade-out) it leaves at once.
void Game::TakeEscape() {
    if (!paused && CanPause()) {
        Send(CommandKind::Pause);
    } else if (paused || InputLive()) {
        Send(CommandKind::GiveUp);
    }
}

// P pauses and resumes; the window losing the input focus (or being minimised) pauses; while paused, a
// click resumes, the close button resumes and then counts as in play, and every other action waits.
bool Game::TakePauseAction(const InputAction& action) {
    const bool pauseKey = action.kind == InputKind::KeyPress && action.key == InputKey::P;
    const bool focusLost = action.kind == InputKind::FocusLost;
    if (!paused) {
        if ((pauseKey || focusLost) && CanPause()) {
            Send(CommandKind::Pause);
            return true;
        }
        return false;
    }
    if (pauseKey) {
        Send(CommandKind::Resume);
        return true;
    }
    if (action.kind == InputKind::ButtonPress) {
        Send(CommandKind::Remove, sentAim);  // a click on the pause screen resumes and removes nothing
        return true;
    }
    return action.kind != InputKind::Close;
}

// Typed characters and Backspace edit the name; Return confirms it once the box has been up long enough.
// Characters beyond the 16-bit plane never fold to a letter of the name.
void Game::TakeNameKey(const InputAction& action) {
    if (action.kind == InputKind::Text && action.character <= 0xFFFF) {
        Send(CommandKind::NameChar, static_cast<uint16_t>(action.character));
    } else if (action.kind == InputKind::KeyPress && action.key == InputKey::Backspace) {
        Send(CommandKind::Backspace);
    } else if (action.kind == InputKind::KeyPress && action.key == InputKey::Return &&
               nameEntryMs >= kNameConfirmDelayMs) {
        Send(CommandKind::Confirm);
    }
}

void Game::TakePlayKey(const InputAction& action) {
    if (action.key == InputKey::Left || action.key == InputKey::Right || action.key == InputKey::Up ||
        action.key == InputKey::Down) {
        if (action.repeat && !arrowRepeats) {
            return;
        }
        MoveCursor(action.key);
        arrowRepeats = true;
    } else if (!action.repeat && (action.key == InputKey::Space || action.key == InputKey::Return)) {
        Send(CommandKind::Remove, sentAim);
    }
}

// The first arrow takes the cursor from the cell under the pointer, when the pointer is over the board.
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
                nameEntryMs = 0;
                PrefillName();
                break;
            case EventKind::NameConfirmed:
                PresentNameConfirmed();
                break;
            case EventKind::Paused:
                arrowRepeats = false;
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
