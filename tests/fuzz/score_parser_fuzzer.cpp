// The score server's message parser on any bytes; whatever it accepts obeys every field rule. Half of
// each input is taken as a text and given a matching checksum, so the search reaches the field
// checks instead of stopping at the checksum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "net/message.h"
#include "server/score_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExpectedSender expected;
    ScoreSubmission got;
    ParseScoreMessage(data, size, expected, &got);

    std::unique_ptr<uint8_t[]> wire = ScrambleMessage(reinterpret_cast<const char*>(data), size);
    if (ParseScoreMessage(wire.get(), size + kChecksumSize, expected, &got) == Verdict::kValid) {
        if (!IsPrintableText(got.name, kMaxNameLength) || !IsPrintableText(got.mode, kMaxModeLength) ||
            got.identity > 0x7FFFFFFFu || size + kChecksumSize > kScoreWireLimit) {
            std::abort();
        }
    }
    return 0;
}
