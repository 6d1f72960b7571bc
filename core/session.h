// One play session as a pure simulation: the Board, the random streams and the session's state, advanced
// one step at a time by Step and steered only by Commands. It draws nothing, plays nothing and reads no
// clock: what a player should see or hear comes out as Events, which the presenter turns into sounds,
// music and table entries. The same settings and commands give the same game wherever it runs.
//
// The session's state is two small enums rather than a bag of flags. They are separate because the game
// lets them overlap: closing the window starts a fade-out while play goes on (a level may still end in
// it), and a level may end while its fade-in is still running.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/board.h"
#include "core/command.h"
#include "core/name_rules.h"
#include "core/random_stream.h"

namespace quz::core {

// What the level is doing. Every level starts in Playing; its end picks one of the others, and only a
// level restart brings Playing back.
enum class LevelPhase : uint8_t {
    Playing,
    Won,        // the board was cleared: the level number goes up at the restart
    Lost,       // moves ran out with a life left: a life goes at the restart
    GameOver,   // moves ran out with no life left and the score is not good enough for the table
    NameEntry,  // moves ran out with no life left and the score goes into the table: the name is typed
};

// Where the picture is going. Commands count only while Shown or FadeOutInPlay.
enum class FadePhase : uint8_t {
    FadeIn,         // a level is starting
    Shown,          // fully shown
    FadeOutToNext,  // the level message is over: the level restarts when the screen is black
    FadeOutToMenu,  // a give-up or a confirmed name: the session ends when the screen is black
    FadeOutInPlay,  // the window was closed: the session ends when the screen is black, play goes on
};

enum class EventKind : uint8_t {
    GroupRemoved,   // a: blocks removed, b: the bonus cell value the group held (0: none)
    PointsBonus,    // a: the points the points bonus gave (500 or 1000)
    LineDropped,    // a new line came in at the top
    IdlePenalty,    // a: the score before the 100 points went
    LevelWon,       // a: the score
    LevelLost,      // a: the score
    GameOver,       // a: the score, b: 1 when the name entry opens
    NameConfirmed,  // a: the score; the name is playerName
    Paused,
    Resumed,
    LevelRestarted,  // a new board behind the black screen
    SessionOver,
};

struct Event {
    EventKind kind;
    int32_t a = 0;
    int32_t b = 0;
};

struct SessionSettings {
    uint64_t seed = 0;            // the game's one seed: every deal and the points bonus come from it
    int32_t tableFloor = 0;       // lowest score of the high-score table: a final score above it is entered
    uint32_t decorationSeed = 1;  // animation phases only: never part of the rules
};

inline constexpr int32_t kScoreCap = 999998;  // group points are added only up to this score

struct Session : Board {
    explicit Session(const SessionSettings& settings = {});

    // Queues a command for the next Step (stamp it with CurrentTick()).
    void Apply(const Command& command);
    // One step of play, elapsedMs long. While paused only the commands that end the pause are taken (the
    // rest of the queue waits for the next step) and nothing moves.
    void Step(int32_t elapsedMs);
    // The events of the last Step.
    std::span<const Event> Events() const { return events_; }
    bool Over() const { return over_; }
    // What the session was started with (a replay's header).
    const SessionSettings& Settings() const { return settings_; }
    Tick CurrentTick() const { return tick_; }
    // A digest of every rule-relevant value (not the decoration), the same on every platform.
    uint64_t StateHash() const;

    // The phase questions every step asks.
    bool LevelOver() const { return levelPhase != LevelPhase::Playing; }
    // Commands are taken (else they are dropped).
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
    // The fade's level: 256 fully shown, below 0 black. Kept in fifths of a level so that it moves by
    // whole numbers.
    int32_t FadeLevel() const { return fadeFifths / kFadeUnit; }
    void SetFadeLevel(int32_t value) { fadeFifths = value * kFadeUnit; }
    // Deals a new board from the rules stream (animation phases from the decoration's).
    void FillBoard() { Fill(rulesRandom, decorationRandom); }

    static constexpr int32_t kFadeUnit = 5;

    RandomStream rulesRandom;       // colours, bonus places and the points bonus
    RandomStream decorationRandom;  // animation phases only
    int32_t fadeFifths = 0;
    LevelPhase levelPhase = LevelPhase::Playing;
    FadePhase fadePhase = FadePhase::FadeIn;
    // Set at a level end without a cleared board when the level made 5000 points or more. Nothing shows
    // it today: the 5000-points line is drawn only beside the won-level message.
    bool bonus5000Flag = false;
    int32_t linesPending = 0;
    int32_t lineTimer = 0;     // ms to the next line while lines are pending
    int32_t messageDelay = 0;  // ms the level-end message stays up
    char playerName[kNameBufferSize] = {};
    int32_t hoverPoints = 0;
    int32_t timeLeft = 10000;  // idle timer, ms
    int32_t score = 0;
    int32_t shownScore = 0;
    int32_t levelPoints = 0;
    int32_t level = 1;
    int32_t lives = 3;
    int32_t settleFrames = 0;  // steps still to wait after a removal before the end-of-level test runs again
    uint16_t aimCell = kNoCell;  // the cell whose group is marked at the start of every step
    bool closePending = false;   // the window's close came while commands were ignored
    bool giveUpPending = false;  // a give-up taken this step, judged at its end
    // A paused session stands still: no timer, line, fade or falling block moves on.
    bool paused = false;
    int32_t tableFloor = 0;

    // The steps of one Step, in the order it runs them; open to the tests.
    void MarkAim();
    void CountDownLevelMessage();
    void DropPendingLines();
    void TestLevelEnd();
    void TakeCommands();
    void ApplyIdlePenalty();
    void RollShownScore();
    void AdvanceFade();
    void FinishStep();

    // The transitions between phases; each is the one place that moves its phase.
    void RemoveGroup();
    void Pause();
    void Resume();
    void EndLevel(BoardOutcome outcome);
    void StartGameOver();
    void ConfirmName();
    void StartFadeOut();       // to the menu, input off
    void CloseWindowInPlay();  // to the menu, input stays live
    void EndLevelMessage();    // to the next level, or to the menu after a game over
    void FinishFadeIn();
    void FinishFadeOut();
    void RestartLevel();

  private:
    void TakeCommand(const Command& command);
    bool TakePausedCommand(const Command& command);  // true when it ended the pause
    void TakeNameCommand(const Command& command);
    void AddGroupPoints(int32_t points);
    void ScoreBonus(int32_t bonus, int32_t n);
    void Emit(EventKind kind, int32_t a = 0, int32_t b = 0) { events_.push_back({kind, a, b}); }

    SessionSettings settings_;
    std::vector<Command> queue_;
    std::vector<Event> events_;
    int32_t elapsedMs_ = 0;
    Tick tick_ = 0;
    bool over_ = false;
};

}  // namespace quz::core
