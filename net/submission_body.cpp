// The verified submission's body (see submission_body.h).
#include "net/submission_body.h"

#include <cstring>

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

uint32_t GetU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

bool IsSubmissionName(std::string_view name) {
    if (name.size() > kSubmissionNameLimit) {
        return false;
    }
    for (char c : name) {
        if (c < 32 || c > 126) {
            return false;
        }
    }
    return true;
}

bool EncodeSubmissionBody(const SubmissionBody& body, std::vector<uint8_t>& out) {
    if (!IsSubmissionName(body.name) || body.replay.empty() ||
        body.replay.size() > kSubmissionReplayLimit - body.name.size()) {
        return false;
    }
    out.insert(out.end(), kSubmissionMagic, kSubmissionMagic + sizeof kSubmissionMagic);
    out.push_back(kSubmissionVersion);
    out.push_back(static_cast<uint8_t>(body.name.size()));
    out.insert(out.end(), body.name.begin(), body.name.end());
    PutU32(out, body.identity);
    PutU32(out, static_cast<uint32_t>(body.replay.size()));
    out.insert(out.end(), body.replay.begin(), body.replay.end());
    return true;
}

SubmissionBodyError DecodeSubmissionBody(std::span<const uint8_t> bytes, SubmissionBody& body) {
    if (bytes.size() > kSubmissionBodyLimit) {
        return SubmissionBodyError::TooLarge;
    }
    if (bytes.size() < kSubmissionHeaderSize || memcmp(bytes.data(), kSubmissionMagic, 4) != 0) {
        return SubmissionBodyError::NotASubmission;
    }
    if (bytes[4] != kSubmissionVersion) {
        return SubmissionBodyError::UnknownVersion;
    }
    const size_t nameLength = bytes[5];
    // The header's fixed part is all there; the name stands between its two halves.
    if (nameLength > kSubmissionNameLimit || bytes.size() < kSubmissionHeaderSize + nameLength) {
        return nameLength > kSubmissionNameLimit ? SubmissionBodyError::BadName
                                                 : SubmissionBodyError::NotASubmission;
    }
    const std::string_view name(reinterpret_cast<const char*>(bytes.data() + 6), nameLength);
    if (!IsSubmissionName(name)) {
        return SubmissionBodyError::BadName;
    }
    const uint8_t* rest = bytes.data() + 6 + nameLength;
    const uint32_t replayLength = GetU32(rest + 4);
    const size_t replayStart = kSubmissionHeaderSize + nameLength;
    if (replayLength != bytes.size() - replayStart) {
        return SubmissionBodyError::BadLength;
    }
    if (replayLength == 0) {
        return SubmissionBodyError::EmptyReplay;
    }
    body.name.assign(name);
    body.identity = GetU32(rest);
    body.replay.assign(bytes.begin() + static_cast<std::ptrdiff_t>(replayStart), bytes.end());
    return SubmissionBodyError::None;
}

const char* SubmissionBodyErrorText(SubmissionBodyError error) {
    switch (error) {
        case SubmissionBodyError::None:
            return "ok";
        case SubmissionBodyError::TooLarge:
            return "too large";
        case SubmissionBodyError::NotASubmission:
            return "not a game submission";
        case SubmissionBodyError::UnknownVersion:
            return "unknown submission version";
        case SubmissionBodyError::BadName:
            return "bad name";
        case SubmissionBodyError::BadLength:
            return "replay length does not match the body";
        case SubmissionBodyError::EmptyReplay:
            return "no replay";
    }
    return "bad format";
}
