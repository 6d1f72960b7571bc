// One play session on the screen: the Game is the presenter over the rules core's Session. Each frame it
// turns the pointer, keys and window events into commands, runs the ticks real time asks for, turns the
// session's events into sounds and music, moves what only shows (the message panel's slide, the bonus
// announcements, the music's volume) and draws. The main loop creates it, calls PlayFrame once per frame,
// enters a confirmed name in the table, and destroys it when PlayFrame returns false.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/replay_codec.h"
#include "core/session.h"
#include "game/board.h"
#include "game/game_resources.h"
#include "platform/input.h"

using quz::core::FadePhase;
using quz::core::LevelPhase;
using quz::core::SessionSettings;

// The last bonus collected; the points announcement shows which of its two values it gave.
enum class BonusKind { None, Double, Points1000, Points500, AddLine };

struct Game : GameResources, quz::core::Session {
    explicit Game(const SessionSettings& settings = {}) : Session(settings) {}

    double doubleTimer = 0;  // announcement values: 255 when collected, falling by one per 10 ms
    double addLineTimer = 0;
    double pointsTimer = 0;
    int32_t messageX = -400;
    BonusKind lastBonusKind = BonusKind::None;
    // Play by keyboard: the arrow keys move a cursor cell that aims in the pointer's place until the
    // mouse moves; Space or Return removes the group it aims at, as a click would.
    bool keyboardAim = false;
    int cursorColumn = kBoardSize / 2;
    int cursorRow = kBoardSize / 2;
    int aimMouseX = 0;  // where the pointer stood when the keys took over
    int aimMouseY = 0;
    // The input layer repeats a held arrow; its repeats move the cursor only after a press taken in play,
    // so an arrow held through a pause or a level's end does not start moving by itself.
    bool arrowRepeats = false;
    // Time since the name entry opened. Return is not taken before kNameConfirmDelayMs, so a Return meant
    // for the last group cannot confirm a name the player never saw the box for.
    int32_t nameEntryMs = 0;
    int32_t tickAccumulator = 0;  // real time not yet ticked, in sixtieths of a millisecond
    uint16_t sentAim = kNoCell;   // the cell of the last Aim command
    // Every command sent to the session, in order: with Settings() it replays this game.
    std::vector<quz::core::Command> recorded;
    char mode[40] = "NORMAL";  // what its score is sent with: "NORMAL", or "DAILY-YYYYMMDD"
    // The name entry was confirmed in this frame: the shell enters playerName and score in the table.
    bool nameConfirmed = false;
    // The name the entry opens with (the last one this player confirmed), typed in as the player would
    // type it, so that the game's replay holds it; Backspace edits it.
    char prefillName[quz::core::kNameBufferSize] = {};
    // A score above this takes a place in the player's own table: only then does the name entry say "new
    // high score". A game entered for the score server alone (the board of the day, or any game when
    // games are submitted) may not.
    int32_t recordFloor = INT32_MIN;
    // A replay shown in the window: when set, its commands are applied at their ticks and the player's
    // input is not read.
    std::span<const quz::core::Command> script;
    size_t scriptNext = 0;

    // One frame of the session; false once the session is over.
    bool PlayFrame();
    // Paints the whole game screen onto the Screen (no flip) and changes nothing else. False when the
    // images' video memory was lost: the frame is left unfinished and the images must be reloaded.
    [[nodiscard]] bool Draw() const;

    // True once after the frame in which the player confirmed their name.
    bool TakeNameConfirmed();
    // The game as the score server will re-play it: every command so far, and the end the rules reach
    // from here with no more input (after the name, only the fade-out is left).
    quz::core::Replay ConfirmedReplay() const;

    // Where the game aims: the cursor cell's centre under keyboard play, else the pointer.
    void AimPoint(int& x, int& y) const;

    // Steps of PlayFrame, in the order it runs them; open to the tests that drive a session.
    void TakeInput();
    void RunTicks();
    void FeedScript();
    void PresentEvents();
    void Animate();
    void RecoverLostImages();

    void MoveCursor(InputKey arrow);  // hands the aim to the keys and moves the cursor, stopping at the edges

  private:
    void Send(quz::core::CommandKind kind, uint16_t arg = 0);
    void AimAt(uint16_t cell);
    void TakeAction(const InputAction& action);
    bool TakePauseAction(const InputAction& action);  // true when the action was the pause's
    void TakeEscape();
    void TakePlayKey(const InputAction& action);
    void TakeNameKey(const InputAction& action);
    void PresentGroup(int32_t bonus);
    void PresentLevelEnd();
    void PresentNameConfirmed();
    void PrefillName();
};

inline constexpr int32_t kMessageRestX = 50;  // the message panel stops here, centred over the board
inline constexpr int32_t kNameConfirmDelayMs = 500;
using quz::core::kScoreCap;

// A new Game with its start values, a dealt Board and every resource loaded (music started).
// mode is what its score is sent with ("NORMAL", "DAILY-YYYYMMDD").
Game* CreateGame(const SessionSettings& settings, const char* mode = "NORMAL");
// Stops the music, frees the images, then the samples (last to first), the music and the Game.
void DestroyGame(Game* game);
