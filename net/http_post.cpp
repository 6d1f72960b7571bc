// HTTP POST through libcurl (see http_post.h).
#include "net/http_post.h"

#ifdef QUZ_HAVE_CURL
#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>

namespace {

size_t KeepAnswer(char* data, size_t size, size_t count, void* user) {
    auto* answer = static_cast<std::string*>(user);
    const size_t bytes = size * count;
    const size_t room = kHttpAnswerLimit - std::min(answer->size(), kHttpAnswerLimit);
    answer->append(data, std::min(bytes, room));
    // Everything is taken (a longer answer is read and dropped), so the server never sees an abort.
    return bytes;
}

size_t KeepRetryAfter(char* data, size_t size, size_t count, void* user) {
    const size_t bytes = size * count;
    std::string_view line(data, bytes);
    constexpr std::string_view name = "retry-after:";
    if (line.size() > name.size()) {
        bool match = true;
        for (size_t i = 0; i < name.size() && match; ++i) {
            match = static_cast<char>(tolower(static_cast<unsigned char>(line[i]))) == name[i];
        }
        if (match) {
            std::string_view value = line.substr(name.size());
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
                value.remove_prefix(1);
            }
            while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' ')) {
                value.remove_suffix(1);
            }
            static_cast<std::string*>(user)->assign(value.substr(0, 64));
        }
    }
    return bytes;
}

}  // namespace

bool HttpPostAvailable() {
    return true;
}

void HttpStartup() {
    static std::once_flag started;
    std::call_once(started, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpPostResult HttpPost(const HttpPostRequest& request) {
    HttpStartup();
    HttpPostResult result;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        result.error = "cannot start an HTTP transfer";
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};
    std::string contentType = std::string("Content-Type: ") + request.contentType;
    curl_slist* headers = curl_slist_append(nullptr, contentType.c_str());
    // No "Expect: 100-continue" pause before the body: the body is small and the wait would only add a
    // second to every submission to servers that never send the interim answer.
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(curl, CURLOPT_URL, request.url);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "quz");
    // A thread must never be interrupted by a signal from curl's own time-outs.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::max(request.connectTimeoutMs, 1)));
    curl_easy_setopt(
        curl, CURLOPT_TIMEOUT_MS,
        static_cast<long>(std::max(request.connectTimeoutMs, 1) + std::max(request.totalTimeoutMs, 1)));
    // A redirect would turn the POST into a GET elsewhere: the status is the answer.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, KeepAnswer);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.answer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, KeepRetryAfter);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &result.retryAfter);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
        result.answered = true;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    } else {
        result.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}

#else

bool HttpPostAvailable() {
    return false;
}

void HttpStartup() {}

HttpPostResult HttpPost(const HttpPostRequest&) {
    HttpPostResult result;
    result.error = "this build has no HTTP client";
    return result;
}

#endif
