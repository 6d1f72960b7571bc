// Only regular files are read: a FIFO, a device or a folder in place of a game file must neither block
// nor feed a reader endless bytes.
#include "platform/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class RegularFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quz_regular_file_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        // A blocked open would hang the whole test program; let the alarm end it instead.
        alarm(30);
    }
    void TearDown() override {
        alarm(0);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    fs::path folder_;
};

TEST_F(RegularFileTest, RegularFilesAndLinksToThemOpenOtherKindsDoNot) {
    FILE* out = fopen(Path("plain").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    fputs("bytes", out);
    fclose(out);
    ASSERT_EQ(symlink(Path("plain").c_str(), Path("link").c_str()), 0);
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", Path("zero").c_str()), 0);

    for (const char* name : {"plain", "link"}) {
        EXPECT_TRUE(IsRegularFile(Path(name).c_str())) << name;
        FILE* file = OpenRegularFile(Path(name).c_str());
        ASSERT_NE(file, nullptr) << name;
        char text[8] = {};
        EXPECT_EQ(fread(text, 1, sizeof text, file), 5u);
        EXPECT_STREQ(text, "bytes");
        fclose(file);
        SDL_RWops* stream = OpenRegularFileStream(Path(name).c_str());
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(SDL_RWseek(stream, 0, RW_SEEK_END), 5);
        SDL_RWclose(stream);
    }
    for (const char* name : {"fifo", "zero", "missing", ""}) {
        EXPECT_FALSE(IsRegularFile(Path(name).c_str())) << name;
        EXPECT_EQ(OpenRegularFile(Path(name).c_str()), nullptr) << name;
        EXPECT_EQ(OpenRegularFileStream(Path(name).c_str()), nullptr) << name;
        EXPECT_EQ(LoadRegularImage(Path(name).c_str()), nullptr) << name;
    }
    EXPECT_EQ(OpenRegularFile(nullptr), nullptr);
}

}  // namespace
