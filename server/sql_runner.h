// One connection that runs SQL written the same for both back ends: parameters are $1, $2... given as
// text (cast in the statement where a number is meant), and rows come back as text. For the operator's
// commands, which are rare and short; the hot paths of the stores keep their own prepared statements.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using SqlRow = std::vector<std::string>;

class SqlRunner {
  public:
    virtual ~SqlRunner() = default;
    // A write transaction: SQLite takes the file's write lock at once.
    virtual bool Begin() = 0;
    virtual bool Commit() = 0;
    virtual void Rollback() = 0;
    // Runs one statement; a null parameter is SQL's NULL. Rows read go to *rows and the count of rows
    // changed to *changed, when given.
    virtual bool Run(const std::string& sql, const std::vector<std::optional<std::string>>& params,
                     std::vector<SqlRow>* rows, int64_t* changed) = 0;
    // A statement whose rows and count do not matter.
    bool Exec(const std::string& sql, const std::vector<std::optional<std::string>>& params = {}) {
        return Run(sql, params, nullptr, nullptr);
    }
    virtual std::string LastError() const = 0;
};

// The same locations as OpenScoreStore; the schema must be this server's (the writer made it so).
std::unique_ptr<SqlRunner> OpenSqlRunner(const std::string& location, std::string* error);
std::unique_ptr<SqlRunner> OpenSqliteRunner(const std::string& path, std::string* error);
std::unique_ptr<SqlRunner> OpenPostgresRunner(const std::string& url, std::string* error);
