// The session's step: a fixed list of steps (marking the aimed group, falling, the level message, lines,
// the end-of-level test, the commands, the idle penalty, the rolling score, the fade and its ends), and
// the transitions between the session's phases. Each step reads the phases through the questions of
// session.h; only the transitions at the end of this file change them.
#include "core/session.h"

#include <cstring>

#include "core/timing.h"

namespace quz::core {

namespace {

constexpr int32_t kMaxPendingLines = 15;
constexpr int32_t kFadeOutStart = 255;
constexpr int32_t kFadeOutEnd = -100;  // black enough to swap what is behind the picture
constexpr int32_t kRestartFadeStart = -80;
constexpr int32_t kShown = 256;

}  // namespace

Session::Session(const SessionSettings& settings)
    : decorationRandom(settings.decorationSeed),
      tableFloor(settings.tableFloor),
      settings_(settings) {
    queue_.reserve(16);
    events_.reserve(16);
    FillBoard();
}

void Session::FillBoard() {
    const uint64_t seed = settings_.seed;
    dealRandom.Seed(StreamSeed(seed, level, attempt, RulesStream::Deal));
    pointsRandom.Seed(StreamSeed(seed, level, attempt, RulesStream::Points));
    Fill(dealRandom, decorationRandom);
}

int32_t Session::FadeStep() const {
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

void Session::Apply(const Command& command) {
    queue_.push_back(command);
}

// The order matters: a removal takes the group marked by the first step, on the board as gravity and
// the columns left it; the fade moves before its ends are tested.
void Session::Step() {
    events_.clear();
    if (over_) {
        queue_.clear();
        return;
    }
    if (paused) {
        TakeCommands();
        return;
    }
    holdFade_ = false;
    MarkAim();
    StepGravity();
    StepColumns();
    CountDownLevelMessage();
    DropPendingLines();
    TestLevelEnd();
    TakeCommands();
    ApplyIdlePenalty();
    RollShownScore();
    AdvanceFade();
    FinishStep();
    ++tick_;
}

// The pointer's last cell in this step's commands is where it stands at the step's start: a removal is
// judged on the marks made there, whatever else the step does first.
void Session::MarkAim() {
    for (const Command& command : queue_) {
        if (command.kind == CommandKind::Aim || command.kind == CommandKind::Remove) {
            aimCell = command.arg < kCellCount ? command.arg : kNoCell;
        }
    }
    const int column = aimCell == kNoCell ? -1 : aimCell % kBoardSize;
    const int row = aimCell == kNoCell ? -1 : aimCell / kBoardSize;
    const int n = MarkGroupAtCell(column, row);
    hoverPoints = n * n;
}

void Session::CountDownLevelMessage() {
    if (!LevelOver() || levelPhase == LevelPhase::NameEntry) {
        return;
    }
    messageDelay -= 1;
    if (InputLive() && messageDelay < 0) {
        EndLevelMessage();
    }
}

// A line drops in every 12 ticks while lines are pending, whatever the phase, across level restarts too.
void Session::DropPendingLines() {
    if (linesPending == 0) {
        return;
    }
    lineTimer -= 1;
    if (lineTimer < 0) {
        AddLine(dealRandom);
        linesPending -= 1;
        Emit(EventKind::LineDropped);
        lineTimer = kLineIntervalTicks;
    }
}

void Session::TestLevelEnd() {
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

// Every queued command is taken, in order. The pause sees it first; outside live input, and while the
// level message holds, it is dropped. A paused session stops at the command that ends the pause and
// leaves the rest for the next step, so the split does not depend on how often the presenter steps.
void Session::TakeCommands() {
    size_t taken = 0;
    while (taken < queue_.size()) {
        const Command command = queue_[taken++];
        if (command.kind == CommandKind::Aim || command.kind == CommandKind::Remove) {
            // The aim follows the pointer whatever the phase, as the pointer itself does.
            aimCell = command.arg < kCellCount ? command.arg : kNoCell;
        }
        if (paused) {
            if (TakePausedCommand(command)) {
                break;
            }
            continue;
        }
        TakeCommand(command);
    }
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(taken));
    if (paused) {
        return;
    }
    // The close counts once play resumes: a level's end (its message, the name entry) ends in a fade-out
    // of its own, to the next level, where it then counts, or to the menu, which it asks for anyway.
    if (closePending && InputLive() && !LevelOver()) {
        closePending = false;
        if (fadePhase != FadePhase::FadeOutInPlay) {
            CloseWindowInPlay();
        }
    }
}

// While paused: a resume ends the pause, a give-up leaves the game, the close resumes and then counts as
// in play; everything else is dropped.
bool Session::TakePausedCommand(const Command& command) {
    switch (command.kind) {
        case CommandKind::Resume:
        case CommandKind::Remove:
            Resume();
            return true;
        case CommandKind::GiveUp:
            StartFadeOut();
            return true;
        case CommandKind::Close:
            Resume();
            closePending = true;
            return true;
        default:
            return false;
    }
}

void Session::TakeCommand(const Command& command) {
    switch (command.kind) {
        case CommandKind::Pause:
            if (CanPause()) {
                Pause();
            }
            return;
        case CommandKind::Close:
            closePending = true;
            return;
        case CommandKind::GiveUp:
            // Judged at the step's end, as the held key always was, once the fade has moved.
            giveUpPending = true;
            return;
        default:
            break;
    }
    if (!InputLive() || messageDelay > 0) {
        return;
    }
    if (levelPhase == LevelPhase::NameEntry) {
        TakeNameCommand(command);
    } else if (command.kind == CommandKind::Remove) {
        RemoveGroup();
    }
}

void Session::TakeNameCommand(const Command& command) {
    switch (command.kind) {
        case CommandKind::NameChar:
            AppendNameCharacter(playerName, command.arg);
            break;
        case CommandKind::Backspace:
            EraseNameCharacter(playerName);
            break;
        case CommandKind::Confirm:
            ConfirmName();
            break;
        default:
            break;
    }
}

void Session::ApplyIdlePenalty() {
    if (LevelOver()) {
        return;
    }
    if (timeLeft >= 0) {
        timeLeft -= 1;
        return;
    }
    Emit(EventKind::IdlePenalty, score);
    score -= 100;
    levelPoints -= 100;
    timeLeft = kPenaltyIdleTicks;  // the next 100 points go a second later
}

// The shown score closes an eighth of a large gap per step and a small one point by point; the penalty
// may take the score below 0 for this one step, which the clamp then undoes.
void Session::RollShownScore() {
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

// A level per 5 ms is 3 1/3 levels a tick: counted in thirds, nothing is lost to rounding.
void Session::AdvanceFade() {
    if (!holdFade_) {
        fadeUnits += FadeStep() * kFadeUnitsPerTick;
    }
}

void Session::FinishStep() {
    const bool giveUp = giveUpPending;
    giveUpPending = false;
    if (giveUp && InputLive()) {
        StartFadeOut();
        return;
    }
    if (fadeUnits > 255 * kFadeUnit) {
        FinishFadeIn();
    } else if (fadeUnits <= kFadeOutEnd * kFadeUnit) {
        FinishFadeOut();
    }
}

// ---- Transitions -------------------------------------------------------------------------------------

void Session::AddGroupPoints(int32_t points) {
    if (score <= kScoreCap) {
        score += points;
        levelPoints += points;
    }
}

void Session::RemoveGroup() {
    int n = 0;
    int32_t bonus = kEmptyCell;
    for (int i = 0; i < kCellCount; ++i) {
        if (highlight[i] == 0 || cells[i] == kEmptyCell) {
            continue;
        }
        const int32_t value = cells[i];
        if (value == kDoubleBonus || value == kAddLineBonus || value == kPointsBonus) {
            bonus = value;
        }
        cells[i] = kEmptyCell;
        ++n;
    }
    settleFrames = kSettleTicks;
    if (n == 0) {
        return;
    }
    AddGroupPoints(n * n);
    timeLeft = kRemovalIdleTicks;
    Emit(EventKind::GroupRemoved, n, bonus);
    ScoreBonus(bonus, n);
}

void Session::ScoreBonus(int32_t bonus, int32_t n) {
    switch (bonus) {
        case kDoubleBonus:
            AddGroupPoints(n * n);
            break;
        case kAddLineBonus:
            // The new count replaces what is still pending.
            linesPending = n + 1 < kMaxPendingLines ? n + 1 : kMaxPendingLines;
            break;
        case kPointsBonus: {
            // No cap here: a bonus is paid even above the score cap.
            const int32_t extra = pointsRandom.Next() % 2 == 0 ? 1000 : 500;
            score += extra;
            levelPoints += extra;
            Emit(EventKind::PointsBonus, extra);
            break;
        }
        default:
            break;
    }
}

void Session::Pause() {
    paused = true;
    Emit(EventKind::Paused);
}

void Session::Resume() {
    paused = false;
    Emit(EventKind::Resumed);
}

void Session::EndLevel(BoardOutcome outcome) {
    messageDelay = kMessageTicks;
    if (outcome == BoardOutcome::Cleared) {
        levelPhase = LevelPhase::Won;
        bonus5000Flag = false;
        score += 10000;
        Emit(EventKind::LevelWon, score);
        return;
    }
    bonus5000Flag = levelPoints >= 5000;
    if (lives > 0) {
        levelPhase = LevelPhase::Lost;
        Emit(EventKind::LevelLost, score);
    } else {
        StartGameOver();
    }
}

void Session::StartGameOver() {
    const bool entered = score > tableFloor;
    if (entered) {
        levelPhase = LevelPhase::NameEntry;
        messageDelay = 0;  // typing starts at once
    } else {
        levelPhase = LevelPhase::GameOver;  // the fade-out after its message ends the session
    }
    memset(playerName, 0, sizeof playerName);
    Emit(EventKind::GameOver, score, entered ? 1 : 0);
}

void Session::ConfirmName() {
    Emit(EventKind::NameConfirmed, score);
    StartFadeOut();
    // The fade-out starts with the next tick, as a give-up's does.
    holdFade_ = true;
}

void Session::StartFadeOut() {
    if (paused) {
        Resume();
    }
    fadePhase = FadePhase::FadeOutToMenu;
    SetFadeLevel(kFadeOutStart);
}

void Session::CloseWindowInPlay() {
    paused = false;
    fadePhase = FadePhase::FadeOutInPlay;
    SetFadeLevel(kFadeOutStart);
}

void Session::EndLevelMessage() {
    fadePhase = QuitRequested() ? FadePhase::FadeOutToMenu : FadePhase::FadeOutToNext;
    SetFadeLevel(kFadeOutStart);
}

void Session::FinishFadeIn() {
    fadePhase = FadePhase::Shown;
    SetFadeLevel(kShown);
}

void Session::FinishFadeOut() {
    if (QuitRequested()) {
        over_ = true;
        Emit(EventKind::SessionOver);
        return;
    }
    RestartLevel();
}

// A new board behind the black screen. Score, lives, level, pending lines and the name are kept.
void Session::RestartLevel() {
    if (levelPhase == LevelPhase::Won) {
        ++level;
        attempt = 0;
    }
    if (levelPhase == LevelPhase::Lost) {
        --lives;
        ++attempt;
    }
    messageDelay = 0;
    levelPoints = 0;
    timeLeft = kLevelStartIdleTicks;
    levelPhase = LevelPhase::Playing;
    fadePhase = FadePhase::FadeIn;
    FillBoard();
    SetFadeLevel(kRestartFadeStart);
    Emit(EventKind::LevelRestarted);
}

// ---- State hash --------------------------------------------------------------------------------------

namespace {

// FNV-1a over values fed byte by byte, low byte first, so the digest is the same on every host.
class Digest {
  public:
    void Add(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            hash_ = (hash_ ^ ((value >> (8 * i)) & 0xFF)) * 0x100000001B3ull;
        }
    }
    void Add32(int32_t value) { Add(static_cast<uint32_t>(value), 4); }
    uint64_t Value() const { return hash_; }

  private:
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace

uint64_t Session::StateHash() const {
    Digest digest;
    for (int i = 0; i < kCellCount; ++i) {
        digest.Add32(cells[i]);
        digest.Add(highlight[i], 1);
    }
    digest.Add(dealRandom.State(), 4);
    digest.Add(pointsRandom.State(), 4);
    for (const int32_t value : {fadeUnits, linesPending, lineTimer, messageDelay, hoverPoints, timeLeft, score,
                                shownScore, levelPoints, level, attempt, lives, settleFrames, tableFloor}) {
        digest.Add32(value);
    }
    digest.Add(static_cast<uint8_t>(levelPhase), 1);
    digest.Add(static_cast<uint8_t>(fadePhase), 1);
    digest.Add(aimCell, 2);
    digest.Add((bonus5000Flag ? 1u : 0u) | (closePending ? 2u : 0u) | (paused ? 4u : 0u) | (over_ ? 8u : 0u) |
                   (giveUpPending ? 16u : 0u), 1);
    digest.Add(tick_, 4);
    const size_t nameLength = strnlen(playerName, sizeof playerName);
    digest.Add(nameLength, 1);
    for (size_t i = 0; i < nameLength; ++i) {
        digest.Add(static_cast<unsigned char>(playerName[i]), 1);
    }
    return digest.Value();
}

}  // namespace quz::core
