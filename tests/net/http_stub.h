// A stand-in web side of the score server on the loopback, owned by the test: it records each request
// (method, path, headers, body) with its own parsing, not the client's, and answers as the test says.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct StubRequest {
    std::string method;
    std::string path;
    std::string head;  // the request line and headers as received
    std::vector<uint8_t> body;
    std::vector<uint8_t> raw;  // every byte read, for a client that does not speak plain HTTP
    std::string Header(const std::string& name) const;  // "" when absent; the name case-insensitive
};

struct StubAnswer {
    int status = 200;
    std::string body = "{}";
    std::string extraHeaders;  // whole lines, each ending in \r\n
    bool silent = false;       // read the request, answer nothing, hold the connection until stopped
};

class HttpStub {
  public:
    // Every request gets what answer(request) returns.
    explicit HttpStub(std::function<StubAnswer(const StubRequest&)> answer);
    ~HttpStub();
    HttpStub(const HttpStub&) = delete;
    HttpStub& operator=(const HttpStub&) = delete;

    bool Listening() const { return listenFd >= 0; }
    uint16_t Port() const { return port; }
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port); }

    bool WaitForRequests(size_t count, int timeoutMs);
    std::vector<StubRequest> Requests();

  private:
    void Run();
    void Serve(int connection);

    std::function<StubAnswer(const StubRequest&)> answer;
    int listenFd = -1;
    uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<StubRequest> requests;
    std::thread thread;
};

// A body for the stub's answers: what our server says to a verified game.
std::string VerifiedAnswer(int rank, int of, bool daily);
