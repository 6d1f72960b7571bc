// The score sender's thread, queue and outbox file (see score_sender.h).
#include "net/score_sender.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include <ctime>

#include "net/game_submission.h"
#include "net/http_post.h"
#include "net/machine_identity.h"
#include "platform/text.h"
#include "platform/user_files.h"

SendRoute RouteFor(const PendingScore& score, const ScoreSettings& settings, bool apiMissing) {
    if (!score.replay.empty() && settings.submitUrl[0] != '\0' && !apiMissing && HttpPostAvailable()) {
        return SendRoute::Submission;
    }
    return settings.messageOff ? SendRoute::None : SendRoute::Message;
}

namespace {

// What one send came to, before the sender's state is touched.
struct SendAttempt {
    enum class Kind { Done, Refused, Failed, Skipped } kind = Kind::Failed;
    SubmissionResult result;
    bool learnedNoApi = false;  // the server answered 404 on /api/games
    std::string keptAt;         // where a refused game's replay was written
};

SubmissionResult ResultOf(const SubmitReply& reply) {
    SubmissionResult result;
    result.state = reply.verified ? SubmissionState::Verified : SubmissionState::Stored;
    result.daily = reply.daily;
    result.rank = reply.rank;
    result.of = reply.of;
    result.reason = reply.reason;
    return result;
}

SendAttempt SendMessage(const ScoreSettings& settings, const PendingScore& score) {
    SendAttempt attempt;
    if (SubmitScore(settings, score.name, score.mode, score.score, score.variant)) {
        attempt.kind = SendAttempt::Kind::Done;
        attempt.result.state = SubmissionState::Sent;
    }
    return attempt;
}

// The replay of a game the server refused stays with the player, who may want to see or report it.
std::string KeepRefusedReplay(const std::string& folder, const PendingScore& score, uint64_t number) {
    if (folder.empty() || !MakeDirectories(folder.c_str())) {
        return {};
    }
    // The calendar of <chrono> rather than gmtime_r, which Windows' C library does not have.
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char stamp[32] = "0";
    FormatText(stamp, sizeof stamp, "%04d%02u%02u-%02lld%02lld%02lld", static_cast<int>(date.year()),
               static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
               static_cast<long long>(time.hours().count()), static_cast<long long>(time.minutes().count()),
               static_cast<long long>(time.seconds().count()));
    char path[4096];
    if (!FormatText(path, sizeof path, "%s/refused-%s-%llu%s", folder.c_str(), stamp,
                    static_cast<unsigned long long>(number), kRefusedReplaySuffix) ||
        !WriteFileAtomically(path, score.replay.data(), score.replay.size())) {
        return {};
    }
    return path;
}

SendAttempt SendGame(const ScoreSettings& settings, const PendingScore& score,
                     const std::string& refusedFolder, uint64_t number) {
    SubmissionBody body;
    body.name = score.name;
    body.identity = MachineIdentity();
    body.replay = score.replay;
    const SubmitReply reply = SubmitGame(
        SubmitTarget{settings.submitUrl, settings.connectTimeoutMs, settings.answerTimeoutMs}, body);
    SendAttempt attempt;
    switch (reply.outcome) {
        case SubmitOutcome::Accepted:
            attempt.kind = SendAttempt::Kind::Done;
            attempt.result = ResultOf(reply);
            break;
        case SubmitOutcome::Refused:
            attempt.kind = SendAttempt::Kind::Refused;
            attempt.result.state = SubmissionState::Refused;
            attempt.result.reason = reply.reason;
            attempt.keptAt = KeepRefusedReplay(refusedFolder, score, number);
            break;
        case SubmitOutcome::NoEndpoint:
            attempt = settings.messageOff ? SendAttempt{SendAttempt::Kind::Skipped, {}, false, {}}
                                          : SendMessage(settings, score);
            attempt.learnedNoApi = true;
            break;
        case SubmitOutcome::Retry:
            attempt.result.reason = reply.reason;
            break;
    }
    return attempt;
}

}  // namespace

struct ScoreSender::Shared {
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<uint64_t, PendingScore>> queue;  // oldest first, each with its own number
    uint64_t nextNumber = 1;
    uint64_t nextTicket = 1;
    // The number of the score this round tried last: a round moves past scores that cannot go now.
    uint64_t roundCursor = 0;
    std::deque<SubmissionResult> results;
    ScoreSettings settings;
    std::string outboxPath;
    std::string refusedFolder;
    bool off = false;
    bool apiMissing = false;  // the server said it has no /api/games: this run sends the message
    bool roundDue = false;
    bool outboxDirty = false;  // the file is behind the queue: the thread writes it before its next send
    bool writingOutbox = false;
    bool sending = false;
    bool stopping = false;
    bool abandoned = false;  // the program has moved on: the thread must touch nothing shared again
    int sendsStarted = 0;
    int sendsFailed = 0;

    // With the mutex held: what the outbox file is to hold now ("" for no file at all).
    std::string OutboxText() const {
        std::vector<PendingScore> scores;
        for (const auto& entry : queue) {
            scores.push_back(entry.second);
        }
        return scores.empty() ? std::string() : EncodeOutbox(scores);
    }

    // Writes the outbox file from a copy of the queue; needs no lock, and only one thread at a time ever
    // writes (the sender's own, or the caller of Stop once that thread is gone or cut loose).
    static void WriteOutbox(const std::string& path, const std::string& text) {
        if (path.empty()) {
            return;
        }
        // An empty outbox leaves no file behind.
        if (text.empty()) {
            if (RemoveFile(path.c_str()) != 0 && errno != ENOENT) {
                fprintf(stderr, "%s: cannot remove the empty outbox: %s\n", path.c_str(), strerror(errno));
            }
            return;
        }
        char folder[4096];
        CopyText(folder, path.c_str());
        char* slash = strrchr(folder, '/');
        if (slash != nullptr && slash != folder) {
            *slash = '\0';
            MakeDirectories(folder);
        }
        if (!WriteFileAtomically(path.c_str(), text.data(), text.size())) {
            fprintf(stderr, "Unsent scores not saved to %s: %s\n", path.c_str(), strerror(errno));
        }
    }

    // With the mutex held.
    void LoadOutbox() {
        queue.clear();
        if (outboxPath.empty()) {
            return;
        }
        std::string text(kOutboxFileLimit, '\0');
        size_t size = 0;
        ReadFileResult result = ReadRegularFile(outboxPath.c_str(), text.data(), text.size(), &size);
        if (result == ReadFileResult::Missing) {
            return;
        }
        text.resize(size);
        std::vector<PendingScore> scores;
        bool whole = result == ReadFileResult::Read && DecodeOutbox(text, &scores);
        if (!whole) {
            // Whatever it holds stays on the disk for the player; the scores that could be read go on.
            char movedTo[4096];
            if (MoveFileAside(outboxPath.c_str(), ".bad", movedTo, sizeof movedTo)) {
                fprintf(stderr, "%s: damaged; moved aside to %s, %zu scores kept\n", outboxPath.c_str(),
                        movedTo, scores.size());
            } else {
                fprintf(stderr,
                        "%s: damaged and cannot be moved aside; unsent scores are not kept this run\n",
                        outboxPath.c_str());
                outboxPath.clear();
            }
        }
        for (PendingScore& score : scores) {
            Add(std::move(score));
        }
        outboxDirty = !whole;
    }

    // With the mutex held: the next score this round may try, or null.
    const std::pair<uint64_t, PendingScore>* NextInRound() const {
        if (!roundDue) {
            return nullptr;
        }
        for (const auto& entry : queue) {
            if (entry.first > roundCursor) {
                return &entry;
            }
        }
        return nullptr;
    }

    // With the mutex held.
    void Remove(uint64_t number) {
        // By its number: a full outbox may have dropped it while it was on its way.
        for (auto entry = queue.begin(); entry != queue.end(); ++entry) {
            if (entry->first == number) {
                queue.erase(entry);
                return;
            }
        }
    }

    // With the mutex held.
    void Report(uint64_t ticket, SubmissionResult result) {
        if (ticket == 0) {
            return;
        }
        result.ticket = ticket;
        if (results.size() >= kResultLimit) {
            results.pop_front();
        }
        results.push_back(std::move(result));
    }

    // With the mutex held.
    void Add(PendingScore score) {
        if (queue.size() >= kOutboxLimit) {
            const PendingScore& oldest = queue.front().second;
            fprintf(stderr, "Outbox full: the oldest unsent score (%.31s, %d) is dropped\n", oldest.name,
                    static_cast<int>(oldest.score));
            queue.pop_front();
        }
        queue.emplace_back(nextNumber++, std::move(score));
    }

    bool Busy() const { return sending || outboxDirty || writingOutbox || NextInRound() != nullptr; }
};

ScoreSender::~ScoreSender() {
    Stop(0);
}

void ScoreSender::Start(const ScoreSenderConfig& config) {
    Stop(0);
    shared = std::make_shared<Shared>();
    {
        std::lock_guard lock(shared->mutex);
        shared->settings = config.settings;
        shared->off = config.off;
        shared->refusedFolder = config.refusedFolder;
        if (!config.off) {
            shared->outboxPath = config.outboxPath;
            shared->LoadOutbox();
            shared->roundDue = !shared->queue.empty();
        }
    }
    if (!config.off) {
        // libcurl's global start belongs on this thread, before the sender's can post.
        HttpStartup();
        thread = std::thread(Run, shared);
    }
}

uint64_t ScoreSender::Queue(const ScoreSettings& settings, const char* name, const char* mode, int32_t score,
                            bool variant, std::vector<uint8_t> replay) {
    if (shared == nullptr) {
        Start(ScoreSenderConfig{settings, false, "", ""});
    }
    std::lock_guard lock(shared->mutex);
    if (shared->off || shared->stopping) {
        return 0;
    }
    PendingScore pending;
    CopyText(pending.name, name);
    CopyText(pending.mode, mode);
    pending.score = score;
    pending.variant = variant;
    if (replay.size() > kSubmissionReplayLimit - strlen(pending.name)) {
        fprintf(stderr, "The game's replay is too large to be verified (%zu bytes); its score goes alone\n",
                replay.size());
        replay.clear();
    }
    pending.replay = std::move(replay);
    pending.ticket = shared->nextTicket++;
    const uint64_t ticket = pending.ticket;
    shared->settings = settings;
    shared->Add(std::move(pending));
    // The thread writes the file before it sends: the frame that confirmed the name never waits on the disk.
    shared->outboxDirty = true;
    shared->roundDue = true;
    shared->roundCursor = 0;
    shared->changed.notify_all();
    return ticket;
}

std::vector<SubmissionResult> ScoreSender::TakeResults() {
    std::vector<SubmissionResult> taken;
    if (shared != nullptr) {
        std::lock_guard lock(shared->mutex);
        taken.assign(std::make_move_iterator(shared->results.begin()),
                     std::make_move_iterator(shared->results.end()));
        shared->results.clear();
    }
    return taken;
}

bool ScoreSender::Stop(int graceMs) {
    if (shared == nullptr) {
        return true;
    }
    bool ended = true;
    {
        std::unique_lock lock(shared->mutex);
        shared->stopping = true;
        shared->changed.notify_all();
        ended = shared->changed.wait_for(lock, std::chrono::milliseconds(graceMs > 0 ? graceMs : 0),
                                         [this] { return !shared->sending; });
        if (!ended) {
            // The send counts as failed now; the thread cut loose will say nothing more.
            fprintf(stderr, "Score not sent...\n");
            shared->abandoned = true;
            // The thread will touch nothing again: whatever the file still lacks is written from here.
            if (shared->outboxDirty) {
                shared->outboxDirty = false;
                Shared::WriteOutbox(shared->outboxPath, shared->OutboxText());
            }
        }
    }
    if (thread.joinable()) {
        if (ended) {
            thread.join();
        } else {
            thread.detach();
        }
    }
    shared.reset();
    return ended;
}

bool ScoreSender::Running() const {
    return shared != nullptr && thread.joinable();
}

bool ScoreSender::Busy() const {
    if (shared == nullptr) {
        return false;
    }
    std::lock_guard lock(shared->mutex);
    return shared->Busy();
}

bool ScoreSender::Sending() const {
    if (shared == nullptr) {
        return false;
    }
    std::lock_guard lock(shared->mutex);
    return shared->sending;
}

bool ScoreSender::WaitUntilIdle(int timeoutMs) {
    if (shared == nullptr) {
        return true;
    }
    std::unique_lock lock(shared->mutex);
    return shared->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [this] { return !shared->Busy(); });
}

std::vector<PendingScore> ScoreSender::Outbox() const {
    std::vector<PendingScore> scores;
    if (shared != nullptr) {
        std::lock_guard lock(shared->mutex);
        for (const auto& entry : shared->queue) {
            scores.push_back(entry.second);
        }
    }
    return scores;
}

int ScoreSender::SendsStarted() const {
    if (shared == nullptr) {
        return 0;
    }
    std::lock_guard lock(shared->mutex);
    return shared->sendsStarted;
}

int ScoreSender::SendsFailed() const {
    if (shared == nullptr) {
        return 0;
    }
    std::lock_guard lock(shared->mutex);
    return shared->sendsFailed;
}

// A round sends the outbox oldest first, one connection per score, and ends at the first failure (the
// next start or the next score begins another) or when no score that can go with today's settings is left.
void ScoreSender::Run(const std::shared_ptr<Shared>& shared) {
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] {
            return shared->stopping || shared->outboxDirty || shared->NextInRound() != nullptr;
        });
        // The file first, even when stopping: a score is on the disk before it is on the wire.
        if (shared->outboxDirty) {
            shared->outboxDirty = false;
            const std::string path = shared->outboxPath;
            const std::string text = shared->OutboxText();
            shared->writingOutbox = true;
            lock.unlock();
            Shared::WriteOutbox(path, text);
            lock.lock();
            shared->writingOutbox = false;
            shared->changed.notify_all();
            continue;
        }
        if (shared->stopping) {
            return;
        }
        const auto* next = shared->NextInRound();
        const uint64_t number = next->first;
        const PendingScore score = next->second;
        const ScoreSettings settings = shared->settings;
        shared->roundCursor = number;
        const SendRoute route = RouteFor(score, settings, shared->apiMissing);
        if (route == SendRoute::None) {
            // It stays for a run whose settings can send it.
            SubmissionResult kept;
            kept.state = SubmissionState::Kept;
            shared->Report(score.ticket, std::move(kept));
            continue;
        }
        const std::string refusedFolder = shared->refusedFolder;
        shared->sending = true;
        ++shared->sendsStarted;
        shared->changed.notify_all();
        lock.unlock();

        SendAttempt attempt = route == SendRoute::Submission
                                  ? SendGame(settings, score, refusedFolder, number)
                                  : SendMessage(settings, score);

        lock.lock();
        shared->sending = false;
        if (shared->abandoned) {
            return;
        }
        if (attempt.learnedNoApi && !shared->apiMissing) {
            shared->apiMissing = true;
            fprintf(stderr, "The score server does not take verified games (no %s): %s\n", kSubmitPath,
                    settings.messageOff ? "kept until one does (Server=off)" : "the score goes as a message");
        }
        switch (attempt.kind) {
            case SendAttempt::Kind::Done:
                shared->Remove(number);
                shared->outboxDirty = true;
                break;
            case SendAttempt::Kind::Refused:
                fprintf(stderr, "Score refused by the server (%s); %s%s\n", attempt.result.reason.c_str(),
                        attempt.keptAt.empty() ? "its replay could not be kept" : "its replay is kept in ",
                        attempt.keptAt.c_str());
                shared->Remove(number);
                shared->outboxDirty = true;
                break;
            case SendAttempt::Kind::Skipped:
                attempt.result.state = SubmissionState::Kept;
                break;
            case SendAttempt::Kind::Failed:
                fprintf(stderr, "Score not sent...\n");
                ++shared->sendsFailed;
                shared->roundDue = false;
                attempt.result.state = SubmissionState::Kept;
                break;
        }
        shared->Report(score.ticket, std::move(attempt.result));
        shared->changed.notify_all();
    }
}

namespace {

ScoreSender gameSender;

}  // namespace

ScoreSender& GameScoreSender() {
    return gameSender;
}

void StartScoreSending(const ScoreSenderConfig& config) {
    gameSender.Start(config);
}

uint64_t QueueScore(const char* name, const char* mode, int32_t score, bool variant) {
    // Server=off holds for every sender, including one that was never started with the settings.
    if (scoreServerChoice.off) {
        return 0;
    }
    return gameSender.Queue(CurrentScoreSettings(), name, mode, score, variant);
}

uint64_t QueueGame(const char* name, const char* mode, int32_t score, std::vector<uint8_t> replay) {
    const ScoreSettings settings = CurrentScoreSettings();
    if (settings.messageOff && settings.submitUrl[0] == '\0') {
        return 0;
    }
    return gameSender.Queue(settings, name, mode, score, false, std::move(replay));
}

std::vector<SubmissionResult> TakeSubmissionResults() {
    return gameSender.TakeResults();
}

bool FinishScoreSending(int graceMs) {
    return gameSender.Stop(graceMs);
}
