// The profile reader's cases that only a POSIX system has: a backslash as an ordinary character of a
// folder's name, and a link to an endless device.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/profile.h"
#include "platform/profile_test_support.h"

namespace {

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

// The reader used to trust its file: a link to /dev/zero never returned.
TEST_F(ProfileTest, ALinkToAnEndlessDeviceIsNotRead) {
    ASSERT_EQ(symlink("/dev/zero", path_.c_str()), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Read(), "fr");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
