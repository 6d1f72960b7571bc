// The server's HTTP side on GNU libmicrohttpd (see http_server.h).
//
// A request passes through the library's access callback several times: once its head is in, once per
// piece of body, and once more at its end. At the end it is handed to a worker and its connection is
// suspended; the worker writes the answer and resumes it, and the callback, called once more, queues the
// answer. The library sends answers of one connection in the order of its requests.
#include "server/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "server/client_address.h"
#include "server/request_deadlines.h"
#include "server/worker_pool.h"

namespace {

struct RouteEntry {
    std::string method;
    std::string path;
    bool prefix = false;
    size_t maxBody = 0;
    HttpHandler handler;
};

// Per connection: its clock and the key its per-address count is kept under.
struct ConnectionState {
    uint64_t clock = 0;
    std::string key;  // empty when not counted (the trusted proxy)
};

// Per request, from its head to its end.
struct Exchange {
    enum class Stage { kReading, kWorking, kAnswered };
    Stage stage = Stage::kReading;
    HttpRequest request;
    const RouteEntry* route = nullptr;
    size_t maxBody = 0;
    bool bodyTooLarge = false;
    // An answer decided from the head alone (404, 405), sent once the request has ended.
    std::unique_ptr<HttpResponse> early;
    std::atomic<bool> answerReady{false};
    HttpResponse response;
};

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// "http://host:port/path" (the absolute form a proxy may send) becomes "/path".
std::string OriginPath(const char* url) {
    std::string_view target = url == nullptr ? "" : url;
    size_t scheme = target.find("://");
    if (scheme != std::string_view::npos && target.front() != '/') {
        size_t path = target.find('/', scheme + 3);
        target = path == std::string_view::npos ? "/" : target.substr(path);
    }
    // The library passes the path without its query; cut it anyway should a version not.
    target = target.substr(0, target.find('?'));
    return std::string(target.empty() ? "/" : target);
}

enum MHD_Result CollectPair(void* cls, enum MHD_ValueKind, const char* key, size_t keySize, const char* value,
                            size_t valueSize) {
    auto* pairs = static_cast<std::vector<std::pair<std::string, std::string>>*>(cls);
    pairs->emplace_back(std::string(key, keySize),
                        value == nullptr ? std::string() : std::string(value, valueSize));
    return MHD_YES;
}

// A body announced larger than the route takes is refused before any of it is read.
bool DeclaredBodyFits(const HttpRequest& request, size_t maxBody) {
    std::string length = request.Header("Content-Length");
    if (length.empty()) {
        return true;
    }
    errno = 0;
    char* end = nullptr;
    unsigned long long declared = std::strtoull(length.c_str(), &end, 10);
    return errno == 0 && end != length.c_str() && declared <= maxBody;
}

}  // namespace

bool HttpRequest::HasParam(std::string_view name) const {
    return std::any_of(query.begin(), query.end(), [name](const auto& pair) { return pair.first == name; });
}

std::string HttpRequest::Param(std::string_view name) const {
    for (const auto& [key, value] : query) {
        if (key == name) {
            return value;
        }
    }
    return "";
}

std::string HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (SameText(key, name)) {
            return value;
        }
    }
    return "";
}

HttpResponse HttpResponse::Text(int status, std::string text) {
    HttpResponse response;
    response.status = status;
    response.body = std::move(text);
    return response;
}

HttpResponse HttpResponse::Busy(int retryAfterSeconds, std::string text) {
    HttpResponse response = Text(503, std::move(text));
    response.headers.emplace_back("Retry-After", std::to_string(std::max(retryAfterSeconds, 1)));
    return response;
}

struct HttpServer::Impl {
    Impl(HttpOptions opts, HttpCounters* counts)
        : options(std::move(opts)),
          counters(counts),
          deadlines(options.requestTimeout),
          pool(options.threads, options.queueLimit) {}

    static enum MHD_Result AcceptPolicy(void* cls, const sockaddr* address, socklen_t);
    static void ConnectionEvent(void* cls, MHD_Connection* connection, void** context,
                                enum MHD_ConnectionNotificationCode event);
    static enum MHD_Result Access(void* cls, MHD_Connection* connection, const char* url, const char* method,
                                  const char* version, const char* uploadData, size_t* uploadSize,
                                  void** requestContext);
    static void Completed(void* cls, MHD_Connection* connection, void** requestContext,
                          enum MHD_RequestTerminationCode);

    enum MHD_Result Begin(MHD_Connection* connection, const char* url, const char* method,
                          Exchange* exchange);
    enum MHD_Result Finish(MHD_Connection* connection, Exchange* exchange);
    enum MHD_Result RefuseLargeBody(MHD_Connection* connection, Exchange* exchange);
    static enum MHD_Result Send(MHD_Connection* connection, const HttpResponse& response);
    void StopClock(MHD_Connection* connection);
    std::string ClientAddress(MHD_Connection* connection, const HttpRequest& request) const;

    HttpOptions options;
    HttpCounters* counters;
    std::vector<RouteEntry> routes;
    std::string trustedProxy;  // normalized
    RequestDeadlines deadlines;
    WorkerPool pool;
    MHD_Daemon* daemon = nullptr;
    // Open connections per address key; touched only on the library's thread.
    std::unordered_map<std::string, int> perAddress;
};

enum MHD_Result HttpServer::Impl::AcceptPolicy(void* cls, const sockaddr* address, socklen_t) {
    auto* impl = static_cast<Impl*>(cls);
    if (!impl->trustedProxy.empty() && AddressText(address) == impl->trustedProxy) {
        return MHD_YES;
    }
    auto it = impl->perAddress.find(AddressKey(address));
    if (it != impl->perAddress.end() && it->second >= impl->options.perAddressConnections) {
        impl->counters->refusedPerAddress.fetch_add(1);
        return MHD_NO;
    }
    return MHD_YES;
}

void HttpServer::Impl::ConnectionEvent(void* cls, MHD_Connection* connection, void** context,
                                       enum MHD_ConnectionNotificationCode event) {
    auto* impl = static_cast<Impl*>(cls);
    if (event == MHD_CONNECTION_NOTIFY_STARTED) {
        auto* state = new ConnectionState;
        const MHD_ConnectionInfo* fd = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        const MHD_ConnectionInfo* peer =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        const sockaddr* address = peer != nullptr ? peer->client_addr : nullptr;
        if (impl->trustedProxy.empty() || AddressText(address) != impl->trustedProxy) {
            state->key = AddressKey(address);
            ++impl->perAddress[state->key];
        }
        state->clock = impl->deadlines.Opened(fd != nullptr ? fd->connect_fd : -1);
        *context = state;
        impl->counters->accepted.fetch_add(1);
        impl->counters->open.fetch_add(1);
        return;
    }
    auto* state = static_cast<ConnectionState*>(*context);
    if (state == nullptr) {
        return;
    }
    impl->deadlines.Closed(state->clock);
    if (!state->key.empty()) {
        auto it = impl->perAddress.find(state->key);
        if (it != impl->perAddress.end() && --it->second <= 0) {
            impl->perAddress.erase(it);
        }
    }
    delete state;
    *context = nullptr;
    impl->counters->open.fetch_sub(1);
}

void HttpServer::Impl::StopClock(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    if (info != nullptr && info->socket_context != nullptr) {
        deadlines.RequestIn(static_cast<ConnectionState*>(info->socket_context)->clock);
    }
}

void HttpServer::Impl::Completed(void* cls, MHD_Connection* connection, void** requestContext,
                                 enum MHD_RequestTerminationCode) {
    auto* impl = static_cast<Impl*>(cls);
    delete static_cast<Exchange*>(*requestContext);
    *requestContext = nullptr;
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    if (info != nullptr && info->socket_context != nullptr) {
        impl->deadlines.AnswerSent(static_cast<ConnectionState*>(info->socket_context)->clock);
    }
}

std::string HttpServer::Impl::ClientAddress(MHD_Connection* connection, const HttpRequest& request) const {
    const MHD_ConnectionInfo* peer = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    std::string address = AddressText(peer != nullptr ? peer->client_addr : nullptr);
    if (trustedProxy.empty() || address != trustedProxy) {
        return address;
    }
    // The proxy appends the address it saw to whatever the client claimed: only the last one is its own.
    std::string forwarded = request.Header("X-Forwarded-For");
    size_t comma = forwarded.rfind(',');
    std::string last = forwarded.substr(comma == std::string::npos ? 0 : comma + 1);
    last.erase(0, last.find_first_not_of(" \t"));
    last.erase(last.find_last_not_of(" \t") + 1);
    std::string normalized;
    return NormalizeAddress(last, &normalized) ? normalized : address;
}

enum MHD_Result HttpServer::Impl::Send(MHD_Connection* connection, const HttpResponse& answer) {
    MHD_Response* response = MHD_create_response_from_buffer(
        answer.body.size(), const_cast<char*>(answer.body.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) {
        return MHD_NO;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
    for (const auto& [name, value] : answer.headers) {
        MHD_add_response_header(response, name.c_str(), value.c_str());
    }
    enum MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    return queued;
}

enum MHD_Result HttpServer::Impl::Begin(MHD_Connection* connection, const char* url, const char* method,
                                        Exchange* exchange) {
    HttpRequest& request = exchange->request;
    request.method = method;
    request.path = OriginPath(url);
    MHD_get_connection_values_n(connection, MHD_GET_ARGUMENT_KIND, CollectPair, &request.query);
    MHD_get_connection_values_n(connection, MHD_HEADER_KIND, CollectPair, &request.headers);
    request.clientAddress = ClientAddress(connection, request);
    counters->requests.fetch_add(1);

    std::string allowed;
    for (const RouteEntry& route : routes) {
        bool pathMatches = route.prefix ? request.path.compare(0, route.path.size(), route.path) == 0
                                        : request.path == route.path;
        if (!pathMatches) {
            continue;
        }
        bool methodMatches =
            request.method == route.method || (route.method == "GET" && request.method == "HEAD");
        if (methodMatches) {
            exchange->route = &route;
            exchange->maxBody = route.maxBody;
            return DeclaredBodyFits(request, route.maxBody) ? MHD_YES : RefuseLargeBody(connection, exchange);
        }
        if (allowed.find(route.method) == std::string::npos) {
            allowed += (allowed.empty() ? "" : ", ") + route.method + (route.method == "GET" ? ", HEAD" : "");
        }
    }
    exchange->early =
        std::make_unique<HttpResponse>(allowed.empty() ? HttpResponse::Text(404, "Not found.\n")
                                                       : HttpResponse::Text(405, "Method not allowed.\n"));
    if (!allowed.empty()) {
        exchange->early->headers.emplace_back("Allow", allowed);
    }
    if (request.Header("Content-Length").empty() && request.Header("Transfer-Encoding").empty()) {
        // No body to come: answered at the request's end, so pipelined requests behind it are still read.
        return MHD_YES;
    }
    // Answered before the body, which is not read: the library then closes the connection.
    StopClock(connection);
    exchange->stage = Exchange::Stage::kAnswered;
    return Send(connection, *exchange->early);
}

enum MHD_Result HttpServer::Impl::RefuseLargeBody(MHD_Connection* connection, Exchange* exchange) {
    StopClock(connection);
    exchange->stage = Exchange::Stage::kAnswered;
    return Send(connection, HttpResponse::Text(413, "Request body too large.\n"));
}

enum MHD_Result HttpServer::Impl::Finish(MHD_Connection* connection, Exchange* exchange) {
    if (exchange->early != nullptr) {
        StopClock(connection);
        exchange->stage = Exchange::Stage::kAnswered;
        return Send(connection, *exchange->early);
    }
    if (exchange->bodyTooLarge) {
        return RefuseLargeBody(connection, exchange);
    }
    StopClock(connection);
    exchange->stage = Exchange::Stage::kWorking;
    MHD_suspend_connection(connection);
    bool posted = pool.TryPost([exchange, connection] {
        try {
            exchange->response = exchange->route->handler(exchange->request);
        } catch (const std::exception& failure) {
            exchange->response = HttpResponse::Text(500, "Internal error.\n");
        }
        exchange->answerReady.store(true);
        MHD_resume_connection(connection);
    });
    if (!posted) {
        counters->busy.fetch_add(1);
        exchange->response = HttpResponse::Busy(1);
        exchange->answerReady.store(true);
        MHD_resume_connection(connection);
    }
    return MHD_YES;
}

enum MHD_Result HttpServer::Impl::Access(void* cls, MHD_Connection* connection, const char* url,
                                         const char* method, const char*, const char* uploadData,
                                         size_t* uploadSize, void** requestContext) {
    auto* impl = static_cast<Impl*>(cls);
    auto* exchange = static_cast<Exchange*>(*requestContext);
    if (exchange == nullptr) {
        exchange = new Exchange;
        *requestContext = exchange;
        return impl->Begin(connection, url, method, exchange);
    }
    switch (exchange->stage) {
        case Exchange::Stage::kReading:
            if (*uploadSize > 0) {
                size_t room = exchange->maxBody - std::min(exchange->maxBody, exchange->request.body.size());
                if (*uploadSize > room) {
                    exchange->bodyTooLarge = true;
                } else {
                    exchange->request.body.append(uploadData, *uploadSize);
                }
                *uploadSize = 0;
                return MHD_YES;
            }
            return impl->Finish(connection, exchange);
        case Exchange::Stage::kWorking:
            if (!exchange->answerReady.load()) {
                return MHD_YES;
            }
            exchange->stage = Exchange::Stage::kAnswered;
            return Send(connection, exchange->response);
        case Exchange::Stage::kAnswered:
            *uploadSize = 0;  // the rest of a body after an early answer is thrown away
            return MHD_YES;
    }
    return MHD_NO;
}

HttpServer::HttpServer(HttpOptions options) : impl(std::make_unique<Impl>(std::move(options), &counters)) {}

HttpServer::~HttpServer() {
    Stop();
}

void HttpServer::Route(const std::string& method, const std::string& path, HttpHandler handler,
                       size_t maxBody) {
    RouteEntry route;
    route.method = method;
    route.prefix = path.size() >= 2 && path.compare(path.size() - 2, 2, "/*") == 0;
    route.path = route.prefix ? path.substr(0, path.size() - 1) : path;
    route.maxBody = maxBody;
    route.handler = std::move(handler);
    impl->routes.push_back(std::move(route));
}

bool HttpServer::Start(std::string* error) {
    HttpOptions& options = impl->options;
    if (!options.trustedProxy.empty() && !NormalizeAddress(options.trustedProxy, &impl->trustedProxy)) {
        *error = "the trusted proxy is not an address: " + options.trustedProxy;
        return false;
    }
    sockaddr_storage address{};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    // No library log: its lines are about single clients' mistakes, which a flood would turn into a flood
    // of lines; what the operator needs (the port, a failure to start) is said here.
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME;
    if (inet_pton(AF_INET, options.bindAddress.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(options.port);
    } else if (inet_pton(AF_INET6, options.bindAddress.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(options.port);
        flags |= MHD_USE_IPv6;
    } else {
        *error = "bad web address " + options.bindAddress;
        return false;
    }
    impl->daemon = MHD_start_daemon(
        flags, options.port, &Impl::AcceptPolicy, impl.get(), &Impl::Access, impl.get(), MHD_OPTION_SOCK_ADDR,
        &address, MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(std::max(options.maxConnections, 1)),
        MHD_OPTION_CONNECTION_TIMEOUT,
        static_cast<unsigned>(std::max<int64_t>(options.idleTimeout.count(), 1)),
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 4096u, MHD_OPTION_NOTIFY_CONNECTION, &Impl::ConnectionEvent,
        impl.get(), MHD_OPTION_NOTIFY_COMPLETED, &Impl::Completed, impl.get(), MHD_OPTION_END);
    if (impl->daemon == nullptr) {
        *error = "cannot listen for the web on " + options.bindAddress + " port " +
                 std::to_string(options.port) + ": " + strerror(errno);
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(impl->daemon, MHD_DAEMON_INFO_BIND_PORT);
    boundPort = info != nullptr ? info->port : options.port;
    return true;
}

void HttpServer::Stop() {
    if (impl->daemon == nullptr) {
        return;
    }
    // Suspended requests must be resumed before the library stops: the workers finish theirs first.
    MHD_socket listener = MHD_quiesce_daemon(impl->daemon);
    impl->pool.Stop();
    MHD_stop_daemon(impl->daemon);
    if (listener != MHD_INVALID_SOCKET) {
        close(listener);
    }
    impl->daemon = nullptr;
}

size_t HttpServer::QueueDepth() const {
    return impl->pool.Waiting();
}

uint64_t HttpServer::DeadlineCuts() const {
    return impl->deadlines.Cut();
}
