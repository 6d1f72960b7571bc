// The saved high-score table: where it is read from at start-up, its exact bytes written and read back,
// a save that fails at any step, a damaged file moved aside, and F1 kept away from the file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/high_score_file.h"
#include "app/high_score_table.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;

namespace {

std::string Image(const HighScoreEntries& table) {
    unsigned char image[kHighScoreFileSize];
    EncodeHighScores(table, image);
    return std::string(reinterpret_cast<const char*>(image), sizeof image);
}

// A table of nine named entries from `top` down in steps of 100, every other one marked.
std::string TableImage(const char* prefix, int32_t top) {
    HighScoreEntries table = {};
    for (int i = 0; i < kHighScoreCount; ++i) {
        snprintf(table[i].name, sizeof table[i].name, "%s%d", prefix, i);
        table[i].score = top - 100 * i;
        table[i].marked = i % 2;
    }
    return Image(table);
}

class HighScoreFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quz-scores-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        user = root / "data" / "quz";
        starting = root / "start" / "scores.vek";
        fs::create_directories(starting.parent_path());
    }
    void TearDown() override {
        LoadHighScoreTables(nullptr, "");  // no file of this test is written after it
        fs::remove_all(root);
    }

    void Load() { LoadHighScoreTables(user.c_str(), starting.c_str()); }
    fs::path Saved() const { return user / "scores.vek"; }

    fs::path root;
    fs::path user;
    fs::path starting;
};

TEST_F(HighScoreFileTest, ATableWrittenThenReadBackHasTheSameBytes) {
    // The name fields carry bytes after their terminator and a name that fills all 32 bytes: the file
    // keeps them as they are.
    std::string image = TableImage("P", 90000);
    image[5] = '\0';
    image[6] = 'z';
    memset(image.data() + 40, 'N', 32);
    image[80 + 32] = static_cast<char>(0xFF);  // a negative score
    WriteAll(starting, image);
    Load();
    EXPECT_EQ(Image(SavedHighScoreTable), image);
    ASSERT_TRUE(SaveHighScoreTable());
    EXPECT_EQ(ReadAll(Saved()), image);

    fs::remove(starting);
    memset(HighScoreTable, 0, sizeof HighScoreTable);
    Load();
    EXPECT_EQ(Image(HighScoreTable), image);
    EXPECT_EQ(Image(SavedHighScoreTable), image);
}

TEST_F(HighScoreFileTest, ThePlayersFileComesFirstThenTheStartingFolderThenTheDefaults) {
    Load();
    EXPECT_EQ(HighScoreTable[0].score, 9);
    EXPECT_STREQ(HighScoreTable[8].name, ".V.E.K. QUZ . RUZO .");
    EXPECT_FALSE(fs::exists(Saved())) << "loading writes nothing";

    // A short starting-folder file keeps its old meaning: the rest of the table is zero.
    WriteAll(starting, TableImage("S", 5000).substr(0, 80));
    Load();
    EXPECT_STREQ(HighScoreTable[1].name, "S1");
    EXPECT_EQ(HighScoreTable[2].score, 0);

    fs::create_directories(user);
    WriteAll(Saved(), TableImage("U", 7000));
    Load();
    EXPECT_STREQ(HighScoreTable[0].name, "U0");
    EXPECT_STREQ(SavedHighScoreTable[8].name, "U8");
    EXPECT_EQ(ReadAll(starting).size(), 80u) << "the starting folder is never written";
}

TEST_F(HighScoreFileTest, ANewEntryIsSavedAtOnceAndTheStartingFolderStaysAsItWas) {
    const std::string start = TableImage("S", 900);
    WriteAll(starting, start);
    Load();
    RecordHighScore("ANN", 850, 0);
    EXPECT_STREQ(HighScoreTable[1].name, "ANN");
    ASSERT_EQ(ReadAll(Saved()).size(), 360u);
    EXPECT_STREQ(ReadAll(Saved()).c_str() + 40, "ANN");
    EXPECT_EQ(ReadAll(starting), start);
    // A score that earns no place changes nothing, and nothing is written.
    fs::remove(Saved());
    RecordHighScore("LOW", 1, 0);
    EXPECT_FALSE(fs::exists(Saved()));
}

TEST_F(HighScoreFileTest, F1ThenANewEntryKeepsTheSavedScores) {
    fs::create_directories(user);
    WriteAll(Saved(), TableImage("KEEP", 9000));
    Load();
    ResetHighScores();  // F1 on the score screen
    EXPECT_EQ(HighScoreTable[0].score, 9);
    RecordHighScore("NEW", 8950, 0);
    // The run shows the entry in the reset table...
    EXPECT_STREQ(HighScoreTable[0].name, "NEW");
    EXPECT_EQ(HighScoreTable[1].score, 9);
    // ...and the file has it among the saved scores, which are all still there but the last.
    LoadHighScoreTables(user.c_str(), starting.c_str());
    EXPECT_STREQ(HighScoreTable[0].name, "KEEP0");
    EXPECT_STREQ(HighScoreTable[1].name, "NEW");
    EXPECT_STREQ(HighScoreTable[8].name, "KEEP7");
    EXPECT_EQ(HighScoreTable[8].score, 8300);
}

TEST_F(HighScoreFileTest, ADamagedFileIsMovedAsideNotLost) {
    fs::create_directories(user);
    const std::string damaged = TableImage("D", 100).substr(0, 200);
    WriteAll(Saved(), damaged);
    WriteAll(starting, TableImage("S", 5000));
    testing::internal::CaptureStderr();
    Load();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("200 bytes"), std::string::npos) << said;
    EXPECT_NE(said.find("scores.vek.bad"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(ReadAll(user / "scores.vek.bad"), damaged);
    EXPECT_FALSE(fs::exists(Saved()));
    EXPECT_STREQ(HighScoreTable[0].name, "S0") << "the table comes from the next source";

    // The next entry makes a good file; the damaged one stays where it was put.
    RecordHighScore("NEXT", 6000, 0);
    EXPECT_EQ(ReadAll(Saved()).size(), 360u);
    EXPECT_EQ(ReadAll(user / "scores.vek.bad"), damaged);

    // A folder or a FIFO in the file's place is no table either.
    fs::remove(Saved());
    fs::create_directory(Saved());
    testing::internal::CaptureStderr();
    Load();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a regular file"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(user / "scores.vek.bad.1"));
}

TEST_F(HighScoreFileTest, ADamagedFileThatCannotBeMovedIsNeverWrittenOver) {
    fs::create_directories(user);
    const std::string damaged(10, 'd');
    WriteAll(Saved(), damaged);
    // Every name the file could be moved to is taken.
    WriteAll(user / "scores.vek.bad", "x");
    for (int i = 1; i < 100; ++i) {
        WriteAll(user / ("scores.vek.bad." + std::to_string(i)), "x");
    }
    testing::internal::CaptureStderr();
    Load();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be moved aside"), std::string::npos);
    RecordHighScore("ANN", 100000, 0);
    EXPECT_STREQ(HighScoreTable[0].name, "ANN") << "the run goes on with the entry";
    EXPECT_EQ(ReadAll(Saved()), damaged);
    EXPECT_FALSE(SaveHighScoreTable());
}

// The save's steps fail one after another; each time the saved file stays whole and readable.
int failAtStep = -1;
int stepCounter = 0;
bool Failing() {
    if (stepCounter++ == failAtStep) {
        errno = EIO;
        return true;
    }
    return false;
}
int CreateTempStep(char* pathTemplate) {
    return Failing() ? -1 : SystemFileWriteSteps().createTemp(pathTemplate);
}
long WriteStep(int fd, const void* bytes, size_t count) {
    // A short write: some bytes go out before the failure.
    if (Failing()) {
        (void)SystemFileWriteSteps().write(fd, bytes, count / 3);
        return -1;
    }
    return SystemFileWriteSteps().write(fd, bytes, count);
}
int FlushStep(int fd) {
    return Failing() ? -1 : SystemFileWriteSteps().flush(fd);
}
int CloseStep(int fd) {
    int result = SystemFileWriteSteps().close(fd);
    return Failing() ? -1 : result;
}
int RenameStep(const char* from, const char* to) {
    return Failing() ? -1 : SystemFileWriteSteps().rename(from, to);
}

TEST_F(HighScoreFileTest, ASaveFailingAtAnyStepLeavesTheOldTableWholeAndReadable) {
    fs::create_directories(user);
    const std::string old = TableImage("OLD", 5000);
    WriteAll(Saved(), old);
    Load();
    InsertHighScore(SavedHighScoreTable, "NEW", 99999, 0);
    const FileWriteSteps steps = {CreateTempStep, WriteStep, FlushStep, CloseStep, RenameStep};
    for (failAtStep = 0; failAtStep < 5; ++failAtStep) {
        stepCounter = 0;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(SaveHighScoreTable(steps)) << failAtStep;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("High scores not saved"), std::string::npos) << said;
        EXPECT_EQ(ReadAll(Saved()), old) << failAtStep;
        EXPECT_EQ(std::distance(fs::directory_iterator(user), fs::directory_iterator{}), 1) << "no leftovers";
    }
    failAtStep = -1;
    stepCounter = 0;
    EXPECT_TRUE(SaveHighScoreTable(steps));
    EXPECT_STREQ(ReadAll(Saved()).c_str(), "NEW");
}

TEST_F(HighScoreFileTest, WithNowhereToSaveTheRunStillKeepsItsEntries) {
    LoadHighScoreTables(nullptr, starting.c_str());
    testing::internal::CaptureStderr();
    RecordHighScore("ANN", 100, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_STREQ(HighScoreTable[0].name, "ANN");
    EXPECT_FALSE(SaveHighScoreTable());

    // A folder that cannot be made (a file stands in its way) is reported and nothing breaks.
    fs::create_directories(root / "data");
    WriteAll(root / "data" / "quz", "in the way");
    Load();
    testing::internal::CaptureStderr();
    RecordHighScore("BOB", 200, 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot create"), std::string::npos);
    EXPECT_STREQ(HighScoreTable[0].name, "BOB");
}

}  // namespace
