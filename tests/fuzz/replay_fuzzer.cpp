// The replay reader over any bytes, compressed or not: it refuses or accepts, never reads out of bounds or
// loops without end, and what it accepts is canonical: written again, it gives exactly the same bytes.
// Random bytes almost never carry a right checksum, so each input is also tried resealed (its declared
// length and checksum set to match), which takes the fuzzer past the frame into the parser.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "core/replay_codec.h"
#include "replay/replay_file.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

void DecodeAndRewrite(const std::vector<uint8_t>& raw) {
    quz::core::Replay replay;
    std::string detail;
    if (quz::core::DecodeReplay(raw, replay, &detail) != quz::core::ReplayError::None) {
        Check(!detail.empty());
        return;
    }
    std::vector<uint8_t> again;
    Check(quz::core::EncodeReplay(replay, again) && again == raw);
}

void Reseal(std::vector<uint8_t>& bytes) {
    const size_t size = bytes.size();
    for (size_t i = 0; i < 4; ++i) {
        bytes[5 + i] = static_cast<uint8_t>(size >> (8 * i));
    }
    const uint32_t crc = quz::core::ReplayChecksum(std::span(bytes).first(size - 4));
    for (size_t i = 0; i < 4; ++i) {
        bytes[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> raw;
    std::string detail;
    if (quz::replay::UnpackReplay(std::span(data, size), raw, &detail) != quz::core::ReplayError::None) {
        Check(!detail.empty() && raw.empty());
        return 0;
    }
    DecodeAndRewrite(raw);
    if (raw.size() >= 13) {
        Reseal(raw);
        DecodeAndRewrite(raw);
    }
    return 0;
}
