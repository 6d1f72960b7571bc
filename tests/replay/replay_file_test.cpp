// Replay files: compressed on the way out, and on the way in refused whole when anything about them is
// wrong (not zlib, cut, damaged, a bomb that would unpack past the limit, trailing bytes, a folder).
#include "replay/replay_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>

#include "core/rules_version.h"

namespace quz::replay {
namespace {

using core::ReplayError;

core::Replay SampleReplay() {
    core::Replay replay{core::kRulesVersion, 42, 1000, "NORMAL", {}, {5000, 3, 36000, true, 0xABCDEF}};
    for (core::Tick tick = 0; tick < 36000; tick += 30) {
        replay.commands.push_back({tick, core::CommandKind::Aim, static_cast<uint16_t>(tick % 225)});
    }
    return replay;
}

std::vector<uint8_t> Raw(const core::Replay& replay) {
    std::vector<uint8_t> raw;
    EXPECT_TRUE(core::EncodeReplay(replay, raw));
    return raw;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> packed;
    EXPECT_TRUE(PackReplay(raw, packed));
    return packed;
}

class ReplayFileFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quz_replay_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Write(const char* name, const std::vector<uint8_t>& bytes) {
        const std::string path = (folder_ / name).string();
        FILE* file = fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
        return path;
    }
    std::filesystem::path folder_;
};

TEST(ReplayFile, PacksAndUnpacksCompressedOrRaw) {
    const std::vector<uint8_t> raw = Raw(SampleReplay());
    const std::vector<uint8_t> packed = Compress(raw);
    EXPECT_LT(packed.size(), raw.size());
    std::vector<uint8_t> back;
    std::string detail;
    ASSERT_EQ(UnpackReplay(packed, back, &detail), ReplayError::None) << detail;
    EXPECT_EQ(back, raw);
    ASSERT_EQ(UnpackReplay(raw, back, &detail), ReplayError::None) << detail;
    EXPECT_EQ(back, raw);
}

TEST(ReplayFile, RefusesDamagedCompressedData) {
    const std::vector<uint8_t> packed = Compress(Raw(SampleReplay()));
    std::vector<uint8_t> out;
    std::string detail;
    EXPECT_EQ(UnpackReplay(std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}, out, &detail),
              ReplayError::NotAReplay);
    EXPECT_EQ(UnpackReplay(std::vector<uint8_t>{}, out, &detail), ReplayError::NotAReplay);
    for (size_t size = 2; size < packed.size(); ++size) {
        std::vector<uint8_t> cut(packed.begin(), packed.begin() + static_cast<ptrdiff_t>(size));
        EXPECT_EQ(UnpackReplay(cut, out, &detail), ReplayError::Truncated) << size;
        EXPECT_TRUE(out.empty());
    }
    std::vector<uint8_t> longer = packed;
    longer.push_back(7);
    EXPECT_EQ(UnpackReplay(longer, out, &detail), ReplayError::TrailingBytes);
    // Every flipped byte is caught, by zlib or else by the replay's own checksum.
    for (size_t at = 0; at < packed.size(); ++at) {
        std::vector<uint8_t> flipped = packed;
        flipped[at] ^= 0x55;
        core::Replay replay;
        const bool refused = UnpackReplay(flipped, out, &detail) != ReplayError::None ||
                             core::DecodeReplay(out, replay, &detail) != ReplayError::None;
        EXPECT_TRUE(refused) << at;
    }
}

TEST(ReplayFile, StopsUnpackingAtTheLimit) {
    std::vector<uint8_t> zeros(core::kMaxReplayBytes + 1, 0);
    const std::vector<uint8_t> bomb = Compress(zeros);
    ASSERT_LT(bomb.size(), 64u * 1024);
    std::vector<uint8_t> out;
    std::string detail;
    EXPECT_EQ(UnpackReplay(bomb, out, &detail), ReplayError::TooLarge);
    EXPECT_EQ(detail, "too large when unpacked");
    zeros.pop_back();
    EXPECT_EQ(UnpackReplay(Compress(zeros), out, &detail), ReplayError::None);
    EXPECT_EQ(out.size(), core::kMaxReplayBytes);
}

TEST_F(ReplayFileFolder, ReadsAFileOrSaysWhatIsWrong) {
    std::vector<uint8_t> packed;
    ASSERT_TRUE(EncodeReplayFile(SampleReplay(), packed));
    core::Replay replay;
    std::string detail;
    ASSERT_TRUE(ReadReplayFile(Write("good.quzr", packed).c_str(), replay, detail)) << detail;
    EXPECT_EQ(replay, SampleReplay());

    EXPECT_FALSE(ReadReplayFile((folder_ / "missing.quzr").c_str(), replay, detail));
    EXPECT_EQ(detail, "cannot be opened");
    EXPECT_FALSE(ReadReplayFile(folder_.c_str(), replay, detail));
    EXPECT_EQ(detail, "cannot be read");
    EXPECT_FALSE(ReadReplayFile(Write("big", std::vector<uint8_t>(kMaxReplayFileBytes + 1, 'Q')).c_str(),
                                replay, detail));
    EXPECT_EQ(detail, "too large to be a replay (over 8388608 bytes)");
    std::vector<uint8_t> cut(packed.begin(), packed.end() - 10);
    EXPECT_FALSE(ReadReplayFile(Write("cut.quzr", cut).c_str(), replay, detail));
    EXPECT_EQ(detail, "truncated: the compressed data ends early");
}

}  // namespace
}  // namespace quz::replay
