// Bounded copies must cut, never overflow, and say when they cut.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(TextTest, CopyCutsAndTerminates) {
    char buffer[8];
    memset(buffer, 'z', sizeof buffer);
    EXPECT_FALSE(CopyText(buffer, "abcdefghij"));
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_TRUE(CopyText(buffer, "abc"));
    EXPECT_STREQ(buffer, "abc");
    EXPECT_TRUE(CopyText(buffer, nullptr));
    EXPECT_STREQ(buffer, "");
}

TEST(TextTest, FormatCutsAndTerminates) {
    char buffer[6];
    EXPECT_FALSE(FormatText(buffer, sizeof buffer, "%06i", 1234567));
    EXPECT_STREQ(buffer, "12345");
    EXPECT_TRUE(FormatText(buffer, sizeof buffer, "%02i", 3));
    EXPECT_STREQ(buffer, "03");
}
