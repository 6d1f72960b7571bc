// Parsing and checking of score messages (see score_parser.h).
#include "server/score_parser.h"

#include <array>
#include <limits>
#include <memory>

namespace {

struct VerdictNames {
    const char* text;
    const char* key;
};

constexpr std::array<VerdictNames, kVerdictCount> kVerdictNames = {{
    {"valid", "valid"},
    {"truncated", "truncated"},
    {"oversized", "oversized"},
    {"bad checksum", "bad_checksum"},
    {"not eight fields", "field_count"},
    {"bad machine identity", "bad_identity"},
    {"bad tag", "bad_tag"},
    {"wrong client tag", "wrong_client_tag"},
    {"wrong credential", "wrong_credential"},
    {"wrong game name", "wrong_game_name"},
    {"bad name", "bad_name"},
    {"bad mode", "bad_mode"},
    {"bad score", "bad_score"},
}};

// Plain decimal with an optional minus sign; no plus, no spaces, nothing after the digits. The game
// prints its numbers with %d and %u, and strtol would let through what it never sends.
bool ParseDecimal(std::string_view text, bool allowNegative, int64_t low, int64_t high, int64_t* value) {
    bool negative = false;
    if (!text.empty() && text.front() == '-' && allowNegative) {
        negative = true;
        text.remove_prefix(1);
    }
    // Eleven digits already exceed every 32-bit value, so the sum below cannot overflow.
    if (text.empty() || text.size() > 10) {
        return false;
    }
    int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - '0');
    }
    int64_t result = negative ? -magnitude : magnitude;
    if (result < low || result > high) {
        return false;
    }
    *value = result;
    return true;
}

}  // namespace

const char* VerdictText(Verdict verdict) {
    return kVerdictNames[static_cast<size_t>(verdict)].text;
}

const char* VerdictKey(Verdict verdict) {
    return kVerdictNames[static_cast<size_t>(verdict)].key;
}

bool IsPrintableText(std::string_view text, size_t maxLength) {
    if (text.empty() || text.size() > maxLength) {
        return false;
    }
    for (char c : text) {
        if (c < ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

bool IsPlayerName(std::string_view text) {
    return text.empty() || IsPrintableText(text, kMaxNameLength);
}

Verdict ParseScoreMessage(const uint8_t* wire, size_t size, const ExpectedSender& expected,
                          ScoreSubmission* out) {
    if (size > kScoreWireLimit) {
        return Verdict::kOversized;
    }
    if (size <= kChecksumSize) {
        return Verdict::kTruncated;
    }
    size_t length = size - kChecksumSize;
    std::unique_ptr<char[]> text = UnscrambleMessage(wire, length);
    if (text == nullptr) {
        return Verdict::kBadChecksum;
    }
    // The view keeps its length, so an embedded 0 byte stays inside the field that holds it and fails there.
    std::array<std::string_view, kScoreFieldCount> fields;
    if (!SplitScoreText(std::string_view(text.get(), length), &fields)) {
        return Verdict::kFieldCount;
    }
    int64_t identity = 0;
    if (!ParseDecimal(fields[kFieldIdentity], false, 0, std::numeric_limits<int32_t>::max(), &identity)) {
        return Verdict::kBadIdentity;
    }
    bool variant = false;
    if (fields[kFieldTag] == kVariantScoreTag) {
        variant = true;
    } else if (fields[kFieldTag] != kScoreTag) {
        return Verdict::kBadTag;
    }
    if (fields[kFieldClientTag] != expected.clientTag) {
        return Verdict::kWrongClientTag;
    }
    if (fields[kFieldCredential] != expected.credential) {
        return Verdict::kWrongCredential;
    }
    if (fields[kFieldGameName] != expected.gameName) {
        return Verdict::kWrongGameName;
    }
    if (!IsPlayerName(fields[kFieldPlayerName])) {
        return Verdict::kBadName;
    }
    if (!IsPrintableText(fields[kFieldMode], kMaxModeLength)) {
        return Verdict::kBadMode;
    }
    int64_t score = 0;
    if (!ParseDecimal(fields[kFieldScore], true, std::numeric_limits<int32_t>::min(),
                      std::numeric_limits<int32_t>::max(), &score)) {
        return Verdict::kBadScore;
    }
    out->identity = static_cast<uint32_t>(identity);
    out->variant = variant;
    out->name = fields[kFieldPlayerName];
    out->mode = fields[kFieldMode];
    out->score = static_cast<int32_t>(score);
    return Verdict::kValid;
}
