// The configuration key must read like the Windows profile API: that is what players' quz.ini files
// were written for.
#include "platform/profile.h"

#include <gtest/gtest.h>

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

TEST_F(ProfileTest, WindowsStylePathNamesTheWorkingDirectoryFile) {
    FILE* file = fopen("quz_profile_cwd.ini", "w");
    ASSERT_NE(file, nullptr);
    fputs("[Game]\nLang=en\n", file);
    fclose(file);
    char out[32];
    ReadProfileString("Game", "Lang", "fr", out, sizeof out, ".\\quz_profile_cwd.ini");
    remove("quz_profile_cwd.ini");
    EXPECT_STREQ(out, "en");
}

}  // namespace
