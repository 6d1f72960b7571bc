// The score server's message parser on any bytes; whatever it accepts obeys every field rule, and every
// message the game can send is accepted with the same fields. The input is also taken as a text and given
// a matching checksum, so the search reaches the field checks instead of stopping at the checksum.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/message.h"
#include "net/score_message.h"
#include "server/score_parser.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

// A name the game's name entry can produce: 1 to 27 characters that the bitmap font draws, or a space.
std::string PlayerName(FuzzedDataProvider& input) {
    static const char kAllowed[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.!*- ";
    std::string name;
    const size_t length = input.ConsumeIntegralInRange<size_t>(1, kMaxNameLength);
    for (size_t i = 0; i < length; ++i) {
        name += kAllowed[input.ConsumeIntegralInRange<size_t>(0, sizeof kAllowed - 2)];
    }
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ExpectedSender expected;
    ScoreSubmission got;
    if (ParseScoreMessage(data, size, expected, &got) == Verdict::kValid) {
        Check(IsPlayerName(got.name) && IsPrintableText(got.mode, kMaxModeLength));
        Check(got.identity <= 0x7FFFFFFFu);
    }
    std::unique_ptr<uint8_t[]> scrambled = ScrambleMessage(reinterpret_cast<const char*>(data), size);
    if (ParseScoreMessage(scrambled.get(), size + kChecksumSize, expected, &got) == Verdict::kValid) {
        Check(IsPlayerName(got.name) && IsPrintableText(got.mode, kMaxModeLength) &&
              got.identity <= 0x7FFFFFFFu && size + kChecksumSize <= kScoreWireLimit);
    }

    FuzzedDataProvider input(data, size);
    const std::string name = PlayerName(input);
    ScoreFields fields;
    fields.identity = input.ConsumeIntegralInRange<uint32_t>(0, 0x7FFFFFFF);
    fields.variant = input.ConsumeBool();
    fields.playerName = name.c_str();
    fields.score = input.ConsumeIntegral<int32_t>();
    char text[kScoreMessageSize];
    Check(FormatScoreText(text, sizeof text, fields));
    const size_t length = strlen(text);
    std::unique_ptr<uint8_t[]> wire = ScrambleMessage(text, length);
    ScoreSubmission sent;
    Check(ParseScoreMessage(wire.get(), length + kChecksumSize, expected, &sent) == Verdict::kValid);
    Check(sent.identity == fields.identity && sent.variant == fields.variant && sent.name == name &&
          sent.mode == kDefaultMode && sent.score == fields.score);
    return 0;
}
