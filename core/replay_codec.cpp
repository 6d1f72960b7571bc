// The replay codec (see replay_codec.h and docs/replay-format.md).
#include "core/replay_codec.h"

#include <array>

#include "core/board.h"

namespace quz::core {

namespace {

constexpr std::array<uint8_t, 4> kMagic = {'Q', 'U', 'Z', 'R'};
constexpr size_t kLengthOffset = 5;
// Magic, format, length, rules version, seed, table floor, mode length.
constexpr size_t kFixedHeaderSize = 26;
constexpr size_t kChecksumSize = 4;
constexpr size_t kHashSize = 8;
// The smallest replay: a one-letter mode, no command, one-byte score, level and ticks, the end byte.
constexpr size_t kMinReplaySize = kFixedHeaderSize + 1 + 1 + 4 + kHashSize + kChecksumSize;
// A command's kind shares its varint with the tick delta, in the low bits.
constexpr unsigned kKindBits = 4;
constexpr uint8_t kNoCellByte = 0xFF;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

bool HasCellArgument(CommandKind kind) {
    return kind == CommandKind::Aim || kind == CommandKind::Remove;
}

// A cell fits a byte (kNoCell as 255); a name character, a Unicode code point of the basic plane, is
// a varint. The other kinds take no argument, and must have none.
bool ValidArgument(const Command& command) {
    if (HasCellArgument(command.kind)) {
        return command.arg < kCellCount || command.arg == kNoCell;
    }
    if (command.kind == CommandKind::NameChar) {
        return command.arg != 0;
    }
    return command.arg == 0;
}

uint32_t ZigZag(int32_t value) {
    return (static_cast<uint32_t>(value) << 1) ^ static_cast<uint32_t>(value < 0 ? -1 : 0);
}

int32_t UnZigZag(uint32_t value) {
    return static_cast<int32_t>((value >> 1) ^ (0u - (value & 1u)));
}

class Writer {
  public:
    explicit Writer(std::vector<uint8_t>& out) : out_(out) {}
    void Byte(uint8_t value) { out_.push_back(value); }
    void Fixed(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out_.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }
    void Varint(uint32_t value) {
        while (value >= 0x80) {
            out_.push_back(static_cast<uint8_t>(value | 0x80));
            value >>= 7;
        }
        out_.push_back(static_cast<uint8_t>(value));
    }

  private:
    std::vector<uint8_t>& out_;
};

// Reads forward through bytes already known to be whole and checksummed; every read checks that it stays
// within them, and a failed read sticks, so the parser checks once at the points where it matters.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    size_t remaining() const { return bytes_.size() - at_; }

    uint8_t Byte() {
        if (!ok_ || at_ >= bytes_.size()) {
            ok_ = false;
            return 0;
        }
        return bytes_[at_++];
    }
    uint64_t Fixed(int bytes) {
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            value |= uint64_t{Byte()} << (8 * i);
        }
        return value;
    }
    // LEB128 in its shortest form, at most five bytes. Anything else breaks the format: one replay has
    // exactly one spelling, so two uploads of the same game are the same bytes.
    uint32_t Varint() {
        uint64_t value = 0;
        for (int i = 0; i < 5; ++i) {
            const uint8_t byte = Byte();
            value |= uint64_t{byte & 0x7Fu} << (7 * i);
            if ((byte & 0x80) == 0) {
                if (value > 0xFFFFFFFFu || (i > 0 && byte == 0)) {
                    ok_ = false;
                }
                return static_cast<uint32_t>(value);
            }
        }
        ok_ = false;
        return 0;
    }
    std::string Text(size_t length) {
        std::string text;
        if (length > remaining()) {
            ok_ = false;
            return text;
        }
        text.assign(reinterpret_cast<const char*>(bytes_.data() + at_), length);
        at_ += length;
        return text;
    }

  private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

ReplayError Fail(ReplayError error, std::string* detail, std::string text) {
    if (detail != nullptr) {
        *detail = std::move(text);
    }
    return error;
}

// The framing: magic, format, the length the replay declares, and its checksum.
ReplayError CheckFrame(std::span<const uint8_t> bytes, std::string* detail) {
    const size_t size = bytes.size();
    if (size > kMaxReplayBytes) {
        return Fail(ReplayError::TooLarge, detail,
                    "too large: " + std::to_string(size) + " bytes, over the limit of " +
                        std::to_string(kMaxReplayBytes));
    }
    for (size_t i = 0; i < kMagic.size(); ++i) {
        if (i >= size) {
            return Fail(ReplayError::Truncated, detail, "truncated: " + std::to_string(size) + " bytes");
        }
        if (bytes[i] != kMagic[i]) {
            return Fail(ReplayError::NotAReplay, detail, "not a replay (its first bytes are not \"QUZR\")");
        }
    }
    if (size <= kMagic.size()) {
        return Fail(ReplayError::Truncated, detail, "truncated: " + std::to_string(size) + " bytes");
    }
    if (bytes[4] != kReplayFormatVersion) {
        return Fail(ReplayError::UnknownFormat, detail,
                    "replay format version " + std::to_string(bytes[4]) +
                        " is not known (this program reads " + std::to_string(kReplayFormatVersion) + ")");
    }
    if (size < kLengthOffset + 4) {
        return Fail(ReplayError::Truncated, detail, "truncated: " + std::to_string(size) + " bytes");
    }
    const uint32_t declared = static_cast<uint32_t>(bytes[5]) | static_cast<uint32_t>(bytes[6]) << 8 |
                              static_cast<uint32_t>(bytes[7]) << 16 | static_cast<uint32_t>(bytes[8]) << 24;
    if (declared > kMaxReplayBytes) {
        return Fail(ReplayError::TooLarge, detail,
                    "too large: claims " + std::to_string(declared) + " bytes, over the limit of " +
                        std::to_string(kMaxReplayBytes));
    }
    if (declared < kMinReplaySize) {
        return Fail(ReplayError::Malformed, detail,
                    "malformed: claims " + std::to_string(declared) + " bytes, fewer than any replay has");
    }
    if (size < declared) {
        return Fail(ReplayError::Truncated, detail,
                    "truncated: " + std::to_string(size) + " of " + std::to_string(declared) + " bytes");
    }
    if (size > declared) {
        return Fail(ReplayError::TrailingBytes, detail,
                    "damaged: " + std::to_string(size - declared) + " bytes after the end of the replay");
    }
    const size_t body = size - kChecksumSize;
    const uint32_t stored = static_cast<uint32_t>(bytes[body]) | static_cast<uint32_t>(bytes[body + 1]) << 8 |
                            static_cast<uint32_t>(bytes[body + 2]) << 16 |
                            static_cast<uint32_t>(bytes[body + 3]) << 24;
    if (ReplayChecksum(bytes.first(body)) != stored) {
        return Fail(ReplayError::Damaged, detail, "damaged: the checksum does not match the bytes");
    }
    return ReplayError::None;
}

ReplayError ReadCommands(Reader& in, Replay& replay, std::string* detail) {
    const uint32_t count = in.Varint();
    // Every command takes at least one byte: a count beyond the bytes left is a lie, not an allocation.
    if (!in.ok() || count > in.remaining()) {
        return Fail(ReplayError::Malformed, detail, "malformed: the command count is past the end");
    }
    replay.commands.clear();
    replay.commands.reserve(count);
    Tick tick = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t head = in.Varint();
        const uint32_t delta = head >> kKindBits;
        const uint32_t kind = head & ((1u << kKindBits) - 1);
        if (!in.ok() || kind >= kCommandKindCount) {
            return Fail(ReplayError::Malformed, detail,
                        "malformed: command " + std::to_string(i) + " is unreadable");
        }
        if (delta > kReplayTickCap - tick) {
            return Fail(ReplayError::OverTickCap, detail,
                        "command " + std::to_string(i) + " is past the cap of " +
                            std::to_string(kReplayTickCap) + " ticks (4 hours)");
        }
        tick += delta;
        Command command{tick, static_cast<CommandKind>(kind), 0};
        if (HasCellArgument(command.kind)) {
            const uint8_t byte = in.Byte();
            command.arg = byte == kNoCellByte ? kNoCell : byte;
        } else if (command.kind == CommandKind::NameChar) {
            const uint32_t character = in.Varint();
            command.arg = static_cast<uint16_t>(character);
            if (character > 0xFFFF) {
                command.arg = 0;
            }
        }
        if (!in.ok() || !ValidArgument(command)) {
            return Fail(ReplayError::Malformed, detail,
                        "malformed: command " + std::to_string(i) + " has a bad argument");
        }
        replay.commands.push_back(command);
    }
    return ReplayError::None;
}

}  // namespace

uint32_t ReplayChecksum(std::span<const uint8_t> bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t byte : bytes) {
        crc = kCrcTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

bool IsValidMode(std::string_view mode) {
    if (mode.empty() || mode.size() > kMaxModeLength) {
        return false;
    }
    for (char c : mode) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) {
            return false;
        }
    }
    return true;
}

bool EncodeReplay(const Replay& replay, std::vector<uint8_t>& out) {
    if (!IsValidMode(replay.mode) || replay.outcome.ticks > kReplayTickCap) {
        return false;
    }
    Tick previous = 0;
    for (const Command& command : replay.commands) {
        if (command.tick < previous || command.tick > replay.outcome.ticks || !ValidArgument(command)) {
            return false;
        }
        previous = command.tick;
    }
    std::vector<uint8_t> bytes;
    Writer write(bytes);
    for (uint8_t m : kMagic) {
        write.Byte(m);
    }
    write.Byte(kReplayFormatVersion);
    write.Fixed(0, 4);  // the length, filled in below
    write.Fixed(replay.rulesVersion, 4);
    write.Fixed(replay.seed, 8);
    write.Fixed(static_cast<uint32_t>(replay.tableFloor), 4);
    write.Byte(static_cast<uint8_t>(replay.mode.size()));
    for (char c : replay.mode) {
        write.Byte(static_cast<uint8_t>(c));
    }
    write.Varint(static_cast<uint32_t>(replay.commands.size()));
    previous = 0;
    for (const Command& command : replay.commands) {
        write.Varint((command.tick - previous) << kKindBits | static_cast<uint32_t>(command.kind));
        if (HasCellArgument(command.kind)) {
            write.Byte(command.arg == kNoCell ? kNoCellByte : static_cast<uint8_t>(command.arg));
        } else if (command.kind == CommandKind::NameChar) {
            write.Varint(command.arg);
        }
        previous = command.tick;
    }
    write.Varint(ZigZag(replay.outcome.score));
    write.Varint(ZigZag(replay.outcome.level));
    write.Varint(replay.outcome.ticks);
    write.Byte(replay.outcome.over ? 1 : 0);
    write.Fixed(replay.outcome.stateHash, kHashSize);
    const size_t total = bytes.size() + kChecksumSize;
    if (total > kMaxReplayBytes) {
        return false;
    }
    for (size_t i = 0; i < 4; ++i) {
        bytes[kLengthOffset + i] = static_cast<uint8_t>(total >> (8 * i));
    }
    write.Fixed(ReplayChecksum(bytes), kChecksumSize);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return true;
}

ReplayError DecodeReplay(std::span<const uint8_t> bytes, Replay& replay, std::string* detail) {
    if (ReplayError error = CheckFrame(bytes, detail); error != ReplayError::None) {
        return error;
    }
    Reader in(bytes.first(bytes.size() - kChecksumSize).subspan(kLengthOffset + 4));
    replay.rulesVersion = static_cast<uint32_t>(in.Fixed(4));
    replay.seed = in.Fixed(8);
    replay.tableFloor = static_cast<int32_t>(in.Fixed(4));
    replay.mode = in.Text(in.Byte());
    if (!in.ok() || !IsValidMode(replay.mode)) {
        return Fail(ReplayError::Malformed, detail, "malformed: the mode is not one the format accepts");
    }
    if (ReplayError error = ReadCommands(in, replay, detail); error != ReplayError::None) {
        return error;
    }
    replay.outcome.score = UnZigZag(in.Varint());
    replay.outcome.level = UnZigZag(in.Varint());
    replay.outcome.ticks = in.Varint();
    const uint8_t over = in.Byte();
    replay.outcome.over = over == 1;
    replay.outcome.stateHash = in.Fixed(kHashSize);
    if (!in.ok() || over > 1) {
        return Fail(ReplayError::Malformed, detail, "malformed: the outcome is cut short or unreadable");
    }
    if (in.remaining() != 0) {
        return Fail(ReplayError::Malformed, detail,
                    "malformed: bytes left between the outcome and the checksum");
    }
    if (replay.outcome.ticks > kReplayTickCap) {
        return Fail(ReplayError::OverTickCap, detail,
                    "claims " + std::to_string(replay.outcome.ticks) + " ticks, over the cap of " +
                        std::to_string(kReplayTickCap) + " (4 hours)");
    }
    if (!replay.commands.empty() && replay.commands.back().tick > replay.outcome.ticks) {
        return Fail(ReplayError::Malformed, detail, "malformed: a command comes after the game's last tick");
    }
    return ReplayError::None;
}

}  // namespace quz::core
