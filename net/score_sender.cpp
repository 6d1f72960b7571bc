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

#include "platform/text.h"
#include "platform/user_files.h"

namespace {

constexpr char kOutboxHeader[] = "quz outbox 1";
// Far more than 100 lines of at most 64 bytes; a longer file is not ours.
constexpr size_t kOutboxFileLimit = 64 * 1024;

bool IsNameByte(char c) {
    return c >= 32 && c <= 126 && c != '\t';
}

bool IsModeByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool ParseScoreNumber(const std::string& text, int32_t* score) {
    if (text.empty() || text.size() > 11) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    long long value = strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || value < INT32_MIN || value > INT32_MAX ||
        !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) {
        return false;
    }
    *score = static_cast<int32_t>(value);
    return true;
}

// "SVEK<TAB>NORMAL<TAB>1250<TAB>Ann": the name last, so its spaces need no quoting.
bool DecodeLine(const std::string& line, PendingScore* score) {
    size_t first = line.find('\t');
    size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    size_t third = second == std::string::npos ? second : line.find('\t', second + 1);
    if (third == std::string::npos) {
        return false;
    }
    const std::string tag = line.substr(0, first);
    const std::string mode = line.substr(first + 1, second - first - 1);
    const std::string number = line.substr(second + 1, third - second - 1);
    const std::string name = line.substr(third + 1);
    if ((tag != "SVEK" && tag != "RVEK") || mode.empty() || mode.size() >= sizeof score->mode ||
        name.size() >= sizeof score->name) {
        return false;
    }
    for (char c : mode) {
        if (!IsModeByte(c)) {
            return false;
        }
    }
    for (char c : name) {
        if (!IsNameByte(c)) {
            return false;
        }
    }
    PendingScore parsed;
    if (!ParseScoreNumber(number, &parsed.score)) {
        return false;
    }
    parsed.variant = tag == "RVEK";
    CopyText(parsed.mode, mode.c_str());
    CopyText(parsed.name, name.c_str());
    *score = parsed;
    return true;
}

}  // namespace

std::string EncodeOutbox(const std::vector<PendingScore>& scores) {
    std::string text = std::string(kOutboxHeader) + "\n";
    for (const PendingScore& score : scores) {
        char line[128];
        FormatText(line, sizeof line, "%s\t%.15s\t%d\t%.31s\n", score.variant ? "RVEK" : "SVEK", score.mode,
                   static_cast<int>(score.score), score.name);
        text += line;
    }
    return text;
}

bool DecodeOutbox(const std::string& text, std::vector<PendingScore>* scores) {
    scores->clear();
    size_t start = 0;
    bool whole = true;
    bool header = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
            whole = false;  // every line we write ends with a line feed: this one was cut short
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (header) {
            if (line != kOutboxHeader) {
                return false;
            }
            header = false;
            continue;
        }
        PendingScore score;
        if (whole && DecodeLine(line, &score)) {
            scores->push_back(score);
        } else {
            whole = false;
        }
    }
    return whole && !header;
}

struct ScoreSender::Shared {
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<uint64_t, PendingScore>> queue;  // oldest first, each with its own number
    uint64_t nextNumber = 1;
    ScoreSettings settings;
    std::string outboxPath;
    bool off = false;
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
        for (const PendingScore& score : scores) {
            Add(score);
        }
        outboxDirty = !whole;
    }

    // With the mutex held.
    void Add(const PendingScore& score) {
        if (queue.size() >= kOutboxLimit) {
            const PendingScore& oldest = queue.front().second;
            fprintf(stderr, "Outbox full: the oldest unsent score (%.31s, %d) is dropped\n", oldest.name,
                    static_cast<int>(oldest.score));
            queue.pop_front();
        }
        queue.emplace_back(nextNumber++, score);
    }

    bool Busy() const { return sending || outboxDirty || writingOutbox || (roundDue && !queue.empty()); }
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
        if (!config.off) {
            shared->outboxPath = config.outboxPath;
            shared->LoadOutbox();
            shared->roundDue = !shared->queue.empty();
        }
    }
    if (!config.off) {
        thread = std::thread(Run, shared);
    }
}

void ScoreSender::Queue(const ScoreSettings& settings, const char* name, const char* mode, int32_t score,
                        bool variant) {
    if (shared == nullptr) {
        Start(ScoreSenderConfig{settings, false, ""});
    }
    std::lock_guard lock(shared->mutex);
    if (shared->off || shared->stopping) {
        return;
    }
    PendingScore pending;
    CopyText(pending.name, name);
    CopyText(pending.mode, mode);
    pending.score = score;
    pending.variant = variant;
    shared->settings = settings;
    shared->Add(pending);
    // The thread writes the file before it sends: the frame that confirmed the name never waits on the disk.
    shared->outboxDirty = true;
    shared->roundDue = true;
    shared->changed.notify_all();
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
// next start or the next score begins another) or when the outbox is empty.
void ScoreSender::Run(const std::shared_ptr<Shared>& shared) {
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] {
            return shared->stopping || shared->outboxDirty || (shared->roundDue && !shared->queue.empty());
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
        const uint64_t number = shared->queue.front().first;
        const PendingScore score = shared->queue.front().second;
        const ScoreSettings settings = shared->settings;
        shared->sending = true;
        ++shared->sendsStarted;
        shared->changed.notify_all();
        lock.unlock();

        const bool sent = SubmitScore(settings, score.name, score.mode, score.score, score.variant);

        lock.lock();
        shared->sending = false;
        if (shared->abandoned) {
            return;
        }
        if (sent) {
            // By its number: a full outbox may have dropped it while it was on its way.
            for (auto entry = shared->queue.begin(); entry != shared->queue.end(); ++entry) {
                if (entry->first == number) {
                    shared->queue.erase(entry);
                    break;
                }
            }
            shared->outboxDirty = true;
        } else {
            fprintf(stderr, "Score not sent...\n");
            ++shared->sendsFailed;
            shared->roundDue = false;
        }
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

void QueueScore(const char* name, const char* mode, int32_t score, bool variant) {
    // Server=off holds for every sender, including one that was never started with the settings.
    if (scoreServerChoice.off) {
        return;
    }
    gameSender.Queue(CurrentScoreSettings(), name, mode, score, variant);
}

bool FinishScoreSending(int graceMs) {
    return gameSender.Stop(graceMs);
}
