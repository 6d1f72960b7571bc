// The score server a player names in quz.ini: what the setting accepts, and where the score then goes.
#include <gtest/gtest.h>

#include <string>

#include "net/connection.h"
#include "net/score_client.h"
#include "net/score_peer.h"

namespace {

class ScoreServerSettingTest : public ::testing::Test {
  protected:
    void TearDown() override {
        scoreServerChoice = ScoreServerChoice{};
        scoreServerPort = kDefaultScoreServerPort;
        SetDefaultScoreSettings();
    }
};

TEST_F(ScoreServerSettingTest, AcceptsHostHostAndPortAndOff) {
    ScoreServerChoice choice;
    ASSERT_TRUE(ParseScoreServerSetting("scores.example.org", &choice));
    EXPECT_TRUE(choice.overridden);
    EXPECT_FALSE(choice.off);
    EXPECT_STREQ(choice.host, "scores.example.org");
    EXPECT_EQ(choice.port, 4242);

    ASSERT_TRUE(ParseScoreServerSetting("127.0.0.1:5000", &choice));
    EXPECT_STREQ(choice.host, "127.0.0.1");
    EXPECT_EQ(choice.port, 5000);

    ASSERT_TRUE(ParseScoreServerSetting("host-1:65535", &choice));
    EXPECT_EQ(choice.port, 65535);

    for (const char* off : {"off", "OFF", "Off"}) {
        ASSERT_TRUE(ParseScoreServerSetting(off, &choice)) << off;
        EXPECT_TRUE(choice.off) << off;
        EXPECT_FALSE(choice.overridden) << off;
    }

    // An empty value is the same as no setting: the server chosen at build time.
    ASSERT_TRUE(ParseScoreServerSetting("", &choice));
    EXPECT_FALSE(choice.off);
    EXPECT_FALSE(choice.overridden);
}

TEST_F(ScoreServerSettingTest, RefusesWhatIsNotAHostOrPortAndKeepsTheChoice) {
    ScoreServerChoice choice;
    ASSERT_TRUE(ParseScoreServerSetting("kept:1234", &choice));
    const std::string tooLong(256, 'a');
    for (const char* bad : {"host:", ":4242", "host:0", "host:65536", "host:42x", "host:123456", "a:1:2",
                            "http://host", "ho st", "host/path", "offline:", tooLong.c_str()}) {
        EXPECT_FALSE(ParseScoreServerSetting(bad, &choice)) << bad;
        EXPECT_STREQ(choice.host, "kept") << bad;
        EXPECT_EQ(choice.port, 1234) << bad;
    }
    // "offline" is a host name like any other, not "off".
    ASSERT_TRUE(ParseScoreServerSetting("offline", &choice));
    EXPECT_FALSE(choice.off);
    EXPECT_STREQ(choice.host, "offline");
}

TEST_F(ScoreServerSettingTest, TheChosenServerReceivesTheScoreWithoutTheBuildTimeFallback) {
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    ASSERT_TRUE(
        ParseScoreServerSetting(("127.0.0.1:" + std::to_string(peer.Port())).c_str(), &scoreServerChoice));
    SetDefaultScoreSettings();
    EXPECT_STREQ(scoreHostName, "127.0.0.1");
    EXPECT_STREQ(scoreHostAddress, "");
    EXPECT_EQ(scoreServerPort, peer.Port());
    EXPECT_TRUE(SubmitScore("ANNA", "NORMAL", 42, false));
    ASSERT_TRUE(peer.WaitForConnections(1, 5000));
    ASSERT_EQ(peer.Received()[0].fields.size(), 8u);
    EXPECT_EQ(peer.Received()[0].fields[7], "42");

    // A chosen name that does not resolve is not replaced by the build-time address (which answers on
    // the peer's port here, and would take the score).
    // A label longer than 63 characters is refused by the resolver itself, with no DNS server asked.
    const std::string unresolvable = std::string(64, 'x') + ".invalid:" + std::to_string(peer.Port());
    ASSERT_TRUE(ParseScoreServerSetting(unresolvable.c_str(), &scoreServerChoice));
    SetDefaultScoreSettings();
    EXPECT_FALSE(SubmitScore("ANNA", "NORMAL", 43, false));
    EXPECT_FALSE(peer.WaitForConnections(2, 300));
}

}  // namespace
