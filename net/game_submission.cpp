// One verified submission (see game_submission.h).
#include "net/game_submission.h"

#include <cctype>
#include <vector>

namespace {

// The value after "key": in a flat JSON object, or an empty view. Only what our server writes needs to
// be understood; anything else simply reads as absent.
std::string_view ValueOf(std::string_view json, std::string_view key) {
    const std::string quoted = "\"" + std::string(key) + "\"";
    size_t at = json.find(quoted);
    if (at == std::string_view::npos) {
        return {};
    }
    at += quoted.size();
    while (at < json.size() && isspace(static_cast<unsigned char>(json[at])) != 0) {
        ++at;
    }
    if (at >= json.size() || json[at] != ':') {
        return {};
    }
    ++at;
    while (at < json.size() && isspace(static_cast<unsigned char>(json[at])) != 0) {
        ++at;
    }
    return json.substr(at);
}

int IntegerOf(std::string_view value) {
    long long number = 0;
    size_t digits = 0;
    while (digits < value.size() && digits < 10 && isdigit(static_cast<unsigned char>(value[digits])) != 0) {
        number = number * 10 + (value[digits] - '0');
        ++digits;
    }
    return digits > 0 && number <= 2000000000 ? static_cast<int>(number) : 0;
}

// A short string value: printable ASCII, escapes dropped, at most 80 characters.
std::string StringOf(std::string_view value) {
    std::string text;
    if (value.empty() || value.front() != '"') {
        return text;
    }
    for (size_t i = 1; i < value.size() && text.size() < 80; ++i) {
        const char c = value[i];
        if (c == '"') {
            break;
        }
        if (c == '\\') {
            ++i;
            continue;
        }
        if (c >= 32 && c <= 126) {
            text += c;
        }
    }
    return text;
}

}  // namespace

void ReadSubmitAnswer(std::string_view json, SubmitReply* reply) {
    reply->verified = ValueOf(json, "verified").substr(0, 4) == "true";
    reply->daily = StringOf(ValueOf(json, "board")) == "daily";
    reply->rank = IntegerOf(ValueOf(json, "rank"));
    reply->of = IntegerOf(ValueOf(json, "of"));
    if (reply->rank > reply->of) {
        reply->rank = 0;
        reply->of = 0;
    }
    std::string reason = StringOf(ValueOf(json, "error"));
    if (reason.empty()) {
        reason = StringOf(ValueOf(json, "reason"));
    }
    if (!reason.empty()) {
        reply->reason = reason;
    }
}

SubmitReply ClassifyPost(const HttpPostResult& result) {
    SubmitReply reply;
    reply.status = result.status;
    if (!result.answered) {
        reply.outcome = SubmitOutcome::Retry;
        reply.reason = result.error;
        return reply;
    }
    if (result.status >= 200 && result.status < 300) {
        reply.outcome = SubmitOutcome::Accepted;
    } else if (result.status == 404) {
        reply.outcome = SubmitOutcome::NoEndpoint;
    } else if (result.status >= 400 && result.status < 500 && result.status != 408 && result.status != 429) {
        // 408 and 429 say "not now", never "not this game".
        reply.outcome = SubmitOutcome::Refused;
    } else {
        reply.outcome = SubmitOutcome::Retry;
    }
    reply.reason = "HTTP " + std::to_string(result.status);
    ReadSubmitAnswer(result.answer, &reply);
    return reply;
}

SubmitReply SubmitGame(const SubmitTarget& target, const SubmissionBody& body) {
    std::vector<uint8_t> bytes;
    if (!EncodeSubmissionBody(body, bytes)) {
        SubmitReply reply;
        reply.outcome = SubmitOutcome::Refused;
        reply.reason = "the game cannot be put in a submission";
        return reply;
    }
    HttpPostRequest request;
    request.url = target.url;
    request.contentType = kSubmissionContentType;
    request.body = bytes;
    request.connectTimeoutMs = target.connectTimeoutMs;
    request.totalTimeoutMs = target.answerTimeoutMs;
    return ClassifyPost(HttpPost(request));
}
