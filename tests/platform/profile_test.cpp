// The configuration key must read like the Windows profile API: that is what players' quz.ini files
// were written for. These hold on every system; profile_posix_test.cpp has the POSIX-only cases.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/profile_test_support.h"

namespace {

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

// The reader used to trust its file: a 4096-character comment was split so that its tail was read as a
// setting.
TEST_F(ProfileTest, OnlyWholeLinesAreRead) {
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
