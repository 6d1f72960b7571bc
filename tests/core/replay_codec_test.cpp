// The replay codec: what it writes reads back the same, a realistic game stays small, and damaged or
// forged bytes are refused with the right reason, whatever the damage.
#include "core/replay_codec.h"

#include <gtest/gtest.h>

#include <climits>

#include "core/rules_version.h"
#include "support/replay_forge.h"

namespace quz::core {
namespace {

Replay SampleReplay() {
    Replay replay;
    replay.rulesVersion = kRulesVersion;
    replay.seed = 0xFEDCBA9876543210u;
    replay.mode = "DAILY-20261207";
    replay.commands = {
        {0, CommandKind::Aim, 112},
        {0, CommandKind::Remove, 112},
        {7, CommandKind::Aim, kNoCell},
        {7, CommandKind::Remove, kNoCell},
        {300, CommandKind::Pause, 0},
        {301, CommandKind::Resume, 0},
        {5000, CommandKind::NameChar, 'Q'},
        {5001, CommandKind::NameChar, 0xE9},
        {5002, CommandKind::NameChar, 0xFFFF},
        {5002, CommandKind::Backspace, 0},
        {5003, CommandKind::Confirm, 0},
        {5003, CommandKind::GiveUp, 0},
        {6000, CommandKind::Close, 0},
        {6000, CommandKind::Aim, 224},
    };
    replay.tableFloor = 2500;
    replay.outcome = {123456, 7, 6001, true, 0x0123456789ABCDEFu};
    return replay;
}

std::vector<uint8_t> Encode(const Replay& replay) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(EncodeReplay(replay, bytes));
    return bytes;
}

ReplayError Decode(const std::vector<uint8_t>& bytes, std::string* detail = nullptr) {
    Replay replay;
    return DecodeReplay(bytes, replay, detail);
}

using testing::PutLittleEndian32;
using testing::ReplaceReplayTicks;
using testing::ResealReplay;

TEST(ReplayCodec, WritesAndReadsBackEveryKindAndExtreme) {
    for (Replay replay : {SampleReplay(), Replay{0, 0, 0, "N", {}, {}}}) {
        std::vector<uint8_t> bytes = Encode(replay);
        Replay back;
        std::string detail;
        ASSERT_EQ(DecodeReplay(bytes, back, &detail), ReplayError::None) << detail;
        EXPECT_EQ(back, replay);
    }
    Replay longest = SampleReplay();
    longest.rulesVersion = 0xFFFFFFFFu;
    longest.seed = ~uint64_t{0};
    longest.mode = std::string(kMaxModeLength, 'Z');
    longest.tableFloor = INT32_MIN;
    longest.outcome = {INT32_MAX, INT32_MIN, kReplayTickCap, false, ~uint64_t{0}};
    longest.commands.push_back({kReplayTickCap, CommandKind::Remove, 0});
    Replay back;
    ASSERT_EQ(DecodeReplay(Encode(longest), back), ReplayError::None);
    EXPECT_EQ(back, longest);
}

TEST(ReplayCodec, KnownChecksumAndLayout) {
    const std::string text = "123456789";
    EXPECT_EQ(ReplayChecksum(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())),
              0xCBF43926u);
    const std::vector<uint8_t> bytes = Encode(SampleReplay());
    ASSERT_GT(bytes.size(), 9u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "QUZR");
    EXPECT_EQ(bytes[4], kReplayFormatVersion);
    EXPECT_EQ(bytes[5] | bytes[6] << 8 | bytes[7] << 16 | bytes[8] << 24, static_cast<int>(bytes.size()));
}

// Ten minutes with the pointer moving over a new cell about three times a second and a group removed
// every two seconds: a busier game than most.
TEST(ReplayCodec, TenMinuteGameIsSmall) {
    Replay replay = SampleReplay();
    replay.commands.clear();
    replay.outcome.ticks = 36000;
    uint16_t cell = 0;
    for (Tick tick = 0; tick < 36000; tick += 20) {
        cell = static_cast<uint16_t>((cell + 37) % 225);
        replay.commands.push_back({tick, CommandKind::Aim, cell});
        if (tick % 120 == 0) {
            replay.commands.push_back({tick + 3, CommandKind::Remove, cell});
        }
    }
    const std::vector<uint8_t> bytes = Encode(replay);
    EXPECT_LT(bytes.size(), 8u * 1024) << replay.commands.size() << " commands";
}

TEST(ReplayCodec, EncoderRefusesWhatItCannotWrite) {
    auto refused = [](auto change) {
        Replay replay = SampleReplay();
        change(replay);
        std::vector<uint8_t> bytes = {1, 2, 3};
        const bool written = EncodeReplay(replay, bytes);
        return !written && bytes == std::vector<uint8_t>{1, 2, 3};
    };
    EXPECT_TRUE(refused([](Replay& r) { r.mode = ""; }));
    EXPECT_TRUE(refused([](Replay& r) { r.mode = "normal"; }));
    EXPECT_TRUE(refused([](Replay& r) { r.mode = std::string(kMaxModeLength + 1, 'A'); }));
    EXPECT_TRUE(refused([](Replay& r) { r.commands[3].tick = 2; }));  // out of order
    EXPECT_TRUE(refused([](Replay& r) { r.commands.back().tick = r.outcome.ticks + 1; }));
    EXPECT_TRUE(refused([](Replay& r) { r.outcome.ticks = kReplayTickCap + 1; }));
    EXPECT_TRUE(refused([](Replay& r) { r.commands[0].arg = 225; }));
    EXPECT_TRUE(refused([](Replay& r) { r.commands[6].arg = 0; }));  // a name character of 0
    EXPECT_TRUE(refused([](Replay& r) { r.commands[4].arg = 1; }));  // Pause takes no argument
}

TEST(ReplayCodec, RefusesEveryCutAndEveryFlippedBit) {
    const std::vector<uint8_t> bytes = Encode(SampleReplay());
    for (size_t size = 0; size < bytes.size(); ++size) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size));
        std::string detail;
        EXPECT_EQ(Decode(cut, &detail), ReplayError::Truncated) << size;
        EXPECT_NE(detail.find("truncated"), std::string::npos) << detail;
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
        for (int bit = 0; bit < 8; ++bit) {
            std::vector<uint8_t> flipped = bytes;
            flipped[at] ^= static_cast<uint8_t>(1 << bit);
            EXPECT_NE(Decode(flipped), ReplayError::None) << at << ':' << bit;
        }
    }
    std::vector<uint8_t> middle = bytes;
    middle[bytes.size() / 2] ^= 0x10;
    std::string detail;
    EXPECT_EQ(Decode(middle, &detail), ReplayError::Damaged);
    EXPECT_EQ(detail, "damaged: the checksum does not match the bytes");
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_EQ(Decode(longer), ReplayError::TrailingBytes);
}

TEST(ReplayCodec, RefusesOtherFilesAndFormats) {
    std::string detail;
    EXPECT_EQ(Decode({'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0}, &detail), ReplayError::NotAReplay);
    EXPECT_EQ(detail, "not a replay (its first bytes are not \"QUZR\")");
    std::vector<uint8_t> future = Encode(SampleReplay());
    future[4] = 2;
    EXPECT_EQ(Decode(future, &detail), ReplayError::UnknownFormat);
    EXPECT_EQ(detail, "replay format version 2 is not known (this program reads 1)");
    std::vector<uint8_t> huge(kMaxReplayBytes + 1, 0);
    EXPECT_EQ(Decode(huge), ReplayError::TooLarge);
    std::vector<uint8_t> claimsHuge = Encode(SampleReplay());
    PutLittleEndian32(claimsHuge, 5, 0x7FFFFFFFu);
    EXPECT_EQ(Decode(claimsHuge), ReplayError::TooLarge);
}

TEST(ReplayCodec, RefusesGamesOverTheTickCapEvenWhenSealed) {
    Replay replay = SampleReplay();
    replay.outcome.ticks = kReplayTickCap;  // 864000: a three-byte varint
    std::vector<uint8_t> atCap = Encode(replay);
    EXPECT_EQ(Decode(atCap), ReplayError::None);

    std::vector<uint8_t> justOver = atCap;
    ReplaceReplayTicks(justOver, 3, {0x81, 0xDE, 0x34});  // 864001
    std::string detail;
    EXPECT_EQ(Decode(justOver, &detail), ReplayError::OverTickCap);
    EXPECT_EQ(detail, "claims 864001 ticks, over the cap of 864000 (4 hours)");

    std::vector<uint8_t> billion = atCap;
    ReplaceReplayTicks(billion, 3, {0x80, 0x94, 0xEB, 0xDC, 0x03});  // 10^9
    EXPECT_EQ(Decode(billion, &detail), ReplayError::OverTickCap);
    EXPECT_EQ(detail, "claims 1000000000 ticks, over the cap of 864000 (4 hours)");
}

// Sealed bytes that break the format's own rules: what a forger, or a faulty writer, would produce.
TEST(ReplayCodec, RefusesSealedNonsense) {
    const std::vector<uint8_t> good =
        Encode(Replay{1, 2, -1, "NORMAL", {{5, CommandKind::Aim, 3}}, {10, 1, 5, true, 4}});
    // Layout: 26 fixed bytes with "NORMAL" at 26..31, the count at 32, the command at 33..34.
    ASSERT_EQ(good[32], 1);
    auto sealed = [&](auto change) {
        std::vector<uint8_t> bytes = good;
        change(bytes);
        ResealReplay(bytes);
        return Decode(bytes);
    };
    EXPECT_EQ(sealed([](auto& b) { b[33] = 5 << 4 | 9; }), ReplayError::Malformed);  // kind 9
    EXPECT_EQ(sealed([](auto& b) { b[34] = 225; }), ReplayError::Malformed);         // no such cell
    EXPECT_EQ(sealed([](auto& b) { b[32] = 100; }), ReplayError::Malformed);         // count past the end
    EXPECT_EQ(sealed([](auto& b) { b[26] = 'n'; }), ReplayError::Malformed);         // mode letters
    EXPECT_EQ(sealed([](auto& b) { b[25] = 0; }), ReplayError::Malformed);           // empty mode
    EXPECT_EQ(sealed([](auto& b) { b[33] = 6 << 4; }), ReplayError::Malformed);      // after the last tick
    EXPECT_EQ(sealed([](auto& b) { b.insert(b.end() - 4, 0); }), ReplayError::Malformed);
    EXPECT_EQ(sealed([](auto& b) { b.erase(b.end() - 5); }), ReplayError::Malformed);  // hash cut short
    EXPECT_EQ(sealed([](auto& b) { b[b.size() - 13] = 2; }), ReplayError::Malformed);  // end neither 0 nor 1
    EXPECT_EQ(sealed([](auto& b) {  // the count spelt in two bytes instead of one
                  b[32] = 0x81;
                  b.insert(b.begin() + 33, 0x00);
              }),
              ReplayError::Malformed);
    EXPECT_EQ(sealed([](auto& b) {  // an overlong varint count
                  b[32] = 0x81;
                  b.insert(b.begin() + 33, {0x80, 0x80, 0x80, 0x80});
              }),
              ReplayError::Malformed);
}

}  // namespace
}  // namespace quz::core
