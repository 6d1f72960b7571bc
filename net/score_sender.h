// Sending finished scores without ever holding up the game. A thread of its own sends them one at a
// time, and every score waits in an outbox (a per-user file) until it has been sent, so a score server
// that is down, slow or unreachable costs the player neither a frozen screen nor the score. That thread
// touches nothing but the network code and the sender's own queue and file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/score_client.h"

struct PendingScore {
    char name[32] = {};
    char mode[16] = {};
    int32_t score = 0;
    bool variant = false;
};

inline constexpr size_t kOutboxLimit = 100;
// How long a send still in flight may hold up the end of the program.
inline constexpr int kQuitGraceMs = 1000;
inline constexpr char kOutboxFileName[] = "scores.outbox";

struct ScoreSenderConfig {
    ScoreSettings settings;  // where and how the outbox is sent until the next score brings its own
    bool off = false;        // [Scores] Server=off: nothing is sent, no outbox is read or written
    std::string outboxPath;  // "" keeps the outbox in memory only
};

class ScoreSender {
  public:
    ScoreSender() = default;
    ~ScoreSender();
    ScoreSender(const ScoreSender&) = delete;
    ScoreSender& operator=(const ScoreSender&) = delete;

    // Reads the outbox and starts the thread, which sends what the outbox held at once, oldest first. A
    // sender that was running is stopped first, without a grace.
    void Start(const ScoreSenderConfig& config);

    // Puts a score in the outbox and starts a round of sending, oldest first, until one fails or the
    // outbox is empty. Returns at once: the thread writes the outbox file before it sends anything, and
    // after each score that went out. Each send that fails prints "Score not sent...". A full outbox
    // drops its oldest score, with a line on stderr.
    void Queue(const ScoreSettings& settings, const char* name, const char* mode, int32_t score,
               bool variant);

    // Ends the thread. A send in flight gets at most graceMs to finish; after that the thread is left to
    // end by itself (a name look-up cannot be cancelled), touching nothing of ours again, and its score
    // stays in the outbox. True when the thread ended within the grace.
    bool Stop(int graceMs);

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

// The outbox file: a header line, then one score per line, oldest first.
std::string EncodeOutbox(const std::vector<PendingScore>& scores);
// False when the text is not an outbox or a line is damaged; the scores that could be read are kept.
bool DecodeOutbox(const std::string& text, std::vector<PendingScore>* scores);

// The game's one sender. QueueScore sends with CurrentScoreSettings(); on a sender that was never started
// it starts one whose outbox lives in memory. With [Scores] Server=off it does nothing at all.
ScoreSender& GameScoreSender();
void StartScoreSending(const ScoreSenderConfig& config);
void QueueScore(const char* name, const char* mode, int32_t score, bool variant);
// The last step of shutting down: a score in flight gets kQuitGraceMs to go out, no more.
bool FinishScoreSending(int graceMs = kQuitGraceMs);
