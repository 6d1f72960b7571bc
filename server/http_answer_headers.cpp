// The headers every web answer carries, the library's own error answers included (a malformed request
// line, a head too large, a missing Host). The library builds those inside itself and offers no hook, but
// it queues them through its exported MHD_queue_response, which this definition takes over: the program's
// own definition comes first in the dynamic link, and passes the answer on to the library's.
#include <dlfcn.h>
#include <microhttpd.h>

namespace {

using QueueFunction = enum MHD_Result (*)(MHD_Connection*, unsigned int, MHD_Response*);

constexpr const char* kAnswerHeaders[][2] = {
    // The page has no script and loads nothing: should a name ever slip through unescaped, the browser
    // still runs nothing.
    {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"Cache-Control", "no-cache"},
    // Every answer is made for its request: parts of it cannot be asked for.
    {"Accept-Ranges", "none"},
};

QueueFunction LibraryQueue() {
    static const QueueFunction queue =
        reinterpret_cast<QueueFunction>(dlsym(RTLD_NEXT, "MHD_queue_response"));
    return queue;
}

}  // namespace

extern "C" enum MHD_Result MHD_queue_response(MHD_Connection* connection, unsigned int status,
                                              MHD_Response* response) {
    for (const auto& [name, value] : kAnswerHeaders) {
        if (response != nullptr && MHD_get_response_header(response, name) == nullptr) {
            MHD_add_response_header(response, name, value);
        }
    }
    // The library's own answers are small HTML pages that do not say so.
    if (response != nullptr && MHD_get_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE) == nullptr) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/html; charset=utf-8");
    }
    QueueFunction queue = LibraryQueue();
    return queue != nullptr ? queue(connection, status, response) : MHD_NO;
}
