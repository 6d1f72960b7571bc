// Read connections and the cache of rendered boards (see board_reader.h).
#include "server/board_reader.h"

#include <algorithm>

namespace {

// Keys come from the query string: bounded, so a crawler walking every mode cannot grow the cache.
constexpr size_t kMaxCacheEntries = 512;

}  // namespace

class BoardReader::Lease {
  public:
    explicit Lease(BoardReader* owner) : pool(owner), reader(owner->Take()) {}
    ~Lease() { pool->Give(reader); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ScoreStore* operator->() const { return reader; }

  private:
    BoardReader* pool;
    ScoreStore* reader;
};

bool BoardReader::Open(const std::string& location, int connections, std::string* error) {
    std::vector<std::unique_ptr<ScoreStore>> opened;
    for (int i = 0; i < std::max(connections, 1); ++i) {
        std::unique_ptr<ScoreStore> reader = OpenScoreReader(location, error);
        if (reader == nullptr) {
            return false;
        }
        opened.push_back(std::move(reader));
    }
    Adopt(std::move(opened));
    return true;
}

void BoardReader::Adopt(std::vector<std::unique_ptr<ScoreStore>> stores) {
    std::lock_guard lock(poolMutex);
    readers = std::move(stores);
    idle.clear();
    for (const auto& reader : readers) {
        idle.push_back(reader.get());
    }
    kind = readers.empty() ? "" : readers.front()->Kind();
}

ScoreStore* BoardReader::Take() {
    std::unique_lock lock(poolMutex);
    poolChanged.wait(lock, [this] { return !idle.empty(); });
    ScoreStore* reader = idle.back();
    idle.pop_back();
    return reader;
}

void BoardReader::Give(ScoreStore* reader) {
    {
        std::lock_guard lock(poolMutex);
        idle.push_back(reader);
    }
    poolChanged.notify_one();
}

bool BoardReader::Read(const LeaderQuery& query, std::vector<LeaderRow>* rows, std::string* error) {
    Lease reader(this);
    if (!reader->Leaderboard(query, rows)) {
        *error = reader->LastError();
        return false;
    }
    return true;
}

bool BoardReader::Cached(const std::string& key, const LeaderQuery& query,
                         const std::function<std::string(const std::vector<LeaderRow>&)>& render,
                         std::string* body, std::string* error) {
    auto now = std::chrono::steady_clock::now();
    Lease reader(this);
    // Read before the rows: a change committed between the two reads makes the next request read anew.
    int64_t generation = 0;
    if (!reader->HiddenGeneration(&generation)) {
        *error = reader->LastError();
        return false;
    }
    {
        std::lock_guard lock(cacheMutex);
        auto it = cache.find(key);
        if (it != cache.end() && now - it->second.madeAt < cacheTime && it->second.generation == generation) {
            *body = it->second.body;
            return true;
        }
    }
    std::vector<LeaderRow> rows;
    if (!reader->Leaderboard(query, &rows)) {
        *error = reader->LastError();
        return false;
    }
    *body = render(rows);
    std::lock_guard lock(cacheMutex);
    if (cache.size() >= kMaxCacheEntries) {
        cache.clear();
    }
    cache[key] = {*body, now, generation};
    return true;
}

bool BoardReader::CountScores(int64_t* count, std::string* error) {
    Lease reader(this);
    if (!reader->CountScores(count)) {
        *error = reader->LastError();
        return false;
    }
    return true;
}
