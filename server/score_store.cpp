// Choosing the back end from the database location (see score_store.h).
#include "server/score_store.h"

bool IsPostgresLocation(const std::string& location) {
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& location, std::string* error) {
    if (location.empty()) {
        *error = "no database given";
        return nullptr;
    }
    if (IsPostgresLocation(location)) {
        return OpenPostgresStore(location, error);
    }
    return OpenSqliteStore(location, error);
}
