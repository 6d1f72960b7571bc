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
#include "core/timing.h"

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
    // One tick of play (1/60 s). While paused only the commands that end the pause are taken (the rest of
    // the queue waits for the next step), nothing moves and the tick is not counted.
    void Step();
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
    // The fade's level: 256 fully shown, below 0 black. Kept in thirds of a level so that it moves by
    // whole numbers.
    int32_t FadeLevel() const { return fadeUnits / kFadeUnit; }
    void SetFadeLevel(int32_t value) { fadeUnits = value * kFadeUnit; }
    // Commands wait for the next step.
    bool HasQueued() const { return !queue_.empty(); }
    // Deals the board of this level and attempt from its own streams (animation phases from the
    // decoration's).
    void FillBoard();

    RandomStream dealRandom;        // this deal's colours and bonus places, then its dropping lines
    RandomStream pointsRandom;      // this deal's points bonuses
    RandomStream decorationRandom;  // animation phases only
    int32_t fadeUnits = 0;
    LevelPhase levelPhase = LevelPhase::Playing;
    FadePhase fadePhase = FadePhase::FadeIn;
    // Set at a level end without a cleared board when the level made 5000 points or more. Nothing shows
    // it today: the 5000-points line is drawn only beside the won-level message.
    bool bonus5000Flag = false;
    int32_t linesPending = 0;
    int32_t lineTimer = 0;     // ticks to the next line while lines are pending
    int32_t messageDelay = 0;  // ticks the level-end message stays up
    char playerName[kNameBufferSize] = {};
    int32_t hoverPoints = 0;
    int32_t timeLeft = kLevelStartIdleTicks;  // idle timer, ticks
    int32_t score = 0;
    int32_t shownScore = 0;
    int32_t levelPoints = 0;
    int32_t level = 1;
    int32_t attempt = 0;  // deals of this level before this one (lost levels played again)
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
    bool holdFade_ = false;
    Tick tick_ = 0;
    bool over_ = false;
};

// The end of a headless run.
struct RunResult {
    Tick ticks = 0;
    int32_t score = 0;
    int32_t level = 0;
    bool over = false;
    // False when a command's tick was earlier than the tick it came at, or later while the session stood
    // paused: the game never stamps such a list.
    bool wellFormed = true;
    uint64_t stateHash = 0;
};

// Plays a command list (in tick order) on a new session until the session is over or `lastTick` ticks
// have run (at most kTickCap). It always stops: every step runs a tick or takes a command.
RunResult RunCommands(const SessionSettings& settings, std::span<const Command> commands, Tick lastTick);
// The same on a session the caller made (new, from the game's settings), which keeps the end state: the
// board a replay ends on, for one.
RunResult RunCommandsOn(Session& session, std::span<const Command> commands, Tick lastTick);

}  // namespace quz::core
