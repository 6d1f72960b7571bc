// The TCP side in this process, against a real SQLite file or a store that fails on purpose: a score is
// committed before its connection closes, abusive senders are dropped in bounded time, the limits hold,
// and a stop stores what was received.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "server/score_receiver.h"
#include "server_support.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A store that refuses while told to (as a full disk or a lost server refuses), and counts what it took.
class FlakyStore final : public ScoreStore {
  public:
    std::atomic<bool> failing{false};
    std::atomic<bool> unstorable{false};  // what the idle check finds
    std::atomic<int> stored{0};
    bool StoreScores(const ScoreBatch& batch) override {
        if (failing.load()) {
            return false;
        }
        stored.fetch_add(static_cast<int>(batch.scores.size()));
        return true;
    }
    bool CheckStorable() override { return !unstorable.load() && !failing.load(); }
    const StoreOpening& Opening() const override { return opening; }
    StoreOpening opening;
    bool Leaderboard(const LeaderQuery&, std::vector<LeaderRow>*) override { return false; }
    bool HiddenGeneration(int64_t*) override { return false; }
    bool CountScores(int64_t* count) override {
        *count = stored.load();
        return true;
    }
    std::string LastError() const override { return "refused on purpose"; }
    const char* Kind() const override { return "flaky"; }
};

// A receiver on a free loopback port, run on its own thread for the test's length.
class Running {
  public:
    Running(const ReceiverOptions& options, ScoreStore* store)
        : receiver(OnLoopback(options), store, &stats, &refusals, &health) {
        std::string error;
        listening = receiver.Listen(&error);
        if (listening) {
            thread = std::thread([this] { receiver.Run(); });
        }
    }
    ~Running() { Stop(); }
    void Stop() {
        if (thread.joinable()) {
            receiver.Stop();
            thread.join();
        }
    }
    uint16_t Port() const { return receiver.Port(); }
    static ReceiverOptions OnLoopback(ReceiverOptions options) {
        options.bindAddress = "127.0.0.1";
        options.port = 0;
        return options;
    }

    ServerStats stats;
    RefusalLog refusals;
    StoreHealth health;
    ScoreReceiver receiver;
    bool listening = false;
    std::thread thread;
};

// True once the port takes (or, with expect false, stops taking) connections within the wait. The probe
// connection sends nothing.
bool WaitForPort(uint16_t port, std::chrono::milliseconds wait = 3s, bool expect = true) {
    Clock::time_point deadline = Clock::now() + wait;
    do {
        if ((SendToServer(port, {}, {1, 0ms, true, 200ms}) != SendOutcome::kNoConnect) == expect) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    } while (Clock::now() < deadline);
    return false;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class ScoreReceiverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        store = OpenScoreStore(folder.Path() + "/scores.sqlite", &error);
        ASSERT_NE(store, nullptr) << error;
    }
    int64_t Count() {
        int64_t count = -1;
        EXPECT_TRUE(store->CountScores(&count));
        return count;
    }
    TempFolder folder;
    std::unique_ptr<ScoreStore> store;
};

}  // namespace

TEST_F(ScoreReceiverTest, StoresAValidScoreBeforeClosingAndRefusesEverythingElse) {
    Running server(ReceiverOptions{}, store.get());
    ASSERT_TRUE(server.listening);
    ASSERT_EQ(SendToServer(server.Port(), Wire(GameText("ANNA", 4200))), SendOutcome::kClosed);
    // Seen closed, so already committed: no waiting here.
    EXPECT_EQ(Count(), 1);
    // In pieces, as a slow network may deliver it.
    SendOptions pieces;
    pieces.chunks = 4;
    pieces.gap = 10ms;
    EXPECT_EQ(SendToServer(server.Port(), Wire(GameText("BOB", 1)), pieces), SendOutcome::kClosed);
    EXPECT_EQ(Count(), 2);

    std::vector<uint8_t> damaged = Wire(GameText("EVE", 1));
    damaged[3] ^= 1;
    EXPECT_NE(SendToServer(server.Port(), damaged), SendOutcome::kNoAnswer);
    EXPECT_NE(SendToServer(server.Port(), Wire(GameText("EVE", 1, 1, ""))), SendOutcome::kNoAnswer);
    EXPECT_NE(SendToServer(server.Port(), {}), SendOutcome::kNoAnswer);
    std::vector<uint8_t> huge(100000, 'x');
    auto start = Clock::now();
    EXPECT_NE(SendToServer(server.Port(), huge, {1, 0ms, false, 3000ms}), SendOutcome::kNoAnswer);
    EXPECT_LT(SecondsSince(start), 1.0);  // dropped as soon as it is too long, not at the end
    EXPECT_EQ(Count(), 2);
    server.Stop();
    EXPECT_EQ(server.stats.stored.load(), 2u);
    EXPECT_EQ(server.stats.refused[static_cast<size_t>(Verdict::kBadChecksum)].load(), 1u);
    EXPECT_EQ(server.stats.refused[static_cast<size_t>(Verdict::kBadMode)].load(), 1u);
    EXPECT_EQ(server.stats.refused[static_cast<size_t>(Verdict::kTruncated)].load(), 1u);
    EXPECT_EQ(server.stats.refused[static_cast<size_t>(Verdict::kOversized)].load(), 1u);
    EXPECT_EQ(server.stats.RefusedTotal(), 4u);
}

TEST_F(ScoreReceiverTest, DropsSilentSendersAfterTwoSecondsAndTricklingOnesAfterFive) {
    Running server(ReceiverOptions{}, store.get());  // the default time-outs
    ASSERT_TRUE(server.listening);
    auto start = Clock::now();
    auto silent = std::async(std::launch::async, [&] {
        return SendToServer(server.Port(), {}, {1, 0ms, false, 8000ms});
    });
    // One byte a second, the message never complete.
    std::vector<uint8_t> wire = Wire(GameText("SLOW", 1));
    auto trickle = std::async(std::launch::async, [&] {
        return SendToServer(server.Port(), wire, {wire.size(), 1000ms, true, 8000ms});
    });
    EXPECT_NE(silent.get(), SendOutcome::kNoAnswer);
    EXPECT_GE(SecondsSince(start), 1.8);
    EXPECT_LE(SecondsSince(start), 2.5);
    EXPECT_EQ(server.stats.silent.load(), 1u);
    // The trickling client only learns of the close at its next byte: the server's count tells the time.
    while (server.stats.timedOut.load() < 1 && SecondsSince(start) < 8) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_LE(SecondsSince(start), 5.3);
    EXPECT_EQ(server.stats.timedOut.load(), 1u);
    EXPECT_NE(trickle.get(), SendOutcome::kNoAnswer);
    EXPECT_EQ(Count(), 0);
}

// Connections are taken by the server's own thread: on a busy machine a fixed sleep is not enough to
// know they are in.
template <typename Server>
void WaitForBeingRead(Server& server, size_t count) {
    const auto start = Clock::now();
    while (server.receiver.BeingRead() < count && SecondsSince(start) < 3) {
        std::this_thread::sleep_for(10ms);
    }
}

TEST_F(ScoreReceiverTest, LimitsMessagesPerAddressAndOpenConnections) {
    ReceiverOptions options;
    options.ratePerMinute = 3;
    {
        Running server(options, store.get());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(SendToServer(server.Port(), Wire(GameText("R", i))), SendOutcome::kClosed);
        }
        EXPECT_EQ(SendToServer(server.Port(), Wire(GameText("R", 3))), SendOutcome::kReset);
        EXPECT_EQ(server.stats.rateLimited.load(), 1u);
        EXPECT_EQ(SendToServer(server.Port(), Wire(GameText("OTHER", 1)), {}, "127.0.0.2"),
                  SendOutcome::kClosed);
    }
    EXPECT_EQ(Count(), 4);

    // Two silent connections from one address are its share: a third from it is refused at once, while
    // another address still gets in.
    options.ratePerMinute = 0;
    options.perAddressConnections = 2;
    options.maxConnections = 3;
    options.firstByteTimeout = 5000ms;  // the silent ones stay until the test has filled every place
    {
        Running server(options, store.get());
        SendOptions silent = {1, 0ms, false, 8000ms};
        auto a = std::async(std::launch::async,
                            [&] { return SendToServer(server.Port(), {}, silent, "127.0.0.3"); });
        auto b = std::async(std::launch::async,
                            [&] { return SendToServer(server.Port(), {}, silent, "127.0.0.3"); });
        WaitForBeingRead(server, 2);
        auto start = Clock::now();
        EXPECT_EQ(SendToServer(server.Port(), {}, silent, "127.0.0.3"), SendOutcome::kReset);
        EXPECT_LT(SecondsSince(start), 0.5);
        EXPECT_EQ(server.stats.tooManyOpen.load(), 1u);
        EXPECT_EQ(SendToServer(server.Port(), Wire(GameText("FOURTH", 1)), {}, "127.0.0.4"),
                  SendOutcome::kClosed);

        // Full (two silent and one that trickles its message): a new sender takes the place of the one
        // quiet the longest, at once, and the one that is sending keeps its place.
        std::vector<uint8_t> trickled = Wire(GameText("TRICKLE", 1));
        SendOptions trickling = {10, 100ms, true, 5000ms};
        auto c = std::async(std::launch::async,
                            [&] { return SendToServer(server.Port(), trickled, trickling, "127.0.0.5"); });
        WaitForBeingRead(server, 3);
        EXPECT_EQ(server.receiver.BeingRead(), 3u);
        start = Clock::now();
        EXPECT_EQ(SendToServer(server.Port(), Wire(GameText("FIFTH", 1)), {}, "127.0.0.4"),
                  SendOutcome::kClosed);
        EXPECT_LT(SecondsSince(start), 0.5);
        EXPECT_EQ(server.stats.droppedQuiet.load(), 1u);
        EXPECT_EQ(c.get(), SendOutcome::kClosed);
        EXPECT_NE(a.get(), SendOutcome::kNoAnswer);
        EXPECT_NE(b.get(), SendOutcome::kNoAnswer);
    }
    EXPECT_EQ(Count(), 7);
}

TEST(ScoreReceiver, HoldsConnectionsWhileTheDatabaseRefusesAndResetsThemIfItNeverRecovers) {
    FlakyStore flaky;
    flaky.failing = true;
    ReceiverOptions options;
    options.storeGrace = 300ms;
    Running server(options, &flaky);
    ASSERT_TRUE(server.listening);
    // Not closed while the database refuses: the sender is never told its score is kept.
    auto held = std::async(std::launch::async,
                           [&] { return SendToServer(server.Port(), Wire(GameText("WAIT", 1))); });
    EXPECT_EQ(held.wait_for(1500ms), std::future_status::timeout);
    std::string reason;
    EXPECT_FALSE(server.health.Healthy(&reason));
    EXPECT_EQ(reason, "refused on purpose");
    // Nor does a new sender get in to hand over a score that could not be kept.
    EXPECT_EQ(SendToServer(server.Port(), Wire(GameText("REFUSED", 1))), SendOutcome::kNoConnect);
    flaky.failing = false;
    EXPECT_EQ(held.get(), SendOutcome::kClosed);
    EXPECT_EQ(flaky.stored.load(), 1);
    EXPECT_TRUE(server.health.Healthy());
    EXPECT_TRUE(WaitForPort(server.Port()));

    // Found by the idle check alone (a database gone while nobody sends): the port closes and reopens.
    flaky.unstorable = true;
    EXPECT_TRUE(WaitForPort(server.Port(), 3s, false));
    EXPECT_FALSE(server.health.Healthy());
    flaky.unstorable = false;
    EXPECT_TRUE(WaitForPort(server.Port(), 3s));
    EXPECT_TRUE(server.health.Healthy());

    // At shut-down the store gets its grace; then the held senders are reset and the loss is counted.
    flaky.failing = true;
    auto lost = std::async(std::launch::async,
                           [&] { return SendToServer(server.Port(), Wire(GameText("LOST", 2))); });
    std::this_thread::sleep_for(300ms);
    server.Stop();
    EXPECT_EQ(lost.get(), SendOutcome::kReset);
    EXPECT_EQ(server.stats.lost.load(), 1u);
}

TEST_F(ScoreReceiverTest, StopStoresAMessageStillArrivingAndAcceptsNothingNew) {
    Running server(ReceiverOptions{}, store.get());
    std::vector<uint8_t> wire = Wire(GameText("LAST", 99));
    auto late = std::async(std::launch::async, [&] {
        return SendToServer(server.Port(), wire, {2, 400ms, true, 5000ms});
    });
    std::this_thread::sleep_for(150ms);
    uint16_t port = server.Port();
    server.Stop();
    EXPECT_EQ(late.get(), SendOutcome::kClosed);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(SendToServer(port, Wire(GameText("AFTER", 1))), SendOutcome::kNoConnect);
}

TEST(RateLimiter, RefillsOverTheMinuteAndForgetsQuietAddresses) {
    RateLimiter limiter(60);
    auto t = Clock::now();
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(limiter.Allow("198.51.100.1", t));
    }
    EXPECT_FALSE(limiter.Allow("198.51.100.1", t));
    EXPECT_TRUE(limiter.Allow("198.51.100.2", t));
    EXPECT_TRUE(limiter.Allow("198.51.100.1", t + 1100ms));  // one a second comes back
    EXPECT_FALSE(limiter.Allow("198.51.100.1", t + 1200ms));
    // After a quiet minute and more, both are full again and dropped from the table.
    EXPECT_TRUE(limiter.Allow("203.0.113.9", t + 200s));
    EXPECT_EQ(limiter.TrackedAddresses(), 1u);
    RateLimiter unlimited(0);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(unlimited.Allow("198.51.100.1", t));
    }
}
