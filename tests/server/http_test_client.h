// A plain HTTP/1.1 client for the server tests, on raw sockets so a test can send exactly the bytes it
// means (a slow head, pipelined requests, an absolute-form target) from a loopback address of its choice.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A socket connected to 127.0.0.1:port (or from another loopback address, e.g. "127.0.0.2"); -1 on failure.
int ConnectFrom(const std::string& localAddress, uint16_t port);

struct HttpAnswer {
    int status = 0;  // 0: no answer
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string Header(const std::string& name) const;  // name matched without case
};

// Reads answers from a connection until `count` are whole or the wait ends. HEAD answers have no body:
// say which ones were answers to HEAD.
std::vector<HttpAnswer> ReadAnswers(int fd, size_t count, std::chrono::milliseconds wait,
                                    const std::vector<bool>& headAnswers = {});

// Sends raw bytes on a new connection and reads one answer.
HttpAnswer RawRequest(uint16_t port, const std::string& bytes,
                      std::chrono::milliseconds wait = std::chrono::seconds(10));

// True when the peer has closed (or reset) the connection within the wait.
bool ClosedWithin(int fd, std::chrono::milliseconds wait);
