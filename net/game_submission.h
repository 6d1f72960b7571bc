// Sending one finished game with its replay to the score server (POST <Submit>/api/games) and reading
// what the server made of it. docs/score-api.md is the contract with the server.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/http_post.h"
#include "net/submission_body.h"

// What became of one submission, as the sender acts on it.
enum class SubmitOutcome {
    Accepted,    // 2xx: stored (verified, or kept unverified with a reason)
    Refused,     // 4xx other than 404: the server will never take this game; not retried
    NoEndpoint,  // 404: a server that predates verified games; the old message goes instead
    Retry,       // 503, any other status, no answer, a time-out: kept for later
};

struct SubmitReply {
    SubmitOutcome outcome = SubmitOutcome::Retry;
    long status = 0;
    bool verified = false;
    bool daily = false;
    int rank = 0;  // 0 when the server gave none
    int of = 0;
    std::string reason;  // the server's short reason (refused or unverified), or the transfer's error
};

// The fields of the server's JSON answer that the game uses; unknown fields are ignored, and a missing
// or malformed one leaves its default. Never fails: the status alone decides what happens.
void ReadSubmitAnswer(std::string_view json, SubmitReply* reply);

// Classifies a finished transfer.
SubmitReply ClassifyPost(const HttpPostResult& result);

struct SubmitTarget {
    const char* url = "";
    int connectTimeoutMs = 3000;
    int answerTimeoutMs = 10000;
};

// Encodes and posts. A body that cannot be encoded is Refused without a transfer.
SubmitReply SubmitGame(const SubmitTarget& target, const SubmissionBody& body);
