// Leaderboard reads at scale, on both back ends: a database of many scores (tools/make_scores.sh, in the
// first released schema) is timed with the first schema's ranking query ("before"), upgraded, then timed
// again: the store's query for all time, week and today, the page and /api/scores through quz-scored with
// its cache off, and 100 page requests at once. Each figure stands beside the floor of the same run:
// reading 100 rows by primary key.
//   leaderboard_scale [FOLDER]   (QUZ_SCALE_SCORES=10000000, QUZ_SCALE_BEFORE=1 to time the old query too)
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "server/hidden.h"
#include "server/operator_commands.h"
#include "server/periods.h"
#include "server/score_store.h"
#include "server_support.h"

#ifndef QUZ_SOURCE_DIR
#define QUZ_SOURCE_DIR "."
#endif

using Clock = std::chrono::steady_clock;

namespace {

// Runs SQL outside the server: the floor, the first schema's query and the plans.
class RawDatabase {
  public:
    explicit RawDatabase(const std::string& location) : postgres(IsPostgresLocation(location)) {
        if (postgres) {
            pg = PQconnectdb(location.c_str());
        } else {
            sqlite3_open_v2(location.c_str(), &lite, SQLITE_OPEN_READONLY, nullptr);
        }
    }
    ~RawDatabase() {
        if (pg != nullptr) {
            PQfinish(pg);
        }
        sqlite3_close(lite);
    }
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    // Every row's columns joined by " | ", one line per row.
    std::vector<std::string> Rows(const std::string& sql) {
        std::vector<std::string> rows;
        if (postgres) {
            PGresult* result = PQexec(pg, sql.c_str());
            if (PQresultStatus(result) != PGRES_TUPLES_OK && PQresultStatus(result) != PGRES_COMMAND_OK) {
                rows.push_back(std::string("error: ") + PQerrorMessage(pg));
            }
            for (int r = 0; r < PQntuples(result); ++r) {
                std::string line;
                for (int c = 0; c < PQnfields(result); ++c) {
                    line += (c > 0 ? " | " : "") + std::string(PQgetvalue(result, r, c));
                }
                rows.push_back(line);
            }
            PQclear(result);
            return rows;
        }
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(lite, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            rows.push_back(std::string("error: ") + sqlite3_errmsg(lite));
            return rows;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string line;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                line += (c > 0 ? " | " : "") +
                        std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "");
            }
            rows.push_back(line);
        }
        sqlite3_finalize(stmt);
        return rows;
    }

  private:
    bool postgres;
    PGconn* pg = nullptr;
    sqlite3* lite = nullptr;
};

// The median of `runs` timings of `work`, in milliseconds.
double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        Clock::time_point start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

const Period kPeriods[] = {Period::kAll, Period::kWeek, Period::kToday};

// The ranking query of the first schema, as its server ran it.
std::string BeforeSql(Period period) {
    return "SELECT name, identity, score, received_at_ms FROM (SELECT name, identity, score, received_at_ms, "
           "id, ROW_NUMBER() OVER (PARTITION BY name, identity ORDER BY score DESC, received_at_ms, id) AS "
           "place FROM scores WHERE mode = 'NORMAL' AND received_at_ms >= " +
           std::to_string(PeriodStartMs(period, NowMs())) +
           ") AS ranked WHERE place = 1 ORDER BY score DESC, received_at_ms, id LIMIT 100";
}

std::string BoardSql(Period period, bool postgres) {
    return std::string("SELECT name, identity, score, received_at_ms FROM best ") +
           (postgres ? "" : "INDEXED BY best_ranking ") +
           "WHERE period = " + std::to_string(PeriodCode(period)) +
           " AND period_start_ms = " + std::to_string(PeriodStartMs(period, NowMs())) +
           " AND mode = 'NORMAL'" + kVisibleBestSql +
           " ORDER BY score DESC, received_at_ms, score_id LIMIT 100";
}

void PrintPlan(RawDatabase& raw, const std::string& sql, bool postgres) {
    for (const std::string& line :
         raw.Rows((postgres ? "EXPLAIN (ANALYZE, BUFFERS) " : "EXPLAIN QUERY PLAN ") + sql)) {
        printf("      %s\n", line.c_str());
    }
}

void Measure(const std::string& kind, const std::string& location, int64_t count, bool before) {
    bool postgres = IsPostgresLocation(location);
    printf("\n== %s, %lld scores\n", kind.c_str(), static_cast<long long>(count));
    Clock::time_point start = Clock::now();
    std::string command =
        "bash " QUZ_SOURCE_DIR "/tools/make_scores.sh '" + location + "' " + std::to_string(count);
    if (std::system(command.c_str()) != 0) {
        printf("   the generator failed\n");
        return;
    }
    printf("   generated in %.1f s\n", std::chrono::duration<double>(Clock::now() - start).count());

    std::mt19937 random(7);
    auto floor = [&](RawDatabase& raw) {
        return MedianMs(30, [&] {
            int64_t first = 1 + static_cast<int64_t>(random() % static_cast<uint64_t>(count - 100));
            raw.Rows("SELECT name, identity, score, received_at_ms FROM scores WHERE id >= " +
                     std::to_string(first) + " ORDER BY id LIMIT 100");
        });
    };
    if (before) {
        RawDatabase raw(location);
        double floorMs = floor(raw);
        printf("   before (first schema): floor %.3f ms\n", floorMs);
        for (Period period : kPeriods) {
            double ms = MedianMs(3, [&] { raw.Rows(BeforeSql(period)); });
            printf("   before %-5s %10.1f ms  (%.0f x floor)\n", PeriodKey(period), ms, ms / floorMs);
        }
        PrintPlan(raw, BeforeSql(Period::kToday), postgres);
    }

    start = Clock::now();
    std::string error;
    std::unique_ptr<ScoreStore> writer = OpenScoreStore(location, &error);
    if (writer == nullptr) {
        printf("   cannot upgrade: %s\n", error.c_str());
        return;
    }
    printf("   upgraded to schema version %d in %.1f s\n", kSchemaVersion,
           std::chrono::duration<double>(Clock::now() - start).count());
    writer.reset();
    // A few hidden names and machines, as an operator leaves them: each row read probes them.
    if (std::unique_ptr<SqlRunner> db = OpenSqlRunner(location, &error)) {
        for (int i = 0; i < 10; ++i) {
            bool changed = false;
            Subject subject{i % 2 == 0 ? SubjectKind::kName : SubjectKind::kIdentity,
                            std::to_string(1000 + i)};
            SetHidden(*db, subject, true, NowMs(), &changed);
        }
    }
    std::unique_ptr<ScoreStore> reader = OpenScoreReader(location, &error);
    RawDatabase raw(location);
    double floorMs = floor(raw);
    printf("   floor (100 rows by primary key): %.3f ms\n", floorMs);
    for (Period period : kPeriods) {
        LeaderQuery query;
        query.period = period;
        query.periodStartMs = PeriodStartMs(period, NowMs());
        std::vector<LeaderRow> rows;
        double ms = MedianMs(50, [&] { reader->Leaderboard(query, &rows); });
        printf("   store query %-5s %8.3f ms  (%.1f x floor, %zu rows)\n", PeriodKey(period), ms,
               ms / floorMs, rows.size());
        printf("    plan:\n");
        PrintPlan(raw, BoardSql(period, postgres), postgres);
    }
    if (postgres) {
        // Even a generic plan, made once for any period and mode, keeps to the index.
        printf("    today's plan as a generic prepared statement:\n");
        raw.Rows("SET plan_cache_mode = force_generic_plan");
        raw.Rows(
            "PREPARE board (smallint, bigint, text, bigint) AS SELECT name, identity, score, "
            "received_at_ms FROM best WHERE period = $1 AND period_start_ms = $2 AND mode = $3 "
            "ORDER BY score DESC, received_at_ms, score_id LIMIT $4");
        PrintPlan(raw,
                  "EXECUTE board (2, " + std::to_string(PeriodStartMs(Period::kToday, NowMs())) +
                      ", 'NORMAL', 100)",
                  true);
    }

    ServerProcess server;
    // The crowd comes from one address: the per-address cap is lifted.
    if (!server.Start(location, {"--cache-ms", "0", "--http-per-address", "1000"})) {
        printf("   quz-scored did not start: %s\n", server.Log().c_str());
        return;
    }
    for (Period period : kPeriods) {
        std::string body;
        std::string key = PeriodKey(period);
        double page = MedianMs(30, [&] { HttpGet(server.WebPort(), "/?period=" + key, &body, "en"); });
        double api = MedianMs(30, [&] { HttpGet(server.WebPort(), "/api/scores?period=" + key, &body); });
        printf("   page %-5s %8.3f ms   /api/scores %8.3f ms  (%.1f and %.1f x floor)\n", key.c_str(), page,
               api, page / floorMs, api / floorMs);
    }
    {
        // What a cached answer costs now that it first reads the counter of the operator's changes.
        ServerProcess cached;
        if (cached.Start(location, {"--cache-ms", "60000"})) {
            std::string body;
            double hit = MedianMs(200, [&] { HttpGet(cached.WebPort(), "/api/scores?period=all", &body); });
            int64_t generation = 0;
            double counter = MedianMs(200, [&] { reader->HiddenGeneration(&generation); });
            printf(
                "   /api/scores from the cache %8.3f ms, of which the counter's read %.3f ms (%.1f and %.2f "
                "x "
                "floor)\n",
                hit, counter, hit / floorMs, counter / floorMs);
        }
    }
    // A crowd with varied questions: the cache is off, and every answer is read and made anew.
    std::vector<double> latencies(100);
    std::vector<std::thread> crowd;
    Clock::time_point crowdStart = Clock::now();
    for (int i = 0; i < 100; ++i) {
        crowd.emplace_back([&, i] {
            std::string body;
            std::string path = std::string("/?period=") + PeriodKey(kPeriods[i % 3]) +
                               "&limit=" + std::to_string(100 - i % 7) +
                               (i % 2 != 0 ? "&lang=en" : "&lang=fr") + (i % 10 == 9 ? "&mode=HARD" : "");
            HttpGet(server.WebPort(), path, &body);
            latencies[static_cast<size_t>(i)] =
                std::chrono::duration<double, std::milli>(Clock::now() - crowdStart).count();
        });
    }
    for (std::thread& t : crowd) {
        t.join();
    }
    std::sort(latencies.begin(), latencies.end());
    printf("   100 page requests at once: median %.1f ms, last answered at %.1f ms\n", latencies[50],
           latencies[99]);
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : ".";
    const char* scores = getenv("QUZ_SCALE_SCORES");
    int64_t count = scores != nullptr ? std::atoll(scores) : 10000000;
    bool before = getenv("QUZ_SCALE_BEFORE") != nullptr;
    Measure("SQLite", folder + "/scale.sqlite", count, before);
    std::string problem;
    PostgresServer* postgres = SharedPostgres(&problem);
    if (postgres == nullptr) {
        printf("\nPostgreSQL skipped: %s\n", problem.c_str());
        return 0;
    }
    Measure("PostgreSQL", postgres->CreateDatabase("scale"), count, before);
    return 0;
}
