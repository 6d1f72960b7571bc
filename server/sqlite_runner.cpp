// SqlRunner on SQLite (see sql_runner.h).
#include <sqlite3.h>

#include "server/open_or_error.h"
#include "server/score_store.h"
#include "server/sql_runner.h"

namespace {

class SqliteRunner final : public SqlRunner {
  public:
    ~SqliteRunner() override { sqlite3_close_v2(db); }

    bool Open(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK) {
            return Fail("cannot open " + path);
        }
        // The running server holds the write lock for a batch at a time.
        sqlite3_busy_timeout(db, 10000);
        return Exec("PRAGMA journal_mode=WAL") && Exec("PRAGMA synchronous=FULL");
    }

    bool Begin() override { return Exec("BEGIN IMMEDIATE"); }
    bool Commit() override { return Exec("COMMIT"); }
    void Rollback() override {
        const std::string reason = lastError;
        Exec("ROLLBACK");
        lastError = reason;
    }

    bool Run(const std::string& sql, const std::vector<std::optional<std::string>>& params,
             std::vector<SqlRow>* rows, int64_t* changed) override {
        if (params.empty() && rows == nullptr) {
            // Several statements may come at once, as in a schema step.
            char* message = nullptr;
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
                lastError = std::string("SQLite: ") + (message != nullptr ? message : sqlite3_errmsg(db));
                sqlite3_free(message);
                return false;
            }
            if (changed != nullptr) {
                *changed = sqlite3_changes64(db);
            }
            return true;
        }
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            return Fail("cannot prepare");
        }
        // By name: "$2" may come before "$1" in the text, and SQLite numbers names as they come.
        for (size_t i = 0; i < params.size(); ++i) {
            const int index = sqlite3_bind_parameter_index(stmt, ("$" + std::to_string(i + 1)).c_str());
            if (index > 0 && params[i].has_value()) {
                sqlite3_bind_text(stmt, index, params[i]->data(), static_cast<int>(params[i]->size()),
                                  SQLITE_TRANSIENT);
            }
        }
        int step;
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (rows != nullptr) {
                SqlRow row;
                for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                    const unsigned char* text = sqlite3_column_text(stmt, c);
                    row.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "",
                                     static_cast<size_t>(sqlite3_column_bytes(stmt, c)));
                }
                rows->push_back(std::move(row));
            }
        }
        const bool done = step == SQLITE_DONE;
        if (!done) {
            Fail("cannot run");
        }
        sqlite3_finalize(stmt);
        if (done && changed != nullptr) {
            *changed = sqlite3_changes64(db);
        }
        return done;
    }

    std::string LastError() const override { return lastError; }

  private:
    bool Fail(const std::string& what) {
        lastError = "SQLite: " + what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
        return false;
    }

    sqlite3* db = nullptr;
    std::string lastError;
};

}  // namespace

std::unique_ptr<SqlRunner> OpenSqliteRunner(const std::string& path, std::string* error) {
    return OpenOrError<SqliteRunner>(error, path);
}

std::unique_ptr<SqlRunner> OpenSqlRunner(const std::string& location, std::string* error) {
    return IsPostgresLocation(location) ? OpenPostgresRunner(location, error)
                                        : OpenSqliteRunner(location, error);
}
