// The web side's way to the scores: a few read connections of its own, so pages are read side by side
// and never wait for the writer, and a short cache of each rendered answer, so a crowd asking for the
// same board costs one board read a second. Each answer served from the cache first reads the counter of
// the operator's hides and deletions (one row): an answer made before a change is made anew, so a row
// hidden by `quz-scored --hide` leaves the page and the JSON as soon as the command returns.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/score_store.h"

class BoardReader {
  public:
    // Opens `connections` readers of the database; false with the reason.
    bool Open(const std::string& location, int connections, std::string* error);
    // Readers made elsewhere (tests).
    void Adopt(std::vector<std::unique_ptr<ScoreStore>> readers);

    void SetCacheTime(std::chrono::milliseconds time) { cacheTime = time; }

    // The rows of one board; false with the reason.
    bool Read(const LeaderQuery& query, std::vector<LeaderRow>* rows, std::string* error);

    // The answer stored under `key` if made less than the cache time ago and since the operator's last
    // hide, unhide or deletion; otherwise made by `render` from the rows of `query`, and kept. False
    // (nothing kept) when the rows cannot be read.
    bool Cached(const std::string& key, const LeaderQuery& query,
                const std::function<std::string(const std::vector<LeaderRow>&)>& render, std::string* body,
                std::string* error);

    // The counter of stored scores, read like a board.
    bool CountScores(int64_t* count, std::string* error);

    const char* Kind() const { return kind; }

  private:
    // A reader for the caller alone, back in the pool when it goes.
    class Lease;
    ScoreStore* Take();
    void Give(ScoreStore* reader);

    std::mutex poolMutex;
    std::condition_variable poolChanged;
    std::vector<std::unique_ptr<ScoreStore>> readers;
    std::vector<ScoreStore*> idle;
    const char* kind = "";

    struct Entry {
        std::string body;
        std::chrono::steady_clock::time_point madeAt;
        int64_t generation = 0;  // of the hidden rows, read before the rows it was made from
    };
    std::chrono::milliseconds cacheTime{1000};
    std::mutex cacheMutex;
    std::unordered_map<std::string, Entry> cache;
};
