// The configuration key must read like the Windows profile API: that is what players' quz.ini files
// were written for.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

class ProfileTest : public ::testing::Test {
  protected:
    void Write(const std::string& text) {
        FILE* file = fopen(path_.c_str(), "w");
        ASSERT_NE(file, nullptr);
        fputs(text.c_str(), file);
        fclose(file);
    }
    std::string Read(size_t size = 32) {
        char out[64];
        ReadProfileString("Game", "Lang", "fr", out, size, path_.c_str());
        return out;
    }
    void TearDown() override { remove(path_.c_str()); }

    std::string path_ = ::testing::TempDir() + "quz_profile_test.ini";
};

TEST_F(ProfileTest, MissingFileOrKeyGivesTheDefault) {
    EXPECT_EQ(Read(), "fr");
    Write("[Game]\nOther=1\n[Sound]\nLang=en\n");
    EXPECT_EQ(Read(), "fr");
}

TEST_F(ProfileTest, SectionAndKeyIgnoreCaseAndBlanks) {
    Write("; comment\n[other]\nLang=de\n  [ game ]  \n  lAnG =   en  \r\n");
    EXPECT_EQ(Read(), "en");
}

TEST_F(ProfileTest, EmptyValueIsEmptyNotDefault) {
    Write("[Game]\nLang=\n");
    EXPECT_EQ(Read(), "");
}

TEST_F(ProfileTest, LongValueIsCutToTheBuffer) {
    Write("[Game]\nLang=" + std::string(40, 'x') + "\n");
    EXPECT_EQ(Read(32), std::string(31, 'x'));
}

// A relative Windows-style name is the working directory's file; an absolute name is taken as it is,
// so a starting folder whose name holds a backslash still has its own quz.ini read.
TEST_F(ProfileTest, WindowsStylePathsAreRelativeOnly) {
    FILE* file = fopen("quz_profile_cwd.ini", "w");
    ASSERT_NE(file, nullptr);
    fputs("[Game]\nLang=en\n", file);
    fclose(file);
    char out[32];
    ReadProfileString("Game", "Lang", "fr", out, sizeof out, ".\\quz_profile_cwd.ini");
    remove("quz_profile_cwd.ini");
    EXPECT_STREQ(out, "en");

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string folder = std::string(cwd) + "/quz\\profile";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    std::string inFolder = folder + "/quz.ini";
    file = fopen(inFolder.c_str(), "w");
    ASSERT_NE(file, nullptr);
    fputs("[Game]\nLang=de\n", file);
    fclose(file);
    ReadProfileString("Game", "Lang", "fr", out, sizeof out, inFolder.c_str());
    remove(inFolder.c_str());
    rmdir(folder.c_str());
    EXPECT_STREQ(out, "de");
}

// The reader used to trust its file: a link to /dev/zero never returned, and a 4096-character comment
// was split so that its tail was read as a setting.
TEST_F(ProfileTest, OnlyARegularFileIsReadAndOnlyItsWholeLines) {
    ASSERT_EQ(symlink("/dev/zero", path_.c_str()), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Read(), "fr");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    remove(path_.c_str());

    Write("[Game]\n;" + std::string(4094, 'x') + "Lang=zz\n");
    EXPECT_EQ(Read(), "fr") << "the tail of an over-long comment is not a setting";
    Write("[Game]\nLang=" + std::string(5000, 'y') + "\nLang=en\n");
    EXPECT_EQ(Read(), "en") << "an over-long line is skipped whole";
    Write("[Game]\n;" + std::string(4000, 'x') + "\nLang=en");
    EXPECT_EQ(Read(), "en") << "a line just under the limit, and a last line without its end";
}

TEST_F(ProfileTest, OnlyTheFirst64KilobytesAreRead) {
    std::string blanks(kProfileReadLimit - 20, '\n');
    Write("[Game]\n" + blanks + "Lang=en\n");
    EXPECT_EQ(Read(), "en");
    // The same key past the limit is not seen, nor is a line the limit cuts in two.
    Write("[Game]\n" + std::string(200 * 1024, '\n') + "Lang=en\n");
    EXPECT_EQ(Read(), "fr");
    Write("[Game]\n" + std::string(kProfileReadLimit - 10, '\n') + "Lang=enormous\n");
    EXPECT_EQ(Read(), "fr");
}

}  // namespace
