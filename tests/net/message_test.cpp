// Scrambling of the score message and the machine identity's bit layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/machine_identity.h"
#include "net/message.h"

namespace {

std::vector<uint8_t> Scrambled(const std::string& text) {
    std::unique_ptr<uint8_t[]> bytes = ScrambleMessage(text.data(), text.size());
    return std::vector<uint8_t>(bytes.get(), bytes.get() + text.size() + 5);
}

}  // namespace

TEST(ScrambleMessage, ShiftsEachByteByTheKeyAndAppendsTheLittleEndianSumOfTheScrambledBytes) {
    // Eight characters, so the key wraps round to its first byte; the sum (0x424) needs two bytes.
    EXPECT_EQ(Scrambled("Quz 1.1!"), (std::vector<uint8_t>{0xA2, 0xB7, 0xD2, 0x51, 0x6A, 0x67, 0x65, 0x72,
                                                           0x24, 0x04, 0x00, 0x00, 0x00}));
    // Bytes wrap modulo 256, and an embedded 0 is scrambled like any other byte.
    EXPECT_EQ(Scrambled(std::string("\xFF\xFE\x00", 3)),
              (std::vector<uint8_t>{0x50, 0x40, 0x58, 0xE8, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Scrambled(""), (std::vector<uint8_t>{0, 0, 0, 0, 0}));
}

TEST(UnscrambleMessage, InvertsScrambleAndRejectsAnySingleChangedByte) {
    std::string text = "1234567\tSVEK\tvektcp\twf418352\tANNA\tquz\tNORMAL\t-1";
    std::vector<uint8_t> wire = Scrambled(text);
    std::unique_ptr<char[]> back = UnscrambleMessage(wire.data(), text.size());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::string(back.get()), text);

    for (size_t i = 0; i < text.size() + 4; ++i) {
        for (int delta : {1, 128, 255}) {
            std::vector<uint8_t> damaged = wire;
            damaged[i] = static_cast<uint8_t>(damaged[i] + delta);
            EXPECT_EQ(UnscrambleMessage(damaged.data(), text.size()), nullptr)
                << "byte " << i << " + " << delta;
        }
    }
}

TEST(MachineIdentity, PartsFillTheirOwnBitsAndBit31StaysClear) {
    // 128 bytes of 0xFE sum to 0x7F00: bits 8-14 all set.
    std::string fullName(128, '\xFE');
    EXPECT_EQ(ComposeMachineIdentity(0xFFFFFFFFu, 0xFFu, fullName.c_str()), 0x7FFFFFFFu);
    EXPECT_EQ(ComposeMachineIdentity(0x12345678u, 0x9u, ""), 0x00945678u);
    // A sum of 0x8000 has nothing in bits 8-14, and its bit 15 must not reach bit 31.
    std::string name(128, '\xFF');
    name += '\x80';
    EXPECT_EQ(ComposeMachineIdentity(0, 0, name.c_str()), 0u);
    EXPECT_EQ(ComposeMachineIdentity(0, 0, "\x7F\x81"), 0x01000000u);

    uint32_t identity = MachineIdentity();
    EXPECT_EQ(identity & 0x80000000u, 0u);
    EXPECT_EQ(MachineIdentity(), identity);
}
