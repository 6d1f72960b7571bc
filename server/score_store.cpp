// Choosing the back end from the database location (see score_store.h).
#include "server/score_store.h"

#include <random>

bool IsPostgresLocation(const std::string& location) {
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

namespace {

std::unique_ptr<ScoreStore> Open(const std::string& location, bool writer, std::string* error) {
    if (location.empty()) {
        *error = "no database given";
        return nullptr;
    }
    if (IsPostgresLocation(location)) {
        return OpenPostgresStore(location, writer, error);
    }
    return OpenSqliteStore(location, writer, error);
}

}  // namespace

std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& location, std::string* error) {
    return Open(location, true, error);
}

std::unique_ptr<ScoreStore> OpenScoreReader(const std::string& location, std::string* error) {
    return Open(location, false, error);
}

std::string NewBatchId() {
    // Straight from the system's entropy: a seeded generator shared by two servers would repeat ids, and
    // a repeated id makes a new batch look already stored.
    std::random_device entropy;
    static const char kHex[] = "0123456789abcdef";
    std::string id;
    for (int word = 0; word < 4; ++word) {
        uint32_t bits = entropy();
        for (int i = 0; i < 8; ++i, bits >>= 4) {
            id += kHex[bits & 15];
        }
    }
    return id;
}
