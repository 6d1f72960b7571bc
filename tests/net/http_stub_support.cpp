// The loopback stand-in web side for the net tests (see http_stub.h).
#include "net/http_stub.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "support/loopback.h"

namespace {

constexpr int kPollMs = 20;
// No request in these tests takes longer; a hung client must not hang the stub too.
constexpr auto kConnectionLimit = std::chrono::seconds(15);

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 409:
            return "Conflict";
        case 413:
            return "Content Too Large";
        case 422:
            return "Unprocessable Content";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

}  // namespace

std::string StubRequest::Header(const std::string& name) const {
    const std::string wanted = Lower(name) + ":";
    size_t start = head.find("\r\n");
    while (start != std::string::npos && start + 2 < head.size()) {
        const size_t end = head.find("\r\n", start + 2);
        const std::string line = head.substr(start + 2, end - start - 2);
        if (Lower(line.substr(0, wanted.size())) == wanted) {
            std::string value = line.substr(wanted.size());
            value.erase(0, value.find_first_not_of(' '));
            return value;
        }
        start = end;
    }
    return "";
}

std::string VerifiedAnswer(int rank, int of, bool daily) {
    return "{\"id\":7,\"verified\":true,\"board\":\"" + std::string(daily ? "daily" : "normal") +
           "\",\"date\":\"2026-12-07\",\"rank\":" + std::to_string(rank) + ",\"of\":" + std::to_string(of) +
           "}";
}

HttpStub::HttpStub(std::function<StubAnswer(const StubRequest&)> answerFor) : answer(std::move(answerFor)) {
    listenFd = OpenLoopbackListener(16, &port);
    if (listenFd >= 0) {
        thread = std::thread([this] { Run(); });
    }
}

HttpStub::~HttpStub() {
    stopping = true;
    if (thread.joinable()) {
        thread.join();
    }
    if (listenFd >= 0) {
        close(listenFd);
    }
}

bool HttpStub::WaitForRequests(size_t count, int timeoutMs) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return requests.size() >= count; });
}

std::vector<StubRequest> HttpStub::Requests() {
    std::lock_guard lock(mutex);
    return requests;
}

void HttpStub::Run() {
    while (!stopping) {
        pollfd entry = {listenFd, POLLIN, 0};
        if (poll(&entry, 1, kPollMs) <= 0) {
            continue;
        }
        const int connection = accept(listenFd, nullptr, nullptr);
        if (connection >= 0) {
            Serve(connection);
            close(connection);
        }
    }
}

// One request per connection: the client under test opens a new one for every submission.
void HttpStub::Serve(int connection) {
    const auto deadline = std::chrono::steady_clock::now() + kConnectionLimit;
    StubRequest request;
    size_t headEnd = std::string::npos;
    size_t bodyLength = 0;
    auto bytesIn = [&] { return request.raw.size(); };
    while (!stopping && std::chrono::steady_clock::now() < deadline) {
        if (headEnd != std::string::npos && bytesIn() >= headEnd + 4 + bodyLength) {
            break;
        }
        pollfd entry = {connection, POLLIN, 0};
        if (poll(&entry, 1, kPollMs) <= 0) {
            continue;
        }
        uint8_t chunk[16384];
        const ssize_t got = read(connection, chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        request.raw.insert(request.raw.end(), chunk, chunk + got);
        if (headEnd == std::string::npos) {
            const std::string text(request.raw.begin(), request.raw.end());
            headEnd = text.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                request.head = text.substr(0, headEnd);
                const std::string length = request.Header("Content-Length");
                bodyLength = length.empty() ? 0 : std::stoul(length);
            }
        }
    }
    if (headEnd != std::string::npos) {
        const size_t space = request.head.find(' ');
        request.method = request.head.substr(0, space);
        request.path = request.head.substr(space + 1, request.head.find(' ', space + 1) - space - 1);
        const size_t bodyStart = headEnd + 4;
        const size_t bodyEnd = std::min(request.raw.size(), bodyStart + bodyLength);
        request.body.assign(request.raw.begin() + static_cast<std::ptrdiff_t>(bodyStart),
                            request.raw.begin() + static_cast<std::ptrdiff_t>(bodyEnd));
    }
    const StubAnswer reply = headEnd != std::string::npos ? answer(request) : StubAnswer{0, "", "", true};
    {
        std::lock_guard lock(mutex);
        requests.push_back(request);
    }
    changed.notify_all();
    if (reply.silent) {
        while (!stopping && std::chrono::steady_clock::now() < deadline) {
            pollfd entry = {connection, POLLIN, 0};
            if (poll(&entry, 1, kPollMs) > 0) {
                uint8_t chunk[256];
                if (read(connection, chunk, sizeof chunk) <= 0) {
                    return;
                }
            }
        }
        return;
    }
    const std::string text =
        "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) +
        "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(reply.body.size()) +
        "\r\nConnection: close\r\n" + reply.extraHeaders + "\r\n" + reply.body;
    (void)send(connection, text.data(), text.size(), MSG_NOSIGNAL);
    shutdown(connection, SHUT_WR);
}
