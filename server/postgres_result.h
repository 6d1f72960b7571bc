// A libpq result that is freed whatever the way out, shared by the PostgreSQL stores.
#pragma once

#include <libpq-fe.h>

class PostgresResult {
  public:
    explicit PostgresResult(PGresult* r) : result(r) {}
    ~PostgresResult() { PQclear(result); }
    PostgresResult(const PostgresResult&) = delete;
    PostgresResult& operator=(const PostgresResult&) = delete;
    PGresult* get() const { return result; }
    bool Is(ExecStatusType status) const { return result != nullptr && PQresultStatus(result) == status; }

  private:
    PGresult* result;
};
