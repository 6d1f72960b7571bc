// Random and mutated messages through the parser: it must never crash or read out of bounds (the
// sanitizer build runs this too), and whatever it accepts must obey every field rule. QUZ_FUZZ_RUNS sets
// the number of inputs for a longer run by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "net/message.h"
#include "net/score_message.h"
#include "server/score_parser.h"
#include "server_support.h"

namespace {

size_t Runs() {
    const char* text = std::getenv("QUZ_FUZZ_RUNS");
    long value = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 ? static_cast<size_t>(value) : 100000;
}

// Mutates the text (not the wire), so that most inputs keep a good checksum and reach the field checks.
std::string MutateText(std::string text, std::mt19937& random) {
    static const char kInteresting[] =
        "\t\0-+0123456789 ~\x7f\x80\xff"
        "SVEKRVEKvektcpwf418352quzNORMAL";
    int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
        size_t at = text.empty() ? 0 : random() % (text.size() + 1);
        char c = random() % 2 == 0 ? kInteresting[random() % (sizeof kInteresting - 1)]
                                   : static_cast<char>(random());
        switch (random() % 5) {
            case 0:
                text.insert(at, 1, c);
                break;
            case 1:
                if (at < text.size()) {
                    text.erase(at, 1 + random() % 8);
                }
                break;
            case 2:
                if (at < text.size()) {
                    text[at] = c;
                }
                break;
            case 3:  // a long run, towards and past the size limit
                text.insert(at, random() % 1100, c);
                break;
            default:
                if (at < text.size()) {
                    text.insert(at, text.substr(at, random() % 40));
                }
                break;
        }
    }
    return text;
}

}  // namespace

TEST(ParseScoreMessageFuzz, RandomAndMutatedInputsNeverCrashAndValidOnesObeyTheRules) {
    std::mt19937 random(20261207);
    ExpectedSender expected;
    const std::string seeds[] = {GameText("ANNA", 123456), GameText("<script>", -5, 0, "HARD"),
                                 GameText(std::string(27, 'Z'), 2147483647, 2147483647u)};
    size_t runs = Runs();
    size_t valid = 0;
    for (size_t run = 0; run < runs; ++run) {
        std::vector<uint8_t> wire;
        switch (run % 4) {
            case 0: {  // raw random bytes of any length up to past the limit
                wire.resize(random() % (kScoreWireLimit + 64));
                for (uint8_t& b : wire) {
                    b = static_cast<uint8_t>(random());
                }
                break;
            }
            case 1: {  // raw random bytes with a checksum that matches them
                std::string text(random() % (kScoreTextLimit + 16), '\0');
                for (char& c : text) {
                    c = static_cast<char>(random());
                }
                wire = Wire(text);
                break;
            }
            default:
                wire = Wire(MutateText(seeds[random() % std::size(seeds)], random));
                if (run % 8 == 3 && !wire.empty()) {
                    wire[random() % wire.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
                }
                break;
        }
        // An exact-size copy, so that a read past the end is a sanitizer finding.
        auto exact = std::make_unique<uint8_t[]>(wire.size());
        std::copy(wire.begin(), wire.end(), exact.get());
        ScoreSubmission got;
        if (ParseScoreMessage(exact.get(), wire.size(), expected, &got) != Verdict::kValid) {
            continue;
        }
        ++valid;
        ASSERT_LE(wire.size(), kScoreWireLimit);
        ASSERT_TRUE(IsPlayerName(got.name)) << got.name;
        ASSERT_TRUE(IsPrintableText(got.mode, kMaxModeLength)) << got.mode;
        ASSERT_LE(got.identity, 2147483647u);
    }
    // The mutations must leave enough valid messages for the checks above to mean something.
    EXPECT_GT(valid, runs / 100);
}
