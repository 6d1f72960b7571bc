// The HTTP layer on its own, with routes made for the test: the route table (exact, prefix, methods),
// request bodies and their cap, the busy answer of a full worker queue, the client address behind a
// trusted proxy, and the per-address connection cap.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "http_test_client.h"
#include "server/http_server.h"

namespace {

HttpOptions LoopbackOptions() {
    HttpOptions options;
    options.bindAddress = "127.0.0.1";
    options.port = 0;
    options.threads = 2;
    return options;
}

HttpResponse Echo(const HttpRequest& request) {
    std::string text = request.method + " " + request.path + " from " + request.clientAddress + "\n";
    for (const auto& [key, value] : request.query) {
        text += "q " + key + "=" + value + "\n";
    }
    text += "body " + std::to_string(request.body.size()) + " " + request.body + "\n";
    return HttpResponse::Text(200, text);
}

std::string Get(const std::string& path, const std::string& extra = "") {
    return "GET " + path + " HTTP/1.1\r\nHost: t\r\nConnection: close\r\n" + extra + "\r\n";
}

std::string Post(const std::string& path, const std::string& body) {
    return "POST " + path +
           " HTTP/1.1\r\nHost: t\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

}  // namespace

TEST(HttpServer, RoutesByPathAndMethodAndTakesBodiesUpToTheirCap) {
    HttpServer server(LoopbackOptions());
    server.Route("GET", "/exact", Echo);
    server.Route("POST", "/exact", Echo, 16);
    server.Route("GET", "/items/*", Echo);
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    uint16_t port = server.Port();

    HttpAnswer answer = RawRequest(port, Get("/exact?a=1&b=x%3Dy&c=p=q&empty="));
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("GET /exact from 127.0.0.1"), std::string::npos) << answer.body;
    EXPECT_NE(answer.body.find("q b=x=y\n"), std::string::npos) << answer.body;
    EXPECT_NE(answer.body.find("q c=p=q\n"), std::string::npos) << answer.body;
    EXPECT_NE(answer.body.find("q empty=\n"), std::string::npos) << answer.body;
    EXPECT_EQ(answer.Header("Content-Security-Policy"), "default-src 'none'; style-src 'unsafe-inline'");

    answer = RawRequest(port, Get("/items/42/replay"));
    EXPECT_NE(answer.body.find("GET /items/42/replay"), std::string::npos) << answer.body;
    EXPECT_EQ(RawRequest(port, Get("/items")).status, 404) << "the prefix is the folder, not the word";
    EXPECT_EQ(RawRequest(port, Get("/exact/more")).status, 404);

    answer = RawRequest(port, Post("/exact", "0123456789abcdef"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("body 16 0123456789abcdef"), std::string::npos) << answer.body;
    EXPECT_EQ(RawRequest(port, Post("/exact", "0123456789abcdefX")).status, 413);
    // A chunked body announces no length: it is counted as it comes.
    answer = RawRequest(
        port,
        "POST /exact HTTP/1.1\r\nHost: t\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n"
        "10\r\n0123456789abcdef\r\n5\r\nmore!\r\n0\r\n\r\n");
    EXPECT_EQ(answer.status, 413);
    // A GET route takes no body at all.
    EXPECT_EQ(RawRequest(port, "GET /exact HTTP/1.1\r\nHost: t\r\nContent-Length: 1\r\n\r\nx").status, 413);

    answer = RawRequest(port, "DELETE /exact HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(answer.status, 405);
    EXPECT_EQ(answer.Header("Allow"), "GET, HEAD, POST");
    EXPECT_EQ(answer.Header("X-Content-Type-Options"), "nosniff");
    answer = RawRequest(port, Post("/items/1", "x"));
    EXPECT_EQ(answer.status, 405);
    EXPECT_EQ(answer.Header("Allow"), "GET, HEAD");
}

TEST(HttpServer, AnswersBusyWithRetryAfterWhenTheWorkersQueueIsFull) {
    HttpOptions options = LoopbackOptions();
    options.threads = 1;
    options.queueLimit = 1;
    HttpServer server(options);
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    int entered = 0;
    server.Route("GET", "/slow", [&](const HttpRequest&) {
        std::unique_lock lock(mutex);
        ++entered;
        released.notify_all();
        released.wait(lock, [&] { return release; });
        return HttpResponse::Text(200, "done\n");
    });
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;

    // One request runs, one waits in the queue; the third finds the queue full.
    int running = ConnectFrom("", server.Port());
    std::string request = Get("/slow");
    send(running, request.data(), request.size(), MSG_NOSIGNAL);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(released.wait_for(lock, std::chrono::seconds(5), [&] { return entered == 1; }));
    }
    int queued = ConnectFrom("", server.Port());
    send(queued, request.data(), request.size(), MSG_NOSIGNAL);
    HttpAnswer busy;
    for (int attempt = 0; attempt < 50 && busy.status != 503; ++attempt) {
        busy = RawRequest(server.Port(), request, std::chrono::seconds(2));
    }
    EXPECT_EQ(busy.status, 503);
    EXPECT_EQ(busy.Header("Retry-After"), "1");
    EXPECT_EQ(busy.Header("X-Content-Type-Options"), "nosniff");
    EXPECT_GE(server.Counters().busy.load(), 1u);
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    std::vector<HttpAnswer> first = ReadAnswers(running, 1, std::chrono::seconds(5));
    std::vector<HttpAnswer> second = ReadAnswers(queued, 1, std::chrono::seconds(5));
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(first[0].body, "done\n");
    EXPECT_EQ(second[0].body, "done\n");
    close(running);
    close(queued);
}

TEST(HttpServer, BelievesForwardedForOnlyFromTheTrustedProxyAndDoesNotCapIt) {
    HttpOptions options = LoopbackOptions();
    options.trustedProxy = "127.0.0.3";
    options.perAddressConnections = 2;
    HttpServer server(options);
    server.Route("GET", "/who", Echo);
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;

    auto from = [&](const std::string& local, const std::string& forwarded) {
        int fd = ConnectFrom(local, server.Port());
        std::string request = Get("/who", forwarded.empty() ? "" : "X-Forwarded-For: " + forwarded + "\r\n");
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        std::vector<HttpAnswer> answers = ReadAnswers(fd, 1, std::chrono::seconds(5));
        close(fd);
        return answers.empty() ? std::string() : answers[0].body;
    };
    EXPECT_NE(from("127.0.0.3", "198.51.100.9, 203.0.113.5").find("from 203.0.113.5"), std::string::npos);
    EXPECT_NE(from("127.0.0.3", "2001:db8::1").find("from 2001:db8::1"), std::string::npos);
    EXPECT_NE(from("127.0.0.3", "not an address").find("from 127.0.0.3"), std::string::npos);
    EXPECT_NE(from("127.0.0.3", "").find("from 127.0.0.3"), std::string::npos);
    EXPECT_NE(from("127.0.0.4", "203.0.113.5").find("from 127.0.0.4"), std::string::npos);

    // Every client behind the proxy shares its address: the per-address cap would shut them out.
    std::vector<int> proxied;
    for (int i = 0; i < 6; ++i) {
        proxied.push_back(ConnectFrom("127.0.0.3", server.Port()));
    }
    std::vector<int> direct;
    for (int i = 0; i < 3; ++i) {
        direct.push_back(ConnectFrom("127.0.0.6", server.Port()));
    }
    EXPECT_TRUE(ClosedWithin(direct[2], std::chrono::seconds(2))) << "the third from one address is refused";
    EXPECT_FALSE(ClosedWithin(direct[1], std::chrono::milliseconds(200)));
    EXPECT_FALSE(ClosedWithin(proxied[5], std::chrono::milliseconds(200)));
    EXPECT_NE(from("127.0.0.5", "").find("from 127.0.0.5"), std::string::npos);
    for (int fd : proxied) {
        close(fd);
    }
    for (int fd : direct) {
        close(fd);
    }
    EXPECT_GE(server.Counters().refusedPerAddress.load(), 1u);

    HttpOptions bad = LoopbackOptions();
    bad.trustedProxy = "proxy.example.org";
    HttpServer refused(bad);
    EXPECT_FALSE(refused.Start(&error));
    EXPECT_NE(error.find("not an address"), std::string::npos) << error;
}
