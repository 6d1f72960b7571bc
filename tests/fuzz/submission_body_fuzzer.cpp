// The verified submission's body reader over any bytes (it reads what anyone posts to the server), and
// the round trip: a body it accepts encodes back to exactly the bytes it was given.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "net/submission_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SubmissionBody body;
    const std::span<const uint8_t> bytes(data, size);
    if (DecodeSubmissionBody(bytes, body) == SubmissionBodyError::None) {
        std::vector<uint8_t> again;
        if (!EncodeSubmissionBody(body, again) || again.size() != size ||
            !std::equal(again.begin(), again.end(), data)) {
            abort();
        }
    }
    return 0;
}
