// The sender with verified games: each answer of the server as the settings table says (2xx done with its
// rank, 4xx not retried and the replay kept, 503 and no server kept and retried, 404 the old message
// instead), Server=off and Submit=off, and the outbox that carries games and reads the older layout.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "net/connection.h"
#include "net/http_stub.h"
#include "net/score_peer.h"
#include "net/score_sender.h"
#include "net/submission_body.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReplayOf(int seed) {
    std::vector<uint8_t> replay;
    for (int i = 0; i < 200; ++i) {
        replay.push_back(static_cast<uint8_t>(seed * 31 + i));
    }
    return replay;
}

class SenderSubmissionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quz-submit-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        outbox = folder / "quz" / kOutboxFileName;
        replays = folder / "quz" / "replays";
    }
    void TearDown() override {
        sender.Stop(0);
        fs::remove_all(folder);
    }

    // Messages to messagePort (a closed one when 0), games to submitBase.
    static ScoreSettings Settings(const std::string& submitBase, uint16_t messagePort,
                                  bool messageOff = false) {
        SetDefaultScoreSettings();
        ScoreSettings settings = CurrentScoreSettings();
        snprintf(settings.hostName, sizeof settings.hostName, "127.0.0.1");
        settings.hostAddress[0] = '\0';
        settings.port = messagePort != 0 ? messagePort : UnusedLoopbackPort();
        settings.messageOff = messageOff;
        snprintf(settings.submitUrl, sizeof settings.submitUrl, "%s",
                 submitBase.empty() ? "" : (submitBase + "/api/games").c_str());
        settings.connectTimeoutMs = 1000;
        settings.answerTimeoutMs = 2000;
        return settings;
    }
    void Start(const ScoreSettings& settings) {
        sender.Start(ScoreSenderConfig{settings, false, outbox.string(), replays.string()});
    }
    uint64_t QueueGame(const ScoreSettings& settings, const char* name, int seed,
                       const char* mode = "NORMAL") {
        return sender.Queue(settings, name, mode, 1000 + seed, false, ReplayOf(seed));
    }
    std::vector<SubmissionResult> ResultsAfterIdle() {
        EXPECT_TRUE(sender.WaitUntilIdle(10000));
        return sender.TakeResults();
    }
    std::vector<PendingScore> FileScores() {
        std::vector<PendingScore> scores;
        if (fs::exists(outbox)) {
            EXPECT_TRUE(DecodeOutbox(ReadAll(outbox), &scores));
        }
        return scores;
    }

    ScoreSender sender;
    fs::path folder;
    fs::path outbox;
    fs::path replays;
};

TEST_F(SenderSubmissionTest, AnAcceptedGameIsDoneAndItsRankReachesTheResults) {
    HttpStub stub([](const StubRequest&) {
        return StubAnswer{201, VerifiedAnswer(12, 345, true), "", false};
    });
    ScorePeer peer;
    const ScoreSettings settings = Settings(stub.BaseUrl(), peer.Port());
    Start(settings);
    const uint64_t ticket = QueueGame(settings, "Ann", 1, "DAILY-20261207");
    ASSERT_NE(ticket, 0u);
    const std::vector<SubmissionResult> results = ResultsAfterIdle();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].ticket, ticket);
    EXPECT_EQ(results[0].state, SubmissionState::Verified);
    EXPECT_TRUE(results[0].daily);
    EXPECT_EQ(results[0].rank, 12);
    EXPECT_EQ(results[0].of, 345);
    EXPECT_FALSE(fs::exists(outbox));
    // The submission replaces the message: a server that verifies does not get the score twice.
    EXPECT_FALSE(peer.WaitForConnections(1, 200));
    SubmissionBody body;
    ASSERT_EQ(DecodeSubmissionBody(stub.Requests()[0].body, body), SubmissionBodyError::None);
    EXPECT_EQ(body.replay, ReplayOf(1));
    EXPECT_TRUE(sender.TakeResults().empty()) << "each result is taken once";
}

TEST_F(SenderSubmissionTest, ARefusedGameIsNotRetriedAndItsReplayIsKept) {
    HttpStub stub([](const StubRequest&) {
        return StubAnswer{422, R"({"error":"score mismatch"})", "", false};
    });
    const ScoreSettings settings = Settings(stub.BaseUrl(), 0);
    Start(settings);
    testing::internal::CaptureStderr();
    QueueGame(settings, "Cheat", 2);
    const std::vector<SubmissionResult> results = ResultsAfterIdle();
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].state, SubmissionState::Refused);
    EXPECT_EQ(results[0].reason, "score mismatch");
    // One line, naming the reason and where the replay went.
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("score mismatch"), std::string::npos) << said;
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(replays)) {
        kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(said.find(kept[0].string()), std::string::npos) << said;
    const std::string bytes = ReadAll(kept[0]);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), ReplayOf(2));
    EXPECT_FALSE(fs::exists(outbox));

    // The next game starts a round: the refused one is not sent again.
    QueueGame(settings, "Next", 3);
    ResultsAfterIdle();
    EXPECT_EQ(stub.Requests().size(), 2u);
}

TEST_F(SenderSubmissionTest, ABusyServerOrNoneKeepsTheGameWithItsReplayForTheNextRound) {
    std::atomic<int> status{503};
    HttpStub stub([&](const StubRequest&) {
        return StubAnswer{status.load(),
                          status.load() == 503 ? "{\"error\":\"busy\"}" : VerifiedAnswer(1, 1, false),
                          "Retry-After: 2\r\n", false};
    });
    const ScoreSettings settings = Settings(stub.BaseUrl(), 0);
    Start(settings);
    testing::internal::CaptureStderr();
    const uint64_t ticket = QueueGame(settings, "Bo", 4);
    std::vector<SubmissionResult> results = ResultsAfterIdle();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Score not sent...\n");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].ticket, ticket);
    EXPECT_EQ(results[0].state, SubmissionState::Kept);
    std::vector<PendingScore> waiting = FileScores();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].replay, ReplayOf(4)) << "the replay waits with its game";
    EXPECT_STREQ(waiting[0].mode, "NORMAL");
    EXPECT_EQ(waiting[0].score, 1004);
    ASSERT_TRUE(sender.Stop(kQuitGraceMs));

    // No server at all: the same.
    const ScoreSettings nowhere = Settings("http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()), 0);
    Start(nowhere);
    testing::internal::CaptureStderr();
    // The thread reads the outbox itself: until it has, the sender looks idle.
    for (int waited = 0; sender.SendsStarted() == 0 && waited < 10000; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    results = ResultsAfterIdle();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Score not sent...\n");
    EXPECT_TRUE(results.empty()) << "a game from an earlier run has nobody waiting for its result";
    EXPECT_EQ(FileScores().size(), 1u);
    ASSERT_TRUE(sender.Stop(kQuitGraceMs));

    // The server is back: the next start sends it, oldest first, and the outbox empties.
    status = 201;
    Start(settings);
    QueueGame(settings, "Cy", 5);
    ResultsAfterIdle();
    const std::vector<StubRequest> got = stub.Requests();
    ASSERT_EQ(got.size(), 3u);
    SubmissionBody first;
    SubmissionBody second;
    ASSERT_EQ(DecodeSubmissionBody(got[1].body, first), SubmissionBodyError::None);
    ASSERT_EQ(DecodeSubmissionBody(got[2].body, second), SubmissionBodyError::None);
    EXPECT_EQ(first.name, "Bo");
    EXPECT_EQ(second.name, "Cy");
    EXPECT_FALSE(fs::exists(outbox));
}

TEST_F(SenderSubmissionTest, AnOlderServerGetsTheOldMessageInsteadAndOnlyOneTry) {
    HttpStub old([](const StubRequest&) { return StubAnswer{404, "not found", "", false}; });
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    const ScoreSettings settings = Settings(old.BaseUrl(), peer.Port());
    Start(settings);
    testing::internal::CaptureStderr();
    const uint64_t ticket = QueueGame(settings, "Dee", 6, "DAILY-20261207");
    std::vector<SubmissionResult> results = ResultsAfterIdle();
    QueueGame(settings, "Eve", 7);
    results.push_back(ResultsAfterIdle().at(0));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("does not take verified games"), std::string::npos) << said;
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].ticket, ticket);
    EXPECT_EQ(results[0].state, SubmissionState::Sent);
    EXPECT_EQ(results[1].state, SubmissionState::Sent);
    ASSERT_TRUE(peer.WaitForConnections(2, 5000));
    const std::vector<ReceivedScore> messages = peer.Received();
    ASSERT_EQ(messages[0].fields.size(), 8u);
    EXPECT_TRUE(messages[0].checksumMatches);
    EXPECT_EQ(messages[0].fields[4], "Dee");
    EXPECT_EQ(messages[0].fields[6], "DAILY-20261207");
    EXPECT_EQ(messages[0].fields[7], "1006");
    EXPECT_EQ(messages[1].fields[4], "Eve");
    EXPECT_EQ(old.Requests().size(), 1u) << "the run remembers that the server has no /api/games";
    EXPECT_FALSE(fs::exists(outbox));
}

TEST_F(SenderSubmissionTest, SubmitOffSendsTheMessageAndServerOffSendsNoMessage) {
    HttpStub stub([](const StubRequest&) { return StubAnswer{201, VerifiedAnswer(1, 2, false), "", false}; });
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    // Submit=off: the game goes as the message, as before.
    ScoreSettings submitOff = Settings("", peer.Port());
    Start(submitOff);
    QueueGame(submitOff, "Fay", 8);
    EXPECT_EQ(ResultsAfterIdle().at(0).state, SubmissionState::Sent);
    ASSERT_TRUE(peer.WaitForConnections(1, 5000));
    EXPECT_TRUE(stub.Requests().empty());
    ASSERT_TRUE(sender.Stop(0));

    // Server=off: the game is submitted; a score without a replay stays in the outbox, unsent.
    ScoreSettings messageOff = Settings(stub.BaseUrl(), peer.Port(), true);
    Start(messageOff);
    sender.Queue(messageOff, "Gil", "NORMAL", 5, false);
    QueueGame(messageOff, "Hal", 9);
    const std::vector<SubmissionResult> results = ResultsAfterIdle();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].state, SubmissionState::Kept);
    EXPECT_EQ(results[1].state, SubmissionState::Verified);
    EXPECT_EQ(stub.Requests().size(), 1u);
    EXPECT_FALSE(peer.WaitForConnections(2, 200));
    ASSERT_EQ(FileScores().size(), 1u);
    EXPECT_STREQ(FileScores()[0].name, "Gil");

    // Server=off and an older server: nowhere to go now, so the game waits too.
    ASSERT_TRUE(sender.Stop(0));
    fs::remove(outbox);
    HttpStub old([](const StubRequest&) { return StubAnswer{404, "", "", false}; });
    ScoreSettings oldOff = Settings(old.BaseUrl(), peer.Port(), true);
    Start(oldOff);
    testing::internal::CaptureStderr();
    QueueGame(oldOff, "Ida", 10);
    EXPECT_EQ(ResultsAfterIdle().at(0).state, SubmissionState::Kept);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Server=off"), std::string::npos);
    ASSERT_EQ(FileScores().size(), 1u);
    EXPECT_EQ(FileScores()[0].replay, ReplayOf(10));
}

TEST_F(SenderSubmissionTest, TheOutboxCarriesGamesAndReadsTheOlderLayout) {
    std::vector<PendingScore> scores(3);
    scores[0] = PendingScore{"Old one", "NORMAL", 5, false, {}, 0};
    scores[1] = PendingScore{"A Z.9!*-", "DAILY-20261207", -3, false, ReplayOf(11), 0};
    scores[2] = PendingScore{"", "NORMAL", 2147483647, false, {0, 0, 0}, 0};
    std::vector<PendingScore> back;
    ASSERT_TRUE(DecodeOutbox(EncodeOutbox(scores), &back));
    ASSERT_EQ(back.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_STREQ(back[i].name, scores[i].name);
        EXPECT_STREQ(back[i].mode, scores[i].mode);
        EXPECT_EQ(back[i].score, scores[i].score);
        EXPECT_EQ(back[i].replay, scores[i].replay);
    }
    for (const char* damaged :
         {"quz outbox 2\nGAME\tNORMAL\t1\tAAA\tA\n", "quz outbox 2\nGAME\tNORMAL\t1\t\tA\n",
          "quz outbox 2\nGAME\tNORMAL\t1\tA*==\tA\n", "quz outbox 2\nGAME\tNORMAL\t1\tA\n",
          "quz outbox 1\nGAME\tNORMAL\t1\tAAAA\tA\n", "quz outbox 1\nSVEK\tDAILY-1\t1\tA\n",
          "quz outbox 3\n"}) {
        EXPECT_FALSE(DecodeOutbox(damaged, &back)) << damaged;
    }
    EXPECT_EQ(EncodeBase64({}), "");
    EXPECT_EQ(EncodeBase64({'f', 'o', 'o', 'b'}), "Zm9vYg==");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(DecodeBase64("Zm9vYmE=", &bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "fooba");

    // An outbox an older game left: its scores go out as messages, and what is left is rewritten in the
    // current layout.
    fs::create_directories(outbox.parent_path());
    WriteAll(outbox, "quz outbox 1\nSVEK\tNORMAL\t10\tFirst\nRVEK\tNORMAL\t20\tSecond\n");
    ScorePeer peer;
    ASSERT_TRUE(peer.Listening());
    HttpStub stub([](const StubRequest&) { return StubAnswer{201, VerifiedAnswer(1, 1, false), "", false}; });
    const ScoreSettings settings = Settings(stub.BaseUrl(), peer.Port());
    Start(settings);
    ASSERT_TRUE(peer.WaitForConnections(2, 5000));
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    EXPECT_EQ(peer.Received()[0].fields[4], "First");
    EXPECT_EQ(peer.Received()[1].fields[1], "RVEK");
    EXPECT_TRUE(stub.Requests().empty());
    EXPECT_FALSE(fs::exists(outbox));

    ASSERT_TRUE(sender.Stop(0));
    WriteAll(outbox, "quz outbox 1\nSVEK\tNORMAL\t10\tLeft\n");
    ScoreSettings offline = Settings("", 0);
    Start(offline);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    testing::internal::GetCapturedStderr();
    // The round failed; nothing was rewritten yet, so the next score writes the new layout.
    sender.Queue(offline, "Right", "NORMAL", 1, false);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(sender.WaitUntilIdle(5000));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadAll(outbox).substr(0, 13), "quz outbox 2\n");
    EXPECT_EQ(FileScores().size(), 2u);
}

}  // namespace
