// One HTTP POST with a bounded wait, through libcurl (http and https alike, as the URL says). The caller
// gets the status and the first few kilobytes of the answer; everything about the transfer that could
// hold a thread (name look-up, connect, TLS, the server's thinking) is under the time-outs given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

struct HttpPostRequest {
    const char* url = "";
    const char* contentType = "application/octet-stream";
    std::span<const uint8_t> body;
    int connectTimeoutMs = 3000;
    int totalTimeoutMs = 10000;
};

struct HttpPostResult {
    bool answered = false;  // an HTTP status came back; false for any failure of the transfer itself
    long status = 0;
    std::string answer;      // at most kHttpAnswerLimit bytes of the answer's body
    std::string retryAfter;  // the Retry-After header's value, if any
    std::string error;       // why the transfer failed, for a person
};

inline constexpr size_t kHttpAnswerLimit = 4096;

// True when this build can post at all (a build without libcurl cannot, and says so in every result).
bool HttpPostAvailable();

// Blocks for at most about connectTimeoutMs + totalTimeoutMs. Safe to call from any thread; one call
// shares nothing with another.
HttpPostResult HttpPost(const HttpPostRequest& request);

// Call once on the main thread before any thread posts (libcurl's global start is not thread-safe).
void HttpStartup();
