// Faults an operator meets, with quz-scored under load: the database file deleted, the disk full, a
// read-only database at start, PostgreSQL restarted, a start onto a new empty database. In each, every
// score whose connection was closed is stored exactly once, the health report says 503 with the reason
// while nothing can be stored, and storing resumes by itself once it can.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <future>
#include <nlohmann/json.hpp>
#include <thread>

#include "server/board_reader.h"
#include "server/health_report.h"
#include "server/score_receiver.h"
#include "server/score_store.h"
#include "server_support.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

nlohmann::json Health(uint16_t webPort, int* status) {
    std::string body;
    *status = HttpGet(webPort, "/healthz", &body);
    return nlohmann::json::parse(body, nullptr, false);
}

// Waits (bounded) for the health report to answer `want`; the last report.
nlohmann::json WaitForHealth(uint16_t webPort, int want, std::chrono::milliseconds wait = 10s) {
    Clock::time_point deadline = Clock::now() + wait;
    nlohmann::json report;
    int status = 0;
    do {
        report = Health(webPort, &status);
        if (status == want) {
            return report;
        }
        std::this_thread::sleep_for(20ms);
    } while (Clock::now() < deadline);
    ADD_FAILURE() << "the health report did not answer " << want << " in time: " << report.dump();
    return report;
}

void WaitForStored(uint16_t webPort, int64_t count) {
    Clock::time_point deadline = Clock::now() + 60s;
    int status = 0;
    while (Health(webPort, &status).value("stored", 0) < count && Clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
}

LoadPlan ValidOnly(int count, int firstId) {
    LoadPlan plan;
    plan.clients = 20;
    plan.valid = count;
    plan.firstId = firstId;
    plan.malformed = plan.badChecksum = plan.truncated = plan.oversized = plan.slow = plan.chunked = 0;
    return plan;
}

// Every score the server confirmed by its close is stored, and nothing is stored twice.
void ExpectEachConfirmedOnce(const std::string& location, const LoadResult& result,
                             const std::vector<std::string>& alsoConfirmed = {}) {
    std::multiset<std::string> names;
    std::string integrity;
    ASSERT_TRUE(ReadStoredNames(location, &names, &integrity));
    EXPECT_EQ(integrity, "ok");
    size_t missing = 0;
    for (const auto& [id, when] : result.closedAt) {
        missing += names.count("L" + std::to_string(id)) == 0 ? 1 : 0;
    }
    for (const std::string& name : alsoConfirmed) {
        missing += names.count(name) == 0 ? 1 : 0;
    }
    EXPECT_EQ(missing, 0u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size())
        << "a score stored twice";
    printf("[ fault ] %d confirmed, %d not confirmed (refused or held), %zu stored\n", result.validClosed,
           result.validNotClosed, names.size());
}

// A small file system of its own (tmpfs), where the machine lets the test mount one.
class SmallDisk {
  public:
    explicit SmallDisk(const std::string& where, const char* size) : path(where) {
        std::filesystem::create_directories(path);
        mounted = geteuid() == 0 && mount("tmpfs", path.c_str(), "tmpfs", 0, size) == 0;
    }
    ~SmallDisk() {
        if (mounted) {
            umount2(path.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted; }
    bool SetReadOnly(bool readOnly) {
        unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return mount("tmpfs", path.c_str(), "tmpfs", flags, nullptr) == 0;
    }
    // Fills the file system to its last byte; the filler goes with Free.
    void Fill() {
        FILE* filler = fopen((path + "/filler").c_str(), "wb");
        ASSERT_NE(filler, nullptr);
        std::vector<char> block(4096, 'x');
        while (fwrite(block.data(), 1, block.size(), filler) == block.size() && fflush(filler) == 0) {
        }
        fclose(filler);
    }
    void Free() { unlink((path + "/filler").c_str()); }

  private:
    std::string path;
    bool mounted = false;
};

// The disk-full case where no file system can be mounted: a store that answers as SQLite does on a full
// disk while told to, in front of a real one.
class FullDiskStore final : public ScoreStore {
  public:
    explicit FullDiskStore(std::unique_ptr<ScoreStore> real) : store(std::move(real)) {}
    std::atomic<bool> full{false};
    bool StoreScores(const ScoreBatch& batch) override { return !full.load() && store->StoreScores(batch); }
    bool Leaderboard(const LeaderQuery& query, std::vector<LeaderRow>* rows) override {
        return store->Leaderboard(query, rows);
    }
    bool CountScores(int64_t* count) override { return store->CountScores(count); }
    bool HiddenGeneration(int64_t* generation) override { return store->HiddenGeneration(generation); }
    bool CheckStorable() override { return !full.load() && store->CheckStorable(); }
    const StoreOpening& Opening() const override { return store->Opening(); }
    std::string LastError() const override {
        return full.load() ? "SQLite: database or disk is full" : store->LastError();
    }
    const char* Kind() const override { return store->Kind(); }

  private:
    std::unique_ptr<ScoreStore> store;
};

}  // namespace

TEST(StoreFaults, ADatabaseFileDeletedMidLoadStopsTheStoringUntilItIsBack) {
    TempFolder folder;
    std::string database = folder.Path() + "/scores.sqlite";
    std::string kept = folder.Path() + "/kept.sqlite";
    ServerProcess server;
    ASSERT_TRUE(server.Start(database, kLoadServerOptions)) << server.Log();
    // A second name for the file, so the test can put it back as an operator restores a backup.
    ASSERT_EQ(link(database.c_str(), kept.c_str()), 0);
    LoadResult result;
    std::thread load([&] { result = RunLoad(server.ScorePort(), ValidOnly(4000, 0)); });
    WaitForStored(server.WebPort(), 500);
    ASSERT_EQ(unlink(database.c_str()), 0);

    nlohmann::json report = WaitForHealth(server.WebPort(), 503);
    EXPECT_NE(report.value("reason", "").find("was deleted"), std::string::npos) << report.dump();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(SendToServer(server.ScorePort(), Wire(GameText("DURING", 1))), SendOutcome::kNoConnect);
    ASSERT_EQ(link(kept.c_str(), database.c_str()), 0);
    WaitForHealth(server.WebPort(), 200);
    load.join();
    EXPECT_EQ(SendToServer(server.ScorePort(), Wire(GameText("AFTER", 1))), SendOutcome::kClosed);
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();
    EXPECT_NE(server.Log().find("was deleted"), std::string::npos) << server.Log();
    ExpectEachConfirmedOnce(database, result, {"AFTER"});
}

TEST(StoreFaults, AFullDiskHoldsTheScoresAndStoresThemOnceThereIsRoom) {
    TempFolder folder;
    SmallDisk disk(folder.Path() + "/disk", "size=6m");
    if (!disk.Mounted()) {
        // No file system of its own: the same checks against a store that fails as a full disk does.
        printf("[ fault ] no tmpfs can be mounted here: the full disk is an injected failure\n");
        std::string error;
        std::string location = folder.Path() + "/scores.sqlite";
        std::unique_ptr<ScoreStore> real = OpenScoreStore(location, &error);
        ASSERT_NE(real, nullptr) << error;
        FullDiskStore store(std::move(real));
        BoardReader boards;
        ASSERT_TRUE(boards.Open(location, 1, &error)) << error;
        ReceiverOptions options;
        options.bindAddress = "127.0.0.1";
        options.port = 0;
        options.ratePerMinute = 0;
        ServerStats stats;
        RefusalLog refusals;
        StoreHealth health;
        ScoreReceiver receiver(options, &store, &stats, &refusals, &health);
        ASSERT_TRUE(receiver.Listen(&error)) << error;
        std::thread serving([&] { receiver.Run(); });
        EXPECT_EQ(SendToServer(receiver.Port(), Wire(GameText("BEFORE", 1))), SendOutcome::kClosed);
        store.full = true;
        auto held = std::async(std::launch::async,
                               [&] { return SendToServer(receiver.Port(), Wire(GameText("HELD", 2))); });
        EXPECT_EQ(held.wait_for(1500ms), std::future_status::timeout);
        auto [status, report] = HealthReport(health, &boards, stats);
        EXPECT_EQ(status, 503);
        EXPECT_NE(report.value("reason", "").find("full"), std::string::npos) << report.dump();
        store.full = false;
        EXPECT_EQ(held.get(), SendOutcome::kClosed);
        EXPECT_EQ(HealthReport(health, &boards, stats).first, 200);
        receiver.Stop();
        serving.join();
        ExpectEachConfirmedOnce(location, LoadResult{}, {"BEFORE", "HELD"});
        return;
    }
    std::string database = folder.Path() + "/disk/scores.sqlite";
    ServerProcess server;
    ASSERT_TRUE(server.Start(database, kLoadServerOptions)) << server.Log();
    LoadResult before = RunLoad(server.ScorePort(), ValidOnly(300, 0));
    ASSERT_EQ(before.validClosed, 300);
    LoadResult during;
    std::thread load([&] { during = RunLoad(server.ScorePort(), ValidOnly(3000, 1000)); });
    WaitForStored(server.WebPort(), 500);
    disk.Fill();
    nlohmann::json report = WaitForHealth(server.WebPort(), 503);
    std::string reason = report.value("reason", "");
    EXPECT_TRUE(reason.find("full") != std::string::npos || reason.find("no space") != std::string::npos)
        << report.dump();
    std::this_thread::sleep_for(1500ms);
    SendOptions quick;
    quick.wait = 1000ms;
    EXPECT_NE(SendToServer(server.ScorePort(), Wire(GameText("DURING", 1)), quick), SendOutcome::kClosed);
    disk.Free();
    WaitForHealth(server.WebPort(), 200);
    load.join();
    EXPECT_EQ(SendToServer(server.ScorePort(), Wire(GameText("AFTER", 1))), SendOutcome::kClosed);
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();
    before.closedAt.insert(before.closedAt.end(), during.closedAt.begin(), during.closedAt.end());
    before.validClosed += during.validClosed;
    before.validNotClosed += during.validNotClosed;
    ExpectEachConfirmedOnce(database, before, {"AFTER"});
}

TEST(StoreFaults, AReadOnlyDatabaseIsRefusedAtStartWithTheReason) {
    TempFolder folder;
    SmallDisk disk(folder.Path() + "/disk", "size=4m");
    std::string database = (disk.Mounted() ? folder.Path() + "/disk" : folder.Path()) + "/scores.sqlite";
    {
        ServerProcess first;
        ASSERT_TRUE(first.Start(database)) << first.Log();
        EXPECT_EQ(SendToServer(first.ScorePort(), Wire(GameText("KEPT", 1))), SendOutcome::kClosed);
        EXPECT_EQ(first.Signal(SIGTERM), 0);
    }
    auto setReadOnly = [&](bool readOnly) {
        if (disk.Mounted()) {
            return disk.SetReadOnly(readOnly);
        }
        // Not root: permissions are enough (root would pass them by).
        return chmod(database.c_str(), readOnly ? 0444 : 0644) == 0 &&
               chmod(folder.Path().c_str(), readOnly ? 0555 : 0755) == 0;
    };
    ASSERT_TRUE(setReadOnly(true));
    ServerProcess refused;
    EXPECT_FALSE(refused.Start(database));
    std::string log = refused.Log();
    EXPECT_NE(log.find("cannot open the database"), std::string::npos) << log;
    EXPECT_TRUE(log.find("readonly") != std::string::npos || log.find("read-only") != std::string::npos)
        << log;
    ASSERT_TRUE(setReadOnly(false));
    ServerProcess writable;
    ASSERT_TRUE(writable.Start(database)) << writable.Log();
    EXPECT_EQ(SendToServer(writable.ScorePort(), Wire(GameText("AGAIN", 1))), SendOutcome::kClosed);
    EXPECT_EQ(writable.Signal(SIGTERM), 0);

    // The same for a PostgreSQL database that only lets the server read.
    std::string problem;
    std::string location = TestStoreLocation("postgresql", folder, "readonly", &problem);
    if (!problem.empty()) {
        GTEST_SKIP() << "PostgreSQL part skipped: cannot start a test server: " << problem;
    }
    size_t slash = location.find("@/") + 2;
    std::string name = location.substr(slash, location.find('?') - slash);
    auto alter = [&](const char* value) {
        PGconn* conn = PQconnectdb(location.c_str());
        // The session itself must be able to write to change it back.
        PQclear(PQexec(conn, "SET default_transaction_read_only = off"));
        PGresult* result = PQexec(
            conn, ("ALTER DATABASE " + name + " SET default_transaction_read_only = " + value).c_str());
        bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        EXPECT_TRUE(ok) << PQerrorMessage(conn);
        PQclear(result);
        PQfinish(conn);
        return ok;
    };
    {
        ServerProcess first;
        ASSERT_TRUE(first.Start(location)) << first.Log();
        EXPECT_EQ(first.Signal(SIGTERM), 0);
    }
    ASSERT_TRUE(alter("on"));
    ServerProcess pgRefused;
    EXPECT_FALSE(pgRefused.Start(location));
    EXPECT_NE(pgRefused.Log().find("read-only transaction"), std::string::npos) << pgRefused.Log();
    ASSERT_TRUE(alter("off"));
    ServerProcess pgWritable;
    EXPECT_TRUE(pgWritable.Start(location)) << pgWritable.Log();
}

TEST(StoreFaults, APostgresRestartMidLoadStoresEveryConfirmedScoreOnce) {
    PostgresServer postgres;
    if (!postgres.Start()) {
        GTEST_SKIP() << "PostgreSQL restart skipped: cannot start a test server: " << postgres.Problem();
    }
    std::string location = postgres.CreateDatabase("restarted");
    ASSERT_FALSE(location.empty());
    ServerProcess server;
    ASSERT_TRUE(server.Start(location, kLoadServerOptions)) << server.Log();
    LoadResult result;
    std::thread load([&] { result = RunLoad(server.ScorePort(), ValidOnly(6000, 0)); });
    for (int64_t at : {1000, 3000}) {
        WaitForStored(server.WebPort(), at);
        postgres.Halt();
        nlohmann::json report = WaitForHealth(server.WebPort(), 503);
        EXPECT_NE(report.value("reason", "").find("PostgreSQL"), std::string::npos) << report.dump();
        ASSERT_TRUE(postgres.Resume()) << postgres.Problem();
        // The server notices at its next store, or its idle check, and recovers on its own.
        WaitForHealth(server.WebPort(), 200, 20s);
    }
    load.join();
    EXPECT_NE(server.Log().find("cannot store"), std::string::npos) << server.Log();
    EXPECT_EQ(SendToServer(server.ScorePort(), Wire(GameText("AFTER", 1))), SendOutcome::kClosed);
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();
    ExpectEachConfirmedOnce(location, result, {"AFTER"});
}

TEST(StoreFaults, AStartOntoANewEmptyDatabaseWhereThereWasOneIsLoggedLoudly) {
    TempFolder folder;
    TempFolder state;
    std::string database = folder.Path() + "/scores.sqlite";
    std::vector<std::string> options = {"--state-dir", state.Path()};
    const std::string warning = "WARNING: THE DATABASE IS NEW AND EMPTY";
    for (int start = 0; start < 2; ++start) {
        ServerProcess server;
        ASSERT_TRUE(server.Start(database, options)) << server.Log();
        EXPECT_EQ(server.Log().find(warning), std::string::npos) << server.Log();
        EXPECT_EQ(SendToServer(server.ScorePort(), Wire(GameText("KEPT", 1))), SendOutcome::kClosed);
        EXPECT_EQ(server.Signal(SIGTERM), 0);
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        unlink((database + suffix).c_str());
    }
    ServerProcess emptied;
    ASSERT_TRUE(emptied.Start(database, options)) << emptied.Log();
    EXPECT_NE(emptied.Log().find(warning), std::string::npos) << emptied.Log();
    EXPECT_EQ(emptied.Signal(SIGTERM), 0);
    // Said once: the note now names the new database.
    ServerProcess again;
    ASSERT_TRUE(again.Start(database, options)) << again.Log();
    EXPECT_EQ(again.Log().find(warning), std::string::npos) << again.Log();
}
