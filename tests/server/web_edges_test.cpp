// quz-scored's web port on the edges of HTTP, as a browser, a proxy or a hostile client reach it: other
// methods, pipelined requests, ranges, odd targets, the library's own errors, and the deadlines that cut
// a client sending its request a byte at a time or holding an idle connection.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "http_test_client.h"
#include "server_support.h"

using Clock = std::chrono::steady_clock;

namespace {

void ExpectSafetyHeaders(const HttpAnswer& answer, const std::string& what) {
    EXPECT_EQ(answer.Header("Content-Security-Policy"), "default-src 'none'; style-src 'unsafe-inline'")
        << what;
    EXPECT_EQ(answer.Header("X-Content-Type-Options"), "nosniff") << what;
    EXPECT_FALSE(answer.Header("Content-Type").empty()) << what;
}

std::string Get(const std::string& target, const std::string& extra = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + extra + "\r\n";
}

class WebEdges : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start(folder.Path() + "/scores.sqlite")) << server.Log();
        ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText("ANNA", 900))), SendOutcome::kClosed);
    }
    TempFolder folder;
    ServerProcess server;
};

}  // namespace

TEST_F(WebEdges, AnswersOtherMethodsRangesAndOddTargetsAsHttpSays) {
    uint16_t port = server.WebPort();
    for (const char* method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"}) {
        for (const char* path : {"/", "/api/scores", "/healthz", "/metrics"}) {
            HttpAnswer answer = RawRequest(port, std::string(method) + " " + path +
                                                     " HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n"
                                                     "Connection: close\r\n\r\n");
            EXPECT_EQ(answer.status, 405) << method << " " << path;
            EXPECT_EQ(answer.Header("Allow"), "GET, HEAD") << method << " " << path;
            ExpectSafetyHeaders(answer, std::string(method) + " " + path);
        }
    }

    HttpAnswer head = RawRequest(port, "HEAD / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.empty());
    EXPECT_GT(std::atoi(head.Header("Content-Length").c_str()), 500);

    // The page and the JSON are made for each request: a range gets the whole answer, never a part.
    std::string ranges = "Range: bytes=0-10";
    for (int i = 1; i < 1000; ++i) {
        ranges += "," + std::to_string(i * 2) + "-" + std::to_string(i * 2 + 1);
    }
    for (const char* target : {"/", "/api/scores"}) {
        std::string whole;
        ASSERT_EQ(HttpGet(port, target, &whole), 200);
        for (const std::string& range : {std::string("Range: bytes=0-10"), ranges}) {
            HttpAnswer answer = RawRequest(port, Get(target, range + "\r\n"));
            EXPECT_EQ(answer.status, 200) << target;
            EXPECT_EQ(answer.body.size(), whole.size()) << target;
            EXPECT_TRUE(answer.Header("Content-Range").empty()) << target;
            EXPECT_EQ(answer.Header("Accept-Ranges"), "none") << target;
        }
    }

    // `=` inside a value stays in it, percent-encoded or not.
    for (const char* target : {"/api/scores?mode=A=B", "/api/scores?mode=A%3DB"}) {
        HttpAnswer answer = RawRequest(port, Get(target));
        EXPECT_EQ(answer.status, 200) << target;
        EXPECT_NE(answer.body.find("\"mode\":\"A=B\""), std::string::npos) << target << answer.body;
    }
    // The absolute form, as a proxy may send it.
    HttpAnswer absolute = RawRequest(port, Get("http://scores.example.org:8080/api/scores?limit=1"));
    EXPECT_EQ(absolute.status, 200);
    EXPECT_NE(absolute.body.find("\"name\":\"ANNA\""), std::string::npos) << absolute.body;
    EXPECT_EQ(RawRequest(port, Get("http://scores.example.org")).status, 200) << "no path is the page";

    HttpAnswer missing = RawRequest(port, Get("/nothing-here"));
    EXPECT_EQ(missing.status, 404);
    ExpectSafetyHeaders(missing, "404");
    // Answers the library makes on its own carry the same headers.
    HttpAnswer version = RawRequest(port, "GET / HTTP/7.0\r\nHost: x\r\n\r\n");
    EXPECT_EQ(version.status, 505);
    ExpectSafetyHeaders(version, "505");
    HttpAnswer huge = RawRequest(port, Get("/", "X-Padding: " + std::string(40000, 'p') + "\r\n"));
    EXPECT_GE(huge.status, 400);
    ExpectSafetyHeaders(huge, "head too large");
    HttpAnswer badQuery = RawRequest(port, Get("/?period=never"));
    EXPECT_EQ(badQuery.status, 400);
    ExpectSafetyHeaders(badQuery, "400");
}

TEST_F(WebEdges, AnswersPipelinedRequestsInTheirOrder) {
    int fd = ConnectFrom("", server.WebPort());
    ASSERT_GE(fd, 0);
    std::string requests =
        "GET /api/scores?limit=1 HTTP/1.1\r\nHost: x\r\n\r\n"
        "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n"
        "HEAD / HTTP/1.1\r\nHost: x\r\n\r\n"
        "GET /nothing HTTP/1.1\r\nHost: x\r\n\r\n"
        "GET /?lang=en HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    ASSERT_EQ(send(fd, requests.data(), requests.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(requests.size()));
    std::vector<HttpAnswer> answers =
        ReadAnswers(fd, 5, std::chrono::seconds(10), {false, false, true, false, false});
    close(fd);
    ASSERT_EQ(answers.size(), 5u);
    EXPECT_NE(answers[0].body.find("\"scores\""), std::string::npos);
    EXPECT_NE(answers[1].body.find("\"status\""), std::string::npos);
    EXPECT_EQ(answers[2].status, 200);
    EXPECT_TRUE(answers[2].body.empty());
    EXPECT_EQ(answers[3].status, 404);
    EXPECT_NE(answers[4].body.find("Board of the day"), std::string::npos);
}

// The whole request must arrive within 10 s of the connection, however regularly its bytes trickle in;
// an idle connection between requests is closed after the idle time-out (5 s).
TEST_F(WebEdges, CutsARequestSentAByteEveryFourSecondsTenSecondsAfterItsConnection) {
    int slow = ConnectFrom("127.0.0.2", server.WebPort());
    ASSERT_GE(slow, 0);
    Clock::time_point connected = Clock::now();
    std::string request = Get("/");
    double cutAfter = -1;
    for (size_t i = 0; i < request.size(); ++i) {
        if (send(slow, &request[i], 1, MSG_NOSIGNAL) != 1 || ClosedWithin(slow, std::chrono::seconds(4))) {
            cutAfter = std::chrono::duration<double>(Clock::now() - connected).count();
            break;
        }
    }
    close(slow);
    EXPECT_GE(cutAfter, 9.5);
    EXPECT_LE(cutAfter, 12.5);

    int idle = ConnectFrom("127.0.0.2", server.WebPort());
    std::string keepAlive = "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n";
    send(idle, keepAlive.data(), keepAlive.size(), MSG_NOSIGNAL);
    ASSERT_EQ(ReadAnswers(idle, 1, std::chrono::seconds(5)).size(), 1u);
    Clock::time_point answered = Clock::now();
    EXPECT_TRUE(ClosedWithin(idle, std::chrono::seconds(9)));
    double idleFor = std::chrono::duration<double>(Clock::now() - answered).count();
    EXPECT_GE(idleFor, 4.0);
    EXPECT_LE(idleFor, 7.5);
    close(idle);
}
