// The score client against a real peer on the loopback: the bytes on the wire, the fallback from host
// name to host address, and the bounded failures (refused, black-holed, stalled and reset peers).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "net/connection.h"
#include "net/machine_identity.h"
#include "net/score_client.h"
#include "net/score_peer.h"
#include "platform/text.h"

namespace {

// A name that fails in the resolver itself, so the test never waits on a DNS server.
constexpr char kUnresolvable[] = "no such host.invalid";

long long MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

std::string ExpectedText(const char* tag, const std::string& name, int32_t score) {
    return std::to_string(MachineIdentity()) + "\t" + tag + "\tvektcp\t" + scoreCredential + "\t" + name +
           "\tquz\tNORMAL\t" + std::to_string(score);
}

class ScoreClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDefaultScoreSettings();
        scoreConnectTimeoutMs = kDefaultScoreConnectTimeoutMs;
        scoreSendTimeoutMs = kDefaultScoreSendTimeoutMs;
    }
    void TearDown() override {
        CloseConnection();
        scoreServerPort = kDefaultScoreServerPort;
        scoreConnectTimeoutMs = kDefaultScoreConnectTimeoutMs;
        scoreSendTimeoutMs = kDefaultScoreSendTimeoutMs;
    }
};

TEST_F(ScoreClientTest, SendsTheScrambledTextAndChecksumAndNothingElse) {
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    scoreServerPort = peer.Port();
    struct Case {
        std::string name;
        int32_t score;
        bool variant;
    };
    const Case cases[] = {{"ANNA", 123456, false},
                          {"ANNA", 123456, true},
                          {"ZERO", 0, false},
                          {"LOSER", -2147483647 - 1, false},
                          {"ABCDEFGHIJKLMNOPQRSTUVWXYZ.", 99, false}};
    for (const Case& c : cases) {
        EXPECT_TRUE(SubmitScore(c.name.c_str(), "NORMAL", c.score, c.variant)) << c.name;
    }
    // The host name answered each time, so the host address was never tried: one connection per score.
    ASSERT_TRUE(peer.WaitForConnections(std::size(cases), 5000));
    std::vector<ReceivedScore> got = peer.Received();
    ASSERT_EQ(got.size(), std::size(cases));
    for (size_t i = 0; i < got.size(); ++i) {
        std::string expected =
            ExpectedText(cases[i].variant ? "RVEK" : "SVEK", cases[i].name, cases[i].score);
        EXPECT_TRUE(got[i].checksumMatches) << i;
        EXPECT_EQ(got[i].text, expected) << i;
        // N + 4: no terminator between the text and its checksum.
        EXPECT_EQ(got[i].wire.size(), expected.size() + 4) << i;
        ASSERT_EQ(got[i].fields.size(), 8u) << i;
        EXPECT_NE(got[i].fields[0][0], '-');
    }
    EXPECT_EQ(got[2].fields[7], "0");
    EXPECT_EQ(got[3].fields[7], "-2147483648");
}

TEST_F(ScoreClientTest, FallsBackToTheDottedAddressWhenTheHostNameDoesNotResolve) {
    SocketAddressIPv4 address;
    ASSERT_TRUE(ResolveAddress("127.0.0.1", 4242, &address));
    const auto* bytes = reinterpret_cast<const uint8_t*>(&address.address);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{127, 0, 0, 1}));
    const auto* port = reinterpret_cast<const uint8_t*>(&address.port);
    EXPECT_EQ(port[0] * 256 + port[1], 4242);
    ASSERT_TRUE(ResolveAddress(nullptr, 1, &address));
    EXPECT_EQ(address.address, 0u);
    EXPECT_FALSE(ResolveAddress(kUnresolvable, 4242, &address));

    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    scoreServerPort = peer.Port();
    CopyText(scoreHostName, kUnresolvable);
    EXPECT_TRUE(SubmitScore("ANNA", "NORMAL", 5, false));
    ASSERT_TRUE(peer.WaitForConnections(1, 5000));
    EXPECT_EQ(peer.Received()[0].text, ExpectedText("SVEK", "ANNA", 5));
}

TEST_F(ScoreClientTest, RefusesQuicklyWhenNeitherCandidateAnswers) {
    scoreServerPort = UnusedLoopbackPort();
    CopyText(scoreHostName, kUnresolvable);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SubmitScore("ANNA", "NORMAL", 5, false));
    EXPECT_LT(MsSince(start), 1000);
}

TEST_F(ScoreClientTest, GivesUpOnAServerThatNeverCompletesTheConnect) {
    SilentListener listener(true);
    ASSERT_TRUE(listener.Listening());
    if (!LoopbackConnectHangs(listener.Port(), 200)) {
        GTEST_SKIP() << "this system completes connects to a full accept queue";
    }
    scoreServerPort = listener.Port();
    scoreConnectTimeoutMs = 300;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SubmitScore("ANNA", "NORMAL", 5, false));
    // Both candidates waited out their bound, and no longer.
    long long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 550);
    EXPECT_LT(elapsed, 2000);
}

TEST_F(ScoreClientTest, GivesUpOnAServerThatStopsReading) {
    SilentListener listener(false);
    ASSERT_TRUE(listener.Listening());
    scoreServerPort = listener.Port();
    scoreSendTimeoutMs = 300;
    ASSERT_TRUE(ConnectTo("127.0.0.1"));
    // Far more than the socket buffers on both sides hold.
    std::vector<uint8_t> flood(64u << 20, 'x');
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendMessageBytes(flood.data(), flood.size()));
    long long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 250);
    EXPECT_LT(elapsed, 2000);
}

TEST_F(ScoreClientTest, APeerResetMidSendGivesFalseAndLeavesTheProcessAlive) {
    // Default disposition: a SIGPIPE would end this test program.
    signal(SIGPIPE, SIG_DFL);
    ScorePeer peer(ScorePeer::Behaviour::ResetAfterFirstBytes);
    ASSERT_TRUE(peer.Listening());
    scoreServerPort = peer.Port();
    ASSERT_TRUE(ConnectTo("127.0.0.1"));
    std::vector<uint8_t> flood(64u << 20, 'x');
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendMessageBytes(flood.data(), flood.size()));
    // The reset ended the send, not the time-out.
    EXPECT_LT(MsSince(start), kDefaultScoreSendTimeoutMs - 500);
    // Writing again to the dead connection is the classic SIGPIPE case.
    EXPECT_FALSE(SendMessageBytes(flood.data(), 100));
    ASSERT_TRUE(peer.WaitForConnections(1, 5000));
    EXPECT_FALSE(peer.Received()[0].wire.empty());
}

TEST_F(ScoreClientTest, AMessageLongerThan1023CharactersIsNotSentAtAll) {
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    scoreServerPort = peer.Port();

    // Every setting at its longest: far past the message buffer, which must be neither overrun nor sent cut.
    std::string longest(1023, 'w');
    for (char* setting : {scoreClientTag, scoreCredential, scoreGameName}) {
        CopyText(setting, 1024, longest.c_str());
    }
    EXPECT_FALSE(SubmitScore(longest.c_str(), longest.c_str(), 5, false));

    // Exactly 1023 characters still go, one more does not.
    SetDefaultScoreSettings();
    CopyText(scoreCredential, "");
    size_t room = 1023 - ExpectedText("SVEK", "ANNA", 7).size();
    CopyText(scoreCredential, std::string(room + 1, 'c').c_str());
    EXPECT_FALSE(SubmitScore("ANNA", "NORMAL", 7, false));
    CopyText(scoreCredential, std::string(room, 'c').c_str());
    EXPECT_TRUE(SubmitScore("ANNA", "NORMAL", 7, false));

    // The accept queue is first in, first out: had a refused message opened a connection, it would come
    // first.
    ASSERT_TRUE(peer.WaitForConnections(1, 5000));
    std::vector<ReceivedScore> got = peer.Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wire.size(), 1023u + 4u);
    EXPECT_TRUE(got[0].checksumMatches);
}

}  // namespace
