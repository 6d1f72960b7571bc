// The verified submission from the game's side: the Submit setting, the body's layout, and one POST
// against a loopback stand-in of the server's web side, with each kind of answer a server can give.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "net/game_submission.h"
#include "net/http_stub.h"
#include "net/score_client.h"
#include "net/submission_body.h"
#include "net/submit_setting.h"
#include "support/loopback.h"

namespace {

std::string UrlOf(const char* setting) {
    SubmitChoice choice;
    char url[kSubmitUrlSize];
    if (!ParseSubmitSetting(setting, &choice)) {
        return "refused";
    }
    SubmitUrlFor(choice, "http://build.example:8080", url, sizeof url);
    return url;
}

TEST(SubmitSettingTest, BaseUrlsOffAndTheBuildTimeDefault) {
    EXPECT_EQ(UrlOf("http://scores.example.org"), "http://scores.example.org/api/games");
    EXPECT_EQ(UrlOf("https://scores.example.org:8443"), "https://scores.example.org:8443/api/games");
    EXPECT_EQ(UrlOf("HTTP://127.0.0.1:8080/"), "http://127.0.0.1:8080/api/games");
    EXPECT_EQ(UrlOf("https://example.org/quz/"), "https://example.org/quz/api/games");
    EXPECT_EQ(UrlOf("http://[::1]:8080"), "http://[::1]:8080/api/games");
    EXPECT_EQ(UrlOf(""), "http://build.example:8080/api/games");
    for (const char* off : {"off", "OFF", "Off"}) {
        EXPECT_EQ(UrlOf(off), "") << off;
    }
    // A build made without a URL submits nothing unless the player names one.
    SubmitChoice none;
    char url[kSubmitUrlSize] = "x";
    SubmitUrlFor(none, "", url, sizeof url);
    EXPECT_STREQ(url, "");
}

TEST(SubmitSettingTest, RefusesWhatIsNotAPlainHttpUrlAndKeepsTheChoice) {
    SubmitChoice choice;
    ASSERT_TRUE(ParseSubmitSetting("http://kept:1234", &choice));
    const std::string tooLong = "http://" + std::string(600, 'a');
    for (const char* bad : {"scores.example.org", "ftp://host", "file:///etc/passwd", "http://", "http://:80",
                            "http://host:", "http://host:0", "http://host:65536", "http://user@host",
                            "http://host/?q=1", "http://host/#x", "http://host/a b", "http://host/%2e",
                            "http://[::1%eth0]", "http://-host", "offline", tooLong.c_str()}) {
        EXPECT_FALSE(ParseSubmitSetting(bad, &choice)) << bad;
        EXPECT_STREQ(choice.baseUrl, "http://kept:1234") << bad;
    }
}

// The table of settings: each row's effect on what the sender is given.
TEST(SubmitSettingTest, ServerAndSubmitEachTurnOffTheirOwnWayOnly) {
    auto settingsFor = [](const char* server, const char* submit) {
        EXPECT_TRUE(ParseScoreServerSetting(server, &scoreServerChoice));
        EXPECT_TRUE(ParseSubmitSetting(submit, &submitChoice));
        SetDefaultScoreSettings();
        return CurrentScoreSettings();
    };
    ScoreSettings s = settingsFor("", "http://127.0.0.1:9");
    EXPECT_STREQ(s.submitUrl, "http://127.0.0.1:9/api/games");
    EXPECT_FALSE(s.messageOff);
    s = settingsFor("", "off");
    EXPECT_STREQ(s.submitUrl, "");
    EXPECT_FALSE(s.messageOff);
    s = settingsFor("off", "http://127.0.0.1:9");
    EXPECT_STREQ(s.submitUrl, "http://127.0.0.1:9/api/games");
    EXPECT_TRUE(s.messageOff);
    scoreServerChoice = ScoreServerChoice{};
    submitChoice = SubmitChoice{};
    SetDefaultScoreSettings();
}

std::vector<uint8_t> SomeReplay() {
    std::vector<uint8_t> replay;
    for (int i = 0; i < 300; ++i) {
        replay.push_back(static_cast<uint8_t>(i * 7));  // every byte value a binary replay may hold, 0 too
    }
    return replay;
}

TEST(SubmissionBodyTest, RoundTripAndEveryRefusal) {
    SubmissionBody body{"Joueuse ete!", 0x7F123456u, SomeReplay()};
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeSubmissionBody(body, bytes));
    EXPECT_EQ(bytes.size(), kSubmissionHeaderSize + body.name.size() + body.replay.size());
    SubmissionBody back;
    ASSERT_EQ(DecodeSubmissionBody(bytes, back), SubmissionBodyError::None);
    EXPECT_EQ(back.name, body.name);
    EXPECT_EQ(back.identity, body.identity);
    EXPECT_EQ(back.replay, body.replay);

    auto decode = [](std::vector<uint8_t> b) {
        SubmissionBody out;
        return DecodeSubmissionBody(b, out);
    };
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 1);
    EXPECT_EQ(decode(cut), SubmissionBodyError::BadLength);
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_EQ(decode(longer), SubmissionBodyError::BadLength);
    std::vector<uint8_t> magic = bytes;
    magic[0] = 'X';
    EXPECT_EQ(decode(magic), SubmissionBodyError::NotASubmission);
    std::vector<uint8_t> version = bytes;
    version[4] = 2;
    EXPECT_EQ(decode(version), SubmissionBodyError::UnknownVersion);
    std::vector<uint8_t> name = bytes;
    name[6] = '\t';
    EXPECT_EQ(decode(name), SubmissionBodyError::BadName);
    std::vector<uint8_t> nameLength = bytes;
    nameLength[5] = 28;
    EXPECT_EQ(decode(nameLength), SubmissionBodyError::BadName);
    // A name length that runs past the end of a short body.
    EXPECT_EQ(decode({'Q', 'U', 'Z', 'G', 1, 20, 0, 0, 0, 0, 0, 0, 0, 0}),
              SubmissionBodyError::NotASubmission);
    EXPECT_EQ(decode({'Q', 'U', 'Z'}), SubmissionBodyError::NotASubmission);
    EXPECT_EQ(decode({}), SubmissionBodyError::NotASubmission);
    EXPECT_EQ(decode(std::vector<uint8_t>(kSubmissionBodyLimit + 1, 'Q')), SubmissionBodyError::TooLarge);
    // A replay length near 4 GB must not be read as a small one.
    std::vector<uint8_t> huge = bytes;
    huge[kSubmissionHeaderSize - 1 + body.name.size()] = 0xFF;
    EXPECT_EQ(decode(huge), SubmissionBodyError::BadLength);

    // What the game cannot send, it does not write.
    std::vector<uint8_t> none;
    EXPECT_FALSE(EncodeSubmissionBody(SubmissionBody{std::string(28, 'A'), 0, SomeReplay()}, none));
    EXPECT_FALSE(EncodeSubmissionBody(SubmissionBody{"A", 0, {}}, none));
    EXPECT_FALSE(
        EncodeSubmissionBody(SubmissionBody{"A", 0, std::vector<uint8_t>(kSubmissionReplayLimit, 1)}, none));
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(
        EncodeSubmissionBody(SubmissionBody{"", 0, std::vector<uint8_t>(kSubmissionReplayLimit, 1)}, none));
    EXPECT_EQ(none.size(), kSubmissionBodyLimit);
}

TEST(SubmitAnswerTest, ReadsRankAndReasonAndIgnoresTheRest) {
    SubmitReply reply;
    ReadSubmitAnswer(VerifiedAnswer(12, 345, true), &reply);
    EXPECT_TRUE(reply.verified);
    EXPECT_TRUE(reply.daily);
    EXPECT_EQ(reply.rank, 12);
    EXPECT_EQ(reply.of, 345);
    SubmitReply refused;
    ReadSubmitAnswer(R"({"error" : "score mismatch", "extra": [1,2]})", &refused);
    EXPECT_EQ(refused.reason, "score mismatch");
    EXPECT_FALSE(refused.verified);
    // Nonsense a broken proxy might send: nothing read, nothing past the text.
    SubmitReply junk;
    for (const char* text : {"", "<html>", R"({"rank":)", R"({"rank":99999999999,"of":3})",
                             R"({"rank":5,"of":3})", R"({"error":"unterminated)"}) {
        ReadSubmitAnswer(text, &junk);
        EXPECT_EQ(junk.rank, 0) << text;
    }
}

class GameSubmissionTest : public ::testing::Test {
  protected:
    SubmitReply Post(const std::string& url, int connectMs = 2000, int answerMs = 5000) {
        return SubmitGame(SubmitTarget{url.c_str(), connectMs, answerMs},
                          SubmissionBody{"Ann", 0x1234u, SomeReplay()});
    }
};

TEST_F(GameSubmissionTest, AnAcceptedGameArrivesWholeAndItsRankComesBack) {
    HttpStub stub([](const StubRequest&) {
        return StubAnswer{201, VerifiedAnswer(3, 40, false), "", false};
    });
    ASSERT_TRUE(stub.Listening());
    const SubmitReply reply = Post(stub.BaseUrl() + "/api/games");
    EXPECT_EQ(reply.outcome, SubmitOutcome::Accepted);
    EXPECT_TRUE(reply.verified);
    EXPECT_EQ(reply.rank, 3);
    EXPECT_EQ(reply.of, 40);
    ASSERT_TRUE(stub.WaitForRequests(1, 1000));
    const StubRequest got = stub.Requests()[0];
    EXPECT_EQ(got.method, "POST");
    EXPECT_EQ(got.path, "/api/games");
    EXPECT_EQ(got.Header("Content-Type"), kSubmissionContentType);
    SubmissionBody body;
    ASSERT_EQ(DecodeSubmissionBody(got.body, body), SubmissionBodyError::None);
    EXPECT_EQ(body.name, "Ann");
    EXPECT_EQ(body.identity, 0x1234u);
    EXPECT_EQ(body.replay, SomeReplay());
}

TEST_F(GameSubmissionTest, EachStatusIsClassedAsTheSenderNeedsIt) {
    struct Row {
        int status;
        SubmitOutcome outcome;
    };
    for (const Row& row : {Row{200, SubmitOutcome::Accepted}, Row{400, SubmitOutcome::Refused},
                           Row{409, SubmitOutcome::Refused}, Row{413, SubmitOutcome::Refused},
                           Row{422, SubmitOutcome::Refused}, Row{404, SubmitOutcome::NoEndpoint},
                           Row{429, SubmitOutcome::Retry}, Row{500, SubmitOutcome::Retry},
                           Row{503, SubmitOutcome::Retry}, Row{302, SubmitOutcome::Retry}}) {
        HttpStub stub([&](const StubRequest&) {
            return StubAnswer{row.status, R"({"error":"hash mismatch"})", "Retry-After: 5\r\n", false};
        });
        const SubmitReply reply = Post(stub.BaseUrl() + "/api/games");
        EXPECT_EQ(reply.outcome, row.outcome) << row.status;
        EXPECT_EQ(reply.status, row.status);
        EXPECT_EQ(reply.reason, "hash mismatch") << row.status;
    }
    HttpPostResult busy;
    busy.answered = true;
    busy.status = 503;
    EXPECT_EQ(ClassifyPost(busy).outcome, SubmitOutcome::Retry);
}

TEST_F(GameSubmissionTest, NoServerOrASilentOneIsRetriedAfterABoundedWait) {
    const SubmitReply refused =
        Post("http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/api/games");
    EXPECT_EQ(refused.outcome, SubmitOutcome::Retry);
    EXPECT_FALSE(refused.reason.empty());

    HttpStub silent([](const StubRequest&) { return StubAnswer{0, "", "", true}; });
    const auto start = std::chrono::steady_clock::now();
    const SubmitReply late = Post(silent.BaseUrl() + "/api/games", 500, 500);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(late.outcome, SubmitOutcome::Retry);
    EXPECT_LT(waited, std::chrono::seconds(3));
}

TEST_F(GameSubmissionTest, AnHttpsUrlSpeaksTls) {
    // The stand-in speaks no TLS: what matters is that the client's first bytes are a TLS handshake
    // record, and that the failed handshake keeps the game for later.
    HttpStub plain([](const StubRequest&) { return StubAnswer{0, "", "", true}; });
    const SubmitReply reply =
        Post("https://127.0.0.1:" + std::to_string(plain.Port()) + "/api/games", 1000, 1000);
    EXPECT_EQ(reply.outcome, SubmitOutcome::Retry);
    ASSERT_TRUE(plain.WaitForRequests(1, 3000));
    const std::vector<uint8_t> first = plain.Requests()[0].raw;
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(first[0], 0x16) << "a TLS handshake record";
    EXPECT_EQ(first[1], 0x03);
}

}  // namespace
