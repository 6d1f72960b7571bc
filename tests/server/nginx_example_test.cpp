// The reverse-proxy example in dist/ as an operator would use it: nginx accepts it (nginx -t), and run on
// loopback ports in front of quz-scored it serves the leaderboard over HTTPS with the server's headers,
// passes the visitor's address to --trusted-proxy, and carries a game's score through its stream block
// with the close that tells the game its score is stored.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "server_support.h"

#ifndef QUZ_SOURCE_DIR
#define QUZ_SOURCE_DIR "."
#endif

namespace {

std::string Shell(const std::string& command, int* status) {
    return CommandOutput(command + " 2>&1", status);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Stops an nginx started by the test, by its pid file.
struct Stopper {
    std::string pidFile;
    ~Stopper() {
        int pid = std::atoi(WholeFile(pidFile).c_str());
        if (pid > 0) {
            kill(pid, SIGQUIT);
        }
    }
};

// Stands for a server whose store is slow: reads one connection to its end, waits, then closes.
class SlowCloser {
  public:
    SlowCloser() {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(fd, 4) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        thread = std::thread([this] {
            int client = accept(fd, nullptr, nullptr);
            char sink[512];
            while (client >= 0 && recv(client, sink, sizeof sink, 0) > 0) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            if (client >= 0) {
                close(client);
            }
        });
    }
    ~SlowCloser() {
        shutdown(fd, SHUT_RDWR);
        thread.join();
        close(fd);
    }
    int port = 0;

  private:
    int fd = -1;
    std::thread thread;
};

}  // namespace

TEST(NginxExample, PassesNginxCheckAndProxiesThePageAndTheScorePort) {
    int status = 0;
    Shell("command -v nginx", &status);
    ASSERT_EQ(status, 0) << "nginx is not installed: run tools/install-deps.sh";
    TempFolder folder;
    const std::string& dir = folder.Path();
    Shell("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=scores.example.org -keyout " + dir +
              "/key.pem -out " + dir + "/cert.pem",
          &status);
    ASSERT_EQ(status, 0) << "cannot make a test certificate";

    // Only what must differ on a test machine: the certificate, the pid and log files.
    std::string example = WholeFile(std::string(QUZ_SOURCE_DIR) + "/dist/quz-scored.nginx.conf");
    ASSERT_FALSE(example.empty());
    example = Replace(example, "/etc/letsencrypt/live/scores.example.org/fullchain.pem", dir + "/cert.pem");
    example = Replace(example, "/etc/letsencrypt/live/scores.example.org/privkey.pem", dir + "/key.pem");
    example = Replace(example, "/run/nginx.pid", dir + "/nginx.pid");
    example = Replace(example, "/var/log/nginx/", dir + "/");
    std::ofstream(dir + "/checked.conf") << example;
    std::string check = Shell("nginx -t -c " + dir + "/checked.conf", &status);
    EXPECT_EQ(status, 0) << check;

    // Live, on loopback ports of the test's own, with quz-scored behind it as its comment says.
    ServerProcess server;
    ASSERT_TRUE(server.Start(dir + "/scores.sqlite", {"--trusted-proxy", "127.0.0.1",
                                                      "--per-address-connections", "0", "--rate-limit", "0"}))
        << server.Log();
    int http = FreeLoopbackPort();
    int https = FreeLoopbackPort();
    int score = FreeLoopbackPort();
    ASSERT_TRUE(http > 0 && https > 0 && score > 0 && http != https && https != score && http != score);
    std::string live = example;
    live = Replace(live, "    listen [::]:80;\n", "");
    live = Replace(live, "    listen [::]:443 ssl http2;\n", "");
    live = Replace(live, "        listen [::]:4242;\n", "");
    live = Replace(live, "listen 80;", "listen 127.0.0.1:" + std::to_string(http) + ";");
    live =
        Replace(live, "listen 443 ssl http2;", "listen 127.0.0.1:" + std::to_string(https) + " ssl http2;");
    live = Replace(live, "listen 4242;", "listen 127.0.0.1:" + std::to_string(score) + ";");
    live =
        Replace(live, "server 127.0.0.1:8080;", "server 127.0.0.1:" + std::to_string(server.WebPort()) + ";");
    live = Replace(live, "proxy_pass 127.0.0.1:4243;",
                   "proxy_pass 127.0.0.1:" + std::to_string(server.ScorePort()) + ";");
    std::ofstream(dir + "/live.conf") << live;
    std::string started = Shell("nginx -c " + dir + "/live.conf", &status);
    ASSERT_EQ(status, 0) << started;
    Stopper stopper{dir + "/nginx.pid"};
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    // A score through the stream block: stored, and the game sees the close only after that.
    EXPECT_EQ(SendToServer(static_cast<uint16_t>(score), Wire(GameText("PROXIED", 4321))),
              SendOutcome::kClosed);
    std::string answer =
        Shell("curl -sk -D - --resolve scores.example.org:" + std::to_string(https) +
                  ":127.0.0.1 https://scores.example.org:" + std::to_string(https) + "/api/scores",
              &status);
    EXPECT_EQ(status, 0) << answer;
    EXPECT_NE(answer.find("HTTP/2 200"), std::string::npos) << answer;
    EXPECT_NE(answer.find("\"name\":\"PROXIED\""), std::string::npos) << answer;
    EXPECT_NE(answer.find("content-security-policy: default-src 'none'"), std::string::npos) << answer;
    EXPECT_NE(answer.find("strict-transport-security"), std::string::npos) << answer;
    std::string redirect = Shell(
        "curl -s -o /dev/null -w '%{http_code}' http://127.0.0.1:" + std::to_string(http) + "/", &status);
    EXPECT_EQ(redirect, "301");
    std::string metrics;
    ASSERT_EQ(HttpGet(server.WebPort(), "/metrics", &metrics), 200);
    EXPECT_NE(metrics.find("quz_scores_stored_total 1\n"), std::string::npos) << metrics;

    // The close reaches the game only when the server closes, however long its store takes: a proxy that
    // closed on the game's half-close would have the game count an unstored score as kept.
    SlowCloser slow;
    int slowFront = FreeLoopbackPort();
    std::string second = live;
    second = Replace(second, "listen 127.0.0.1:" + std::to_string(score) + ";",
                     "listen 127.0.0.1:" + std::to_string(slowFront) + ";");
    second = Replace(second, "proxy_pass 127.0.0.1:" + std::to_string(server.ScorePort()) + ";",
                     "proxy_pass 127.0.0.1:" + std::to_string(slow.port) + ";");
    second = Replace(second, "listen 127.0.0.1:" + std::to_string(http) + ";",
                     "listen 127.0.0.1:" + std::to_string(FreeLoopbackPort()) + ";");
    second = Replace(second, "listen 127.0.0.1:" + std::to_string(https) + " ssl",
                     "listen 127.0.0.1:" + std::to_string(FreeLoopbackPort()) + " ssl");
    second = Replace(second, dir + "/nginx.pid", dir + "/nginx2.pid");
    std::ofstream(dir + "/second.conf") << second;
    started = Shell("nginx -c " + dir + "/second.conf", &status);
    ASSERT_EQ(status, 0) << started;
    Stopper secondStopper{dir + "/nginx2.pid"};
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto sent = std::chrono::steady_clock::now();
    EXPECT_EQ(SendToServer(static_cast<uint16_t>(slowFront), Wire(GameText("HELD", 1))),
              SendOutcome::kClosed);
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count(), 0.7);
}
