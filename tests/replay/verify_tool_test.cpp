// quz-verify as a player or an operator runs it: every recorded game confirmed with status 0, and each
// kind of bad file refused with one clear line and status 1, quickly (the times are printed, not judged).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/rules_version.h"
#include "replay/replay_file.h"
#include "replay_bot_support.h"
#include "support/replay_forge.h"

namespace quz::testing {
namespace {

struct VerifyRun {
    int status = -1;
    std::string output;
    double seconds = 0;
};

VerifyRun RunVerify(const std::string& arguments) {
    const auto start = std::chrono::steady_clock::now();
    VerifyRun run;
    FILE* pipe = popen((std::string(QUZ_VERIFY) + " " + arguments + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

class VerifyTool : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const GoldenGame game = GoldenGames()[0];
        sample_ = new core::Replay(PlayBotGame(game.seed, game.tableFloor, game.style));
    }
    static void TearDownTestSuite() {
        delete sample_;
        sample_ = nullptr;
    }
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() /
            ("quz_verify_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string WriteFile(const char* name, const std::vector<uint8_t>& bytes) {
        const std::filesystem::path path = folder_ / name;
        FILE* file = fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
        return path.string();
    }
    std::string WriteReplay(const char* name, const core::Replay& replay) {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(replay::EncodeReplayFile(replay, bytes));
        return WriteFile(name, bytes);
    }
    // Expects status 1 and the line, and says how long the refusal took.
    void ExpectRefused(const std::string& path, const std::string& line) {
        const VerifyRun run = RunVerify(path);
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(line), std::string::npos) << run.output;
        printf("    refused in %.3f s: %s", run.seconds, run.output.c_str());
    }

    static core::Replay* sample_;
    std::filesystem::path folder_;
};

core::Replay* VerifyTool::sample_ = nullptr;

TEST_F(VerifyTool, ConfirmsEveryRecordedGame) {
    const std::filesystem::path golden = std::filesystem::path(QUZ_TEST_SOURCE_DIR) / "replays";
    const VerifyRun run = RunVerify("-q " + golden.string() + "/*.quzr");
    EXPECT_EQ(run.status, 0) << run.output;
    size_t oks = 0;
    for (size_t at = run.output.find(": OK "); at != std::string::npos;
         at = run.output.find(": OK ", at + 1)) {
        ++oks;
    }
    EXPECT_GE(oks, 20u) << run.output;
    printf("    %zu games confirmed in %.3f s\n", oks, run.seconds);

    const VerifyRun full = RunVerify(WriteReplay("game.quzr", *sample_));
    EXPECT_EQ(full.status, 0) << full.output;
    EXPECT_NE(full.output.find("score " + std::to_string(sample_->outcome.score) + "\n"), std::string::npos)
        << full.output;
    EXPECT_NE(full.output.find("level " + std::to_string(sample_->outcome.level) + "\n"), std::string::npos);
    EXPECT_NE(full.output.find("ticks " + std::to_string(sample_->outcome.ticks) + " ("), std::string::npos);
    char hash[40];
    snprintf(hash, sizeof hash, "state hash %016llx\n",
             static_cast<unsigned long long>(sample_->outcome.stateHash));
    EXPECT_NE(full.output.find(hash), std::string::npos) << full.output;
    EXPECT_NE(full.output.find("OK, the re-play matches the recording"), std::string::npos);
}

// The file is well formed and sealed; only what the player did differs from what the outcome claims.
TEST_F(VerifyTool, ReportsTheMismatchOfOneChangedCommand) {
    core::Replay forged = *sample_;
    for (auto& command : forged.commands) {
        if (command.kind == core::CommandKind::Remove && command.arg != core::kNoCell && command.tick > 600) {
            command.arg = core::kNoCell;
            break;
        }
    }
    const VerifyRun run = RunVerify(WriteReplay("forged.quzr", forged));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("MISMATCH: score: recorded " + std::to_string(sample_->outcome.score) +
                              ", re-played "),
              std::string::npos)
        << run.output;

    core::Replay claimed = *sample_;
    claimed.outcome.score += 1;
    ExpectRefused(WriteReplay("claimed.quzr", claimed), "MISMATCH: score: recorded");
    core::Replay hashed = *sample_;
    hashed.outcome.stateHash ^= 1;
    ExpectRefused(WriteReplay("hashed.quzr", hashed), "MISMATCH: state hash: recorded");
}

// A pause whose resume is stamped ticks later: the paused game stood still, so no game stamps that.
TEST_F(VerifyTool, ReportsCommandsNoGameStamps) {
    core::Replay forged = *sample_;
    size_t at = 0;
    while (at < forged.commands.size() && forged.commands[at].tick < 1200) {
        ++at;
    }
    const core::Tick tick = forged.commands[at].tick;
    forged.commands.insert(forged.commands.begin() + static_cast<ptrdiff_t>(at),
                           {{tick, core::CommandKind::Pause, 0}, {tick, core::CommandKind::Resume, 0}});
    EXPECT_EQ(RunVerify(WriteReplay("paused.quzr", forged)).status, 0)
        << "a pause and its resume at one tick";
    forged.commands[at + 1].tick = tick + 5;
    for (size_t i = at + 2; i < forged.commands.size(); ++i) {
        forged.commands[i].tick = std::max(forged.commands[i].tick, tick + 5);
    }
    ExpectRefused(WriteReplay("stamped.quzr", forged),
                  "MISMATCH: the commands are stamped with ticks no game gives");
}

TEST_F(VerifyTool, RefusesDamagedFilesWithOneLine) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(replay::EncodeReplayFile(*sample_, bytes));
    std::vector<uint8_t> flipped = bytes;
    flipped[flipped.size() / 2] ^= 0x01;
    ExpectRefused(WriteFile("flipped.quzr", flipped), "flipped.quzr: refused: damaged");
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(bytes.size() * 2 / 3));
    ExpectRefused(WriteFile("cut.quzr", cut), "cut.quzr: refused: truncated");

    std::vector<uint8_t> raw;
    core::Replay atCap = *sample_;
    atCap.outcome.ticks = core::kReplayTickCap;
    ASSERT_TRUE(core::EncodeReplay(atCap, raw));
    ReplaceReplayTicks(raw, 3, {0x80, 0x94, 0xEB, 0xDC, 0x03});  // 10^9 ticks
    std::vector<uint8_t> packed;
    ASSERT_TRUE(replay::PackReplay(raw, packed));
    ExpectRefused(WriteFile("long.quzr", packed),
                  "long.quzr: refused: claims 1000000000 ticks, over the cap");

    core::Replay other = *sample_;
    other.rulesVersion = core::kRulesVersion + 1;
    ExpectRefused(WriteReplay("other.quzr", other),
                  "refused: played under rules version " + std::to_string(core::kRulesVersion + 1));
    ExpectRefused(WriteFile("empty.quzr", {}), "empty.quzr: refused: not a replay");
    ExpectRefused((folder_ / "missing.quzr").string(), "missing.quzr: refused: cannot be opened");
}

TEST_F(VerifyTool, OneBadFileAmongGoodOnesFailsTheRun) {
    const std::string good = WriteReplay("good.quzr", *sample_);
    const VerifyRun run = RunVerify("-q " + good + " " + WriteFile("bad.quzr", {'x'}) + " " + good);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("good.quzr: OK"), std::string::npos);
    EXPECT_NE(run.output.find("bad.quzr: refused"), std::string::npos);
    EXPECT_EQ(RunVerify("").status, 2);
    EXPECT_EQ(RunVerify("--bogus x").status, 2);
    EXPECT_EQ(RunVerify("--help").status, 0);
}

}  // namespace
}  // namespace quz::testing
