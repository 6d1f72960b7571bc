// The server's HTTP side, on GNU libmicrohttpd: one event thread (epoll) reads and writes every
// connection, and a small pool of workers runs the handlers, each only once its request has fully
// arrived. Slow and idle clients therefore cost a descriptor and a little memory, never a worker, and
// they are bounded: a cap on connections, a cap per address (IPv6 by /64), a deadline on the whole
// request and the library's idle time-out between requests.
//
// Routes are a table: a method, a path (or a prefix ending in "/*"), a body size cap and a handler.
// A handler that cannot take more work answers HttpResponse::Busy, and a full worker queue answers the
// same on its own.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct HttpRequest {
    std::string method;  // as sent: "GET", "HEAD", "POST"...
    std::string path;    // the path alone, from an absolute-form target too
    std::vector<std::pair<std::string, std::string>> query;    // decoded, in order
    std::vector<std::pair<std::string, std::string>> headers;  // as sent
    std::string body;
    // The peer's address, or the last address of X-Forwarded-For when the peer is the trusted proxy.
    std::string clientAddress;

    bool HasParam(std::string_view name) const;
    // The first value of a query parameter; "" when absent.
    std::string Param(std::string_view name) const;
    // A header's value, its name matched without case; "" when absent.
    std::string Header(std::string_view name) const;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;

    static HttpResponse Text(int status, std::string text);
    // 503 with Retry-After: the client should come back in that many seconds.
    static HttpResponse Busy(int retryAfterSeconds, std::string text = "Busy, try again shortly.\n");
};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

struct HttpOptions {
    std::string bindAddress = "0.0.0.0";
    uint16_t port = 8080;     // 0 picks a free port
    int threads = 8;          // workers running handlers
    size_t queueLimit = 256;  // complete requests waiting for a worker before Busy answers
    int maxConnections = 1024;
    int perAddressConnections = 16;                   // a browser opens about 6
    std::chrono::milliseconds requestTimeout{10000};  // for the whole request, head and body
    std::chrono::seconds idleTimeout{5};  // silence allowed on a connection (the keep-alive wait included)
    // Whose X-Forwarded-For is believed; its own connections are not limited per address.
    std::string trustedProxy;
};

// What the web side counts, for /metrics.
struct HttpCounters {
    std::atomic<uint64_t> accepted{0};
    std::atomic<uint64_t> refusedPerAddress{0};  // over the per-address cap
    std::atomic<int64_t> open{0};
    std::atomic<uint64_t> requests{0};
    std::atomic<uint64_t> busy{0};  // answered 503 because the workers' queue was full
};

class HttpServer {
  public:
    explicit HttpServer(HttpOptions options);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Routes are added before Start. A GET route answers HEAD too. maxBody is the largest request body
    // taken (413 above it).
    void Route(const std::string& method, const std::string& path, HttpHandler handler, size_t maxBody = 0);

    // Binds and serves on the library's thread and the workers; false with the reason.
    bool Start(std::string* error);
    uint16_t Port() const { return boundPort; }
    // Stops accepting, lets the workers finish, and closes every connection.
    void Stop();

    const HttpCounters& Counters() const { return counters; }
    size_t QueueDepth() const;
    uint64_t DeadlineCuts() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl;
    HttpCounters counters;
    uint16_t boundPort = 0;
};
