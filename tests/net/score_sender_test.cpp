// The score sender against loopback peers: it never holds up its caller, a score that cannot go out
// waits in the outbox and goes out at the next start or the next score, oldest first; the quit grace; the
// outbox file and its limit; Server=off.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "net/connection.h"
#include "net/score_peer.h"
#include "net/score_sender.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;

namespace {

ScoreSettings LoopbackSettings(uint16_t port) {
    SetDefaultScoreSettings();
    ScoreSettings settings = CurrentScoreSettings();
    snprintf(settings.hostName, sizeof settings.hostName, "127.0.0.1");
    settings.hostAddress[0] = '\0';
    settings.port = port;
    return settings;
}

std::vector<std::string> Names(const std::vector<PendingScore>& scores) {
    std::vector<std::string> names;
    for (const PendingScore& score : scores) {
        names.emplace_back(score.name);
    }
    return names;
}

class ScoreSenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quz-outbox-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        outbox = folder / "quz" / kOutboxFileName;
    }
    void TearDown() override {
        sender.Stop(0);
        fs::remove_all(folder);
    }

    void Start(const ScoreSettings& settings, bool off = false) {
        sender.Start(ScoreSenderConfig{settings, off, outbox.string(), ""});
    }
    void Queue(const ScoreSettings& settings, const char* name, int32_t score) {
        sender.Queue(settings, name, "NORMAL", score, false);
    }
    std::vector<std::string> NamesInFile() {
        std::vector<PendingScore> scores;
        EXPECT_TRUE(DecodeOutbox(ReadAll(outbox), &scores));
        return Names(scores);
    }

    ScoreSender sender;
    fs::path folder;
    fs::path outbox;
};

TEST_F(ScoreSenderTest, APeerThatNeverAcceptsHoldsUpNothingAndTheScoreWaitsInTheOutbox) {
    SilentListener listener(true);
    ASSERT_TRUE(listener.Listening());
    if (!LoopbackConnectHangs(listener.Port(), 200)) {
        GTEST_SKIP() << "this system completes connects to a full accept queue";
    }
    ScoreSettings settings = LoopbackSettings(listener.Port());
    settings.connectTimeoutMs = 400;
    Start(settings);
    testing::internal::CaptureStderr();
    Queue(settings, "Ann", 1250);
    // Back from Queue while the score is still on its way.
    EXPECT_TRUE(sender.Busy());
    EXPECT_EQ(Names(sender.Outbox()), std::vector<std::string>{"Ann"});
    // The thread is inside the connect that the peer never completes, the score already safe on the disk.
    for (int i = 0; i < 200 && !sender.Sending(); ++i) {
        usleep(5000);
    }
    EXPECT_TRUE(sender.Sending());
    EXPECT_EQ(sender.SendsStarted(), 1);
    EXPECT_EQ(NamesInFile(), std::vector<std::string>{"Ann"});
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Score not sent...\n");
    EXPECT_EQ(sender.SendsFailed(), 1);
    EXPECT_EQ(Names(sender.Outbox()), std::vector<std::string>{"Ann"});
    EXPECT_EQ(NamesInFile(), std::vector<std::string>{"Ann"});
}

TEST_F(ScoreSenderTest, WithNoPeerTheScoreWaitsAndTheNextStartSendsIt) {
    const uint16_t port = UnusedLoopbackPort();
    Start(LoopbackSettings(port));
    testing::internal::CaptureStderr();
    Queue(LoopbackSettings(port), "Bo", 77);
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Score not sent...\n");
    EXPECT_EQ(NamesInFile(), std::vector<std::string>{"Bo"});
    EXPECT_TRUE(sender.Stop(kQuitGraceMs));

    // The server is back: the next start sends what the outbox holds and empties it.
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    Start(LoopbackSettings(peer.Port()));
    ASSERT_TRUE(peer.WaitForConnections(1, 5000));
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    const std::vector<ReceivedScore> got = peer.Received();
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].fields.size(), 8u);
    EXPECT_TRUE(got[0].checksumMatches);
    EXPECT_EQ(got[0].fields[4], "Bo");
    EXPECT_EQ(got[0].fields[6], "NORMAL");
    EXPECT_EQ(got[0].fields[7], "77");
    EXPECT_TRUE(sender.Outbox().empty());
    EXPECT_FALSE(fs::exists(outbox)) << "an empty outbox leaves no file";
}

TEST_F(ScoreSenderTest, TheNextScoreSendsTheOutboxFirstOldestFirst) {
    const uint16_t closed = UnusedLoopbackPort();
    Start(LoopbackSettings(closed));
    testing::internal::CaptureStderr();
    for (const char* name : {"ONE", "TWO", "THREE"}) {
        Queue(LoopbackSettings(closed), name, 100);
        ASSERT_TRUE(sender.WaitUntilIdle(5000));
    }
    // Each score began a round, and each round stopped at its first failure: one line per failed send.
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Score not sent...\nScore not sent...\nScore not sent...\n");
    EXPECT_EQ(NamesInFile(), (std::vector<std::string>{"ONE", "TWO", "THREE"}));

    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    Queue(LoopbackSettings(peer.Port()), "FOUR", 100);
    ASSERT_TRUE(peer.WaitForConnections(4, 5000));
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    std::vector<std::string> order;
    for (const ReceivedScore& got : peer.Received()) {
        ASSERT_EQ(got.fields.size(), 8u);
        order.push_back(got.fields[4]);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"ONE", "TWO", "THREE", "FOUR"}));
    EXPECT_FALSE(fs::exists(outbox));
}

TEST_F(ScoreSenderTest, AtQuitASendInFlightGetsItsGraceThenStaysInTheOutbox) {
    SilentListener listener(true);
    ASSERT_TRUE(listener.Listening());
    if (!LoopbackConnectHangs(listener.Port(), 200)) {
        GTEST_SKIP() << "this system completes connects to a full accept queue";
    }
    ScoreSettings settings = LoopbackSettings(listener.Port());
    settings.connectTimeoutMs = 5000;
    Start(settings);
    Queue(settings, "LATE", 5);
    for (int i = 0; i < 200 && !sender.Sending(); ++i) {
        usleep(5000);
    }
    ASSERT_TRUE(sender.Sending());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(sender.Stop(100)) << "the thread was left to end by itself";
    EXPECT_FALSE(sender.Running());
    EXPECT_EQ(NamesInFile(), std::vector<std::string>{"LATE"});
    // Said once, at quit: the thread that was left behind says nothing when its connect gives up.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Score not sent...\n");

    // The next start sends it; a sender with nothing in flight stops at once.
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    Start(LoopbackSettings(peer.Port()));
    ASSERT_TRUE(peer.WaitForConnections(1, 5000));
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    EXPECT_TRUE(sender.Stop(0));
    EXPECT_FALSE(fs::exists(outbox));
}

TEST_F(ScoreSenderTest, ServerOffSendsNothingAndKeepsNoOutbox) {
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    fs::create_directories(outbox.parent_path());
    const std::string earlier = EncodeOutbox({PendingScore{"OLD", "NORMAL", 3, false, {}, 0}});
    WriteAll(outbox, earlier);
    Start(LoopbackSettings(peer.Port()), true);
    Queue(LoopbackSettings(peer.Port()), "NEW", 4);
    EXPECT_FALSE(sender.Busy());
    EXPECT_TRUE(sender.Outbox().empty());
    EXPECT_FALSE(peer.WaitForConnections(1, 300));
    EXPECT_EQ(ReadAll(outbox), earlier) << "left as it was, for a run with a server";
}

TEST_F(ScoreSenderTest, AFullOutboxDropsItsOldestWithALine) {
    const uint16_t closed = UnusedLoopbackPort();
    Start(LoopbackSettings(closed), true);  // nothing sent while the outbox is filled from the file
    sender.Stop(0);
    std::vector<PendingScore> hundred;
    for (int i = 0; i < 100; ++i) {
        PendingScore score;
        snprintf(score.name, sizeof score.name, "P%d", i);
        snprintf(score.mode, sizeof score.mode, "NORMAL");
        score.score = i;
        hundred.push_back(score);
    }
    fs::create_directories(outbox.parent_path());
    WriteAll(outbox, EncodeOutbox(hundred));
    testing::internal::CaptureStderr();
    Start(LoopbackSettings(closed));
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    Queue(LoopbackSettings(closed), "NEWEST", 1000);
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Outbox full: the oldest unsent score (P0, 0) is dropped\n"), std::string::npos)
        << said;
    std::vector<std::string> names = NamesInFile();
    ASSERT_EQ(names.size(), 100u);
    EXPECT_EQ(names.front(), "P1");
    EXPECT_EQ(names.back(), "NEWEST");
}

TEST_F(ScoreSenderTest, TheOutboxFileKeepsNamesAsTypedAndADamagedOneIsMovedAside) {
    std::vector<PendingScore> scores = {PendingScore{"Joueuse ete", "NORMAL", 1250, false, {}, 0},
                                        PendingScore{"", "NORMAL", -5, true, {}, 0},
                                        PendingScore{"A Z.9!*-", "NORMAL", 2147483647, false, {}, 0}};
    std::vector<PendingScore> back;
    ASSERT_TRUE(DecodeOutbox(EncodeOutbox(scores), &back));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_STREQ(back[0].name, "Joueuse ete");
    EXPECT_EQ(back[1].score, -5);
    EXPECT_TRUE(back[1].variant);
    EXPECT_EQ(back[2].score, 2147483647);
    for (const char* damaged : {"", "not an outbox\n", "quz outbox 1\nSVEK\tNORMAL\t12x\tA\n",
                                "quz outbox 1\nSVEK\tNORMAL\t2147483648\tA\n",
                                "quz outbox 1\nSVEK\tNORMAL\t1\tA", "quz outbox 1\nXVEK\tNORMAL\t1\tA\n"}) {
        EXPECT_FALSE(DecodeOutbox(damaged, &back)) << damaged;
    }

    // A file with one good line and a cut one: the good score goes on, the file is kept aside.
    const std::string text = "quz outbox 1\nSVEK\tNORMAL\t10\tGOOD\nSVEK\tNOR";
    fs::create_directories(outbox.parent_path());
    WriteAll(outbox, text);
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    testing::internal::CaptureStderr();
    Start(LoopbackSettings(peer.Port()));
    ASSERT_TRUE(peer.WaitForConnections(1, 5000));
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("moved aside"), std::string::npos);
    EXPECT_EQ(peer.Received()[0].fields[4], "GOOD");
    EXPECT_EQ(ReadAll(outbox.string() + ".bad"), text);
    EXPECT_FALSE(fs::exists(outbox));
}

}  // namespace
