// One play session: the Game object (resources, Board and session state), its frame step, its screen and
// the end of a game with name entry. The main loop creates it, calls PlayFrame once per frame and
// destroys it when PlayFrame returns false.
//
// The session's state is two small enums rather than a bag of flags. They are separate because the game
// lets them overlap: closing the window starts a fade-out while play goes on (a level may still end in
// it), and a level may end while its fade-in is still running.
#pragma once

#include <cstdint>

#include "game/board.h"
#include "game/game_resources.h"

// What the level is doing. Every level starts in Playing; its end picks one of the others, and only a
// level restart brings Playing back.
enum class LevelPhase {
    Playing,
    Won,        // the board was cleared: the level number goes up at the restart
    Lost,       // moves ran out with a life left: a life goes at the restart
    GameOver,   // moves ran out with no life left and the score is not good enough for the table
    NameEntry,  // moves ran out with no life left and the score goes into the table: the name is typed
};

// How a game begins: a seed from the clock and the mode "NORMAL", or a given seed and mode (the board of
// the day's).
struct GameStart {
    bool clockSeed = true;
    uint64_t seed = 0;
    char mode[40] = "NORMAL";
};

// Where the picture is going. Input events and Escape count only while Shown or FadeOutInPlay.
enum class FadePhase {
    FadeIn,         // a level is starting
    Shown,          // fully shown
    FadeOutToNext,  // the level message is over: the level restarts when the screen is black
    FadeOutToMenu,  // Escape or a confirmed name: the session ends when the screen is black
    FadeOutInPlay,  // the window was closed: the session ends when the screen is black, play goes on
};

// The last bonus collected; the points announcement shows which of its two values it gave.
enum class BonusKind { None, Double, Points1000, Points500, AddLine };

struct Game : GameResources, Board {
    float fadeLevel = 0;  // 256: fully shown; below 0: black
    LevelPhase levelPhase = LevelPhase::Playing;
    FadePhase fadePhase = FadePhase::FadeIn;
    // Set at a level end without a cleared board when the level made 5000 points or more. Nothing shows
    // it today: the 5000-points line is drawn only beside the won-level message.
    bool bonus5000Flag = false;
    float linesPending = 0;
    float lineTimer = 0;     // ms to the next line while lines are pending
    float messageDelay = 0;  // ms the level-end message stays up
    char playerName[32] = {};
    char mode[40] = "NORMAL";  // the mode its score is sent with
    int32_t hoverPoints = 0;
    int32_t timeLeft = 10000;  // idle timer, ms
    int32_t score = 0;
    int32_t shownScore = 0;
    int32_t levelPoints = 0;
    int32_t level = 1;
    int32_t lives = 3;
    double doubleTimer = 0;  // announcement values: 255 when collected, falling by one per 10 ms
    double addLineTimer = 0;
    double pointsTimer = 0;
    int32_t messageX = -400;
    int32_t settleFrames = 0;  // frames still to wait after a click before the end-of-level test runs again
    BonusKind lastBonusKind = BonusKind::None;
    bool closePending = false;  // the window's close button was pressed while input was ignored
    // Play by keyboard: the arrow keys move a cursor cell that aims in the pointer's place until the
    // mouse moves; Space or Return removes the group it aims at, as a click would.
    bool keyboardAim = false;
    int cursorColumn = kBoardSize / 2;
    int cursorRow = kBoardSize / 2;
    int aimMouseX = 0;  // where the pointer stood when the keys took over
    int aimMouseY = 0;
    SDLKey heldArrow = SDLK_UNKNOWN;  // the arrow that repeats while it is held
    float arrowRepeatMs = 0;          // ms to its next repeat
    // A paused game only draws (the board hidden), reads its input and watches for Escape: no timer,
    // line, fade, announcement or falling block moves on. The music plays on.
    bool paused = false;

    // One frame of the session; false once the session is over.
    bool PlayFrame();
    // Paints the whole game screen onto the Screen (no flip) and changes nothing else. False when the
    // images' video memory was lost: the frame is left unfinished and the images must be reloaded.
    [[nodiscard]] bool Draw() const;

    // The phase questions every step asks.
    bool LevelOver() const { return levelPhase != LevelPhase::Playing; }
    // Clicks, typed keys, the close event and Escape are taken (else they are dropped).
    bool InputLive() const { return fadePhase == FadePhase::Shown || fadePhase == FadePhase::FadeOutInPlay; }
    // The next fade-out ends the session instead of restarting the level.
    bool QuitRequested() const {
        return fadePhase == FadePhase::FadeOutToMenu || fadePhase == FadePhase::FadeOutInPlay ||
               levelPhase == LevelPhase::GameOver;
    }
    // Direction of the fade: +1 in, -1 out, 0 still.
    int32_t FadeStep() const;
    // A level being played, or fading in to be played, can be paused.
    bool CanPause() const {
        return levelPhase == LevelPhase::Playing &&
               (fadePhase == FadePhase::FadeIn || fadePhase == FadePhase::Shown);
    }
    // Where the game aims: the cursor cell's centre under keyboard play, else the pointer.
    void AimPoint(int& x, int& y) const;

    // Steps of PlayFrame, in the order it runs them; open to the tests that drive a session.
    void MarkGroupUnderPointer();
    void CountDownLevelMessage();
    void DropPendingLines();
    void TestLevelEnd();
    void FadeAnnouncements();
    void HandleEvents();
    void RepeatHeldArrow();
    void ApplyIdlePenalty();
    void RollShownScore();
    void Animate();
    void RecoverLostImages();
    bool FinishFrame();

    // The transitions between phases; each is the one place that moves its phase.
    void RemoveGroup();
    void MoveCursor(SDLKey arrow);  // hands the aim to the keys and moves the cursor, stopping at the edges
    void Pause();
    void Resume();
    void EndLevel(BoardOutcome outcome);
    void StartGameOver();
    void EditName(int character);
    void ConfirmName();
    void StartFadeOut();       // to the menu, input off
    void CloseWindowInPlay();  // to the menu, input stays live
    void EndLevelMessage();    // to the next level, or to the menu after a game over
    void FinishFadeIn();
    bool FinishFadeOut();  // false: the session is over
    void RestartLevel();

  private:
    void MarkAim();
    bool TakePauseEvent(const SDL_Event& event);  // true when the event was the pause's
    void TakePlayKey(SDLKey key);
    void ScoreBonus(int32_t bonus, int32_t points, int n);
    void AddGroupPoints(int32_t points);
};

inline constexpr int32_t kScoreCap = 999998;  // group points are added only up to this score
inline constexpr int32_t kMessageRestX = 50;  // the message panel stops here, centred over the board

// A new Game with its start values, a filled Board and every resource loaded (music started).
Game* CreateGame(const GameStart& start = GameStart{});
// Stops the music, frees the images, then the samples (last to first), the music and the Game.
void DestroyGame(Game* game);
