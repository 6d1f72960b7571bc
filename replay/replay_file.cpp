// Replays as files (see replay_file.h).
#include "replay/replay_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace quz::replay {

namespace {

constexpr uint8_t kRawMagic[4] = {'Q', 'U', 'Z', 'R'};

bool StartsWithMagic(std::span<const uint8_t> bytes) {
    return bytes.size() >= sizeof kRawMagic &&
           std::equal(kRawMagic, kRawMagic + sizeof kRawMagic, bytes.begin());
}

core::ReplayError Fail(core::ReplayError error, std::string* detail, const char* text) {
    if (detail != nullptr) {
        *detail = text;
    }
    return error;
}

struct InflateStream {
    z_stream stream{};
    bool open = false;
    ~InflateStream() {
        if (open) {
            inflateEnd(&stream);
        }
    }
};

}  // namespace

bool PackReplay(std::span<const uint8_t> raw, std::vector<uint8_t>& out) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    out.resize(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) !=
        Z_OK) {
        out.clear();
        return false;
    }
    out.resize(size);
    return true;
}

core::ReplayError UnpackReplay(std::span<const uint8_t> stored, std::vector<uint8_t>& raw,
                               std::string* detail) {
    raw.clear();
    if (stored.size() > kMaxReplayFileBytes) {
        return Fail(core::ReplayError::TooLarge, detail, "too large to be a replay");
    }
    if (StartsWithMagic(stored)) {
        raw.assign(stored.begin(), stored.end());
        return core::ReplayError::None;
    }
    // A zlib stream opens with a method byte and a check over the first two bytes.
    if (stored.size() < 2 || (stored[0] & 0x0F) != Z_DEFLATED || ((stored[0] << 8) | stored[1]) % 31 != 0) {
        return Fail(core::ReplayError::NotAReplay, detail,
                    "not a replay (neither replay bytes nor compressed)");
    }
    InflateStream in;
    if (inflateInit(&in.stream) != Z_OK) {
        return Fail(core::ReplayError::Damaged, detail, "cannot start zlib");
    }
    in.open = true;
    in.stream.next_in = const_cast<Bytef*>(stored.data());
    in.stream.avail_in = static_cast<uInt>(stored.size());
    // Grows as the data asks, up to one byte past the limit so that "exactly at the limit" still fits.
    const size_t limit = core::kMaxReplayBytes + 1;
    raw.resize(std::min<size_t>(limit, stored.size() * 4 + 1024));
    int status = Z_OK;
    while (status == Z_OK) {
        if (in.stream.total_out == raw.size()) {
            if (raw.size() == limit) {
                raw.clear();
                return Fail(core::ReplayError::TooLarge, detail, "too large when unpacked");
            }
            raw.resize(std::min(limit, raw.size() * 2));
        }
        in.stream.next_out = raw.data() + in.stream.total_out;
        in.stream.avail_out = static_cast<uInt>(raw.size() - in.stream.total_out);
        status = inflate(&in.stream, Z_NO_FLUSH);
    }
    const size_t produced = in.stream.total_out;
    const bool trailing = in.stream.avail_in != 0;
    raw.resize(produced);
    if (status == Z_BUF_ERROR) {
        raw.clear();
        return Fail(core::ReplayError::Truncated, detail, "truncated: the compressed data ends early");
    }
    if (status != Z_STREAM_END) {
        raw.clear();
        return Fail(core::ReplayError::Damaged, detail, "damaged: the compressed data does not unpack");
    }
    if (produced > core::kMaxReplayBytes) {
        raw.clear();
        return Fail(core::ReplayError::TooLarge, detail, "too large when unpacked");
    }
    if (trailing) {
        raw.clear();
        return Fail(core::ReplayError::TrailingBytes, detail, "damaged: bytes after the compressed data");
    }
    return core::ReplayError::None;
}

bool EncodeReplayFile(const core::Replay& replay, std::vector<uint8_t>& out) {
    std::vector<uint8_t> raw;
    return core::EncodeReplay(replay, raw) && PackReplay(raw, out);
}

bool ReadReplayFile(const char* path, core::Replay& replay, std::string& detail) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path, "rb"), fclose);
    if (file == nullptr) {
        detail = "cannot be opened";
        return false;
    }
    // Read in pieces, up to one byte past the limit, which tells a file at the limit from a larger one
    // without reading all of it.
    std::vector<uint8_t> stored;
    size_t size = 0;
    while (size <= kMaxReplayFileBytes) {
        stored.resize(std::min(kMaxReplayFileBytes + 1, size + 64 * 1024));
        const size_t got = fread(stored.data() + size, 1, stored.size() - size, file.get());
        size += got;
        if (got == 0) {
            break;
        }
    }
    if (ferror(file.get()) != 0) {
        detail = "cannot be read";
        return false;
    }
    if (size > kMaxReplayFileBytes) {
        detail = "too large to be a replay (over " + std::to_string(kMaxReplayFileBytes) + " bytes)";
        return false;
    }
    stored.resize(size);
    std::vector<uint8_t> raw;
    if (UnpackReplay(stored, raw, &detail) != core::ReplayError::None) {
        return false;
    }
    return core::DecodeReplay(raw, replay, &detail) == core::ReplayError::None;
}

}  // namespace quz::replay
