// A plain HTTP/1.1 client for the server tests (see http_test_client.h).
#include "http_test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

using Clock = std::chrono::steady_clock;

namespace {

// Parses one whole answer at the start of `buffer`; its length, or 0 when not all of it is there.
size_t ParseAnswer(const std::string& buffer, bool head, HttpAnswer* answer) {
    size_t end = buffer.find("\r\n\r\n");
    if (end == std::string::npos) {
        return 0;
    }
    HttpAnswer parsed;
    size_t lineEnd = buffer.find("\r\n");
    std::string statusLine = buffer.substr(0, lineEnd);
    size_t space = statusLine.find(' ');
    parsed.status = space == std::string::npos ? 0 : std::atoi(statusLine.c_str() + space + 1);
    size_t at = lineEnd + 2;
    long long length = -1;
    bool chunked = false;
    while (at < end) {
        size_t next = buffer.find("\r\n", at);
        std::string line = buffer.substr(at, next - at);
        size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            parsed.headers.emplace_back(line.substr(0, colon), value);
        }
        at = next + 2;
    }
    if (!parsed.Header("Content-Length").empty()) {
        length = std::atoll(parsed.Header("Content-Length").c_str());
    }
    chunked = strcasecmp(parsed.Header("Transfer-Encoding").c_str(), "chunked") == 0;
    size_t bodyStart = end + 4;
    if (head || parsed.status == 204 || parsed.status == 304) {
        *answer = parsed;
        return bodyStart;
    }
    if (chunked) {
        size_t pos = bodyStart;
        for (;;) {
            size_t sizeEnd = buffer.find("\r\n", pos);
            if (sizeEnd == std::string::npos) {
                return 0;
            }
            size_t size = std::strtoul(buffer.c_str() + pos, nullptr, 16);
            if (size == 0) {
                size_t trailerEnd = buffer.find("\r\n\r\n", sizeEnd);
                if (trailerEnd == std::string::npos && buffer.compare(sizeEnd, 4, "\r\n\r\n") != 0) {
                    if (buffer.size() < sizeEnd + 4) {
                        return 0;
                    }
                }
                *answer = parsed;
                return sizeEnd + 4;
            }
            if (buffer.size() < sizeEnd + 2 + size + 2) {
                return 0;
            }
            parsed.body.append(buffer, sizeEnd + 2, size);
            pos = sizeEnd + 2 + size + 2;
        }
    }
    if (length < 0) {
        return 0;  // ends with the connection: the caller takes the rest at the close
    }
    if (buffer.size() < bodyStart + static_cast<size_t>(length)) {
        return 0;
    }
    parsed.body = buffer.substr(bodyStart, static_cast<size_t>(length));
    *answer = parsed;
    return bodyStart + static_cast<size_t>(length);
}

}  // namespace

std::string HttpAnswer::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0) {
            return value;
        }
    }
    return "";
}

int ConnectFrom(const std::string& localAddress, uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    if (!localAddress.empty() && inet_pton(AF_INET, localAddress.c_str(), &local.sin_addr) == 1 &&
        bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        close(fd);
        return -1;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::vector<HttpAnswer> ReadAnswers(int fd, size_t count, std::chrono::milliseconds wait,
                                    const std::vector<bool>& headAnswers) {
    std::vector<HttpAnswer> answers;
    std::string buffer;
    Clock::time_point deadline = Clock::now() + wait;
    bool closed = false;
    while (answers.size() < count) {
        HttpAnswer answer;
        bool head = answers.size() < headAnswers.size() && headAnswers[answers.size()];
        if (size_t used = ParseAnswer(buffer, head, &answer); used > 0) {
            answers.push_back(answer);
            buffer.erase(0, used);
            continue;
        }
        if (closed) {
            // An answer without a length ends with the connection.
            size_t end = buffer.find("\r\n\r\n");
            if (end != std::string::npos && ParseAnswer(buffer.substr(0, end + 4), true, &answer) > 0) {
                answer.body = buffer.substr(end + 4);
                answers.push_back(answer);
            }
            break;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry = {fd, POLLIN, 0};
        if (left <= 0 || poll(&entry, 1, static_cast<int>(left)) <= 0) {
            break;
        }
        char chunk[16384];
        ssize_t got = recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0) {
            closed = true;
            continue;
        }
        buffer.append(chunk, static_cast<size_t>(got));
    }
    return answers;
}

HttpAnswer RawRequest(uint16_t port, const std::string& bytes, std::chrono::milliseconds wait) {
    int fd = ConnectFrom("", port);
    if (fd < 0) {
        return {};
    }
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    bool head = bytes.compare(0, 5, "HEAD ") == 0;
    std::vector<HttpAnswer> answers = ReadAnswers(fd, 1, wait, {head});
    close(fd);
    return answers.empty() ? HttpAnswer{} : answers.front();
}

bool ClosedWithin(int fd, std::chrono::milliseconds wait) {
    Clock::time_point deadline = Clock::now() + wait;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry = {fd, POLLIN, 0};
        if (left <= 0 || poll(&entry, 1, static_cast<int>(left)) <= 0) {
            return false;
        }
        char sink[4096];
        ssize_t got = recv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            return true;
        }
    }
}
