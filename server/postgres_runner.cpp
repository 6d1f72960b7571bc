// SqlRunner on PostgreSQL (see sql_runner.h).
#include <libpq-fe.h>

#include <cstdlib>

#include "server/open_or_error.h"
#include "server/postgres_result.h"
#include "server/sql_runner.h"

namespace {

class PostgresRunner final : public SqlRunner {
  public:
    ~PostgresRunner() override { PQfinish(conn); }

    bool Open(const std::string& url) {
        conn = PQconnectdb(url.c_str());
        return (conn != nullptr && PQstatus(conn) == CONNECTION_OK) || Fail("cannot connect");
    }

    bool Begin() override { return Exec("BEGIN"); }
    bool Commit() override { return Exec("COMMIT"); }
    void Rollback() override {
        const std::string reason = lastError;
        Exec("ROLLBACK");
        lastError = reason;
    }

    bool Run(const std::string& sql, const std::vector<std::optional<std::string>>& params,
             std::vector<SqlRow>* rows, int64_t* changed) override {
        std::vector<const char*> values;
        values.reserve(params.size());
        for (const auto& param : params) {
            values.push_back(param.has_value() ? param->c_str() : nullptr);
        }
        // Without parameters, the simple protocol, which also takes several statements at once.
        PostgresResult r(values.empty() ? PQexec(conn, sql.c_str())
                                        : PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()),
                                                       nullptr, values.data(), nullptr, nullptr, 0));
        if (!r.Is(PGRES_COMMAND_OK) && !r.Is(PGRES_TUPLES_OK)) {
            return Fail("cannot run");
        }
        if (rows != nullptr) {
            for (int i = 0; i < PQntuples(r.get()); ++i) {
                SqlRow row;
                for (int c = 0; c < PQnfields(r.get()); ++c) {
                    row.emplace_back(PQgetvalue(r.get(), i, c),
                                     static_cast<size_t>(PQgetlength(r.get(), i, c)));
                }
                rows->push_back(std::move(row));
            }
        }
        if (changed != nullptr) {
            *changed = std::strtoll(PQcmdTuples(r.get()), nullptr, 10);
        }
        return true;
    }

    std::string LastError() const override { return lastError; }

  private:
    bool Fail(const std::string& what) {
        lastError = "PostgreSQL: " + what + ": " + (conn != nullptr ? PQerrorMessage(conn) : "out of memory");
        while (!lastError.empty() && (lastError.back() == '\n' || lastError.back() == ' ')) {
            lastError.pop_back();
        }
        return false;
    }

    PGconn* conn = nullptr;
    std::string lastError;
};

}  // namespace

std::unique_ptr<SqlRunner> OpenPostgresRunner(const std::string& url, std::string* error) {
    return OpenOrError<PostgresRunner>(error, url);
}
