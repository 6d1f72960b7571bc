// Sending finished scores without ever holding up the game. A thread of its own sends them one at a
// time, and every score waits in an outbox (a per-user file) until it has been sent, so a score server
// that is down, slow or unreachable costs the player neither a frozen screen nor the score. That thread
// touches nothing but the network code and the sender's own queue, files and results.
//
// A game with a replay goes as a verified submission (POST <Submit>/api/games); a server that has no such
// endpoint gets the old message instead, and so does a score without a replay or with Submit=off. What
// became of each score queued in this run comes back through a queue of results that the menu reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/outbox_file.h"
#include "net/score_client.h"

// How long a send still in flight may hold up the end of the program.
inline constexpr int kQuitGraceMs = 1000;
// The name a refused game's replay is kept under ends so.
inline constexpr char kRefusedReplaySuffix[] = ".quzr";
// Results nobody has read yet; the oldest go first (the menu only wants the latest game's).
inline constexpr size_t kResultLimit = 32;

struct ScoreSenderConfig {
    ScoreSettings settings;  // where and how the outbox is sent until the next score brings its own
    bool off = false;        // Server=off and Submit=off: nothing is sent, no outbox is read or written
    std::string outboxPath;  // "" keeps the outbox in memory only
    // Where the replay of a game the server refused is kept for the player ("" keeps none).
    std::string refusedFolder;
};

// What became of a score queued in this run, by its ticket.
enum class SubmissionState {
    Verified,  // stored by the server after re-playing it; rank and of may tell where it stands
    Stored,    // stored but not verified (reason says why)
    Sent,      // the old message went out
    Kept,      // not sent now: waits in the outbox for the next round
    Refused,   // the server will not take it (reason says why); not retried
};

struct SubmissionResult {
    uint64_t ticket = 0;
    SubmissionState state = SubmissionState::Kept;
    bool daily = false;
    int rank = 0;  // 0: the server gave none
    int of = 0;
    std::string reason;
};

// Which way a pending score goes with the settings in force.
enum class SendRoute { Submission, Message, None };
// apiMissing: this run has learned that the server has no /api/games.
SendRoute RouteFor(const PendingScore& score, const ScoreSettings& settings, bool apiMissing);

class ScoreSender {
  public:
    ScoreSender() = default;
    ~ScoreSender();
    ScoreSender(const ScoreSender&) = delete;
    ScoreSender& operator=(const ScoreSender&) = delete;

    // Reads the outbox and starts the thread, which sends what the outbox held at once, oldest first. A
    // sender that was running is stopped first, without a grace.
    void Start(const ScoreSenderConfig& config);

    // Puts a score in the outbox and starts a round of sending, oldest first, until one fails or every
    // score that can go has gone. Returns at once: the thread writes the outbox file before it sends
    // anything, and after each score that went out. Each send that fails prints "Score not sent...". A
    // full outbox drops its oldest score, with a line on stderr. A non-empty replay makes it a verified
    // submission. The result is the score's ticket (0 when nothing is sent at all).
    uint64_t Queue(const ScoreSettings& settings, const char* name, const char* mode, int32_t score,
                   bool variant, std::vector<uint8_t> replay = {});

    // Ends the thread. A send in flight gets at most graceMs to finish; after that the thread is left to
    // end by itself (a name look-up cannot be cancelled), touching nothing of ours again, and its score
    // stays in the outbox. True when the thread ended within the grace.
    bool Stop(int graceMs);

    // The results that came since the last call, oldest first.
    std::vector<SubmissionResult> TakeResults();

    // The sender's own state.
    bool Running() const;
    bool Busy() const;                  // a round of sending is due or a send is under way
    bool Sending() const;               // a look-up, connect or send is under way right now
    bool WaitUntilIdle(int timeoutMs);  // false if still busy after timeoutMs
    std::vector<PendingScore> Outbox() const;
    int SendsStarted() const;
    int SendsFailed() const;

  private:
    struct Shared;
    // The thread's body; it holds its own reference to the shared state, which outlives a sender that
    // gave up waiting for it.
    static void Run(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared;
    std::thread thread;
};

// The game's one sender. QueueScore and QueueGame send with CurrentScoreSettings(); on a sender that was
// never started they start one whose outbox lives in memory.
ScoreSender& GameScoreSender();
void StartScoreSending(const ScoreSenderConfig& config);
// The old message alone; the ticket its result will carry (0 when nothing is sent).
uint64_t QueueScore(const char* name, const char* mode, int32_t score, bool variant);
// A finished game with its replay; the ticket its result will carry.
uint64_t QueueGame(const char* name, const char* mode, int32_t score, std::vector<uint8_t> replay);
std::vector<SubmissionResult> TakeSubmissionResults();
// The last step of shutting down: a score in flight gets kQuitGraceMs to go out, no more.
bool FinishScoreSending(int graceMs = kQuitGraceMs);
