// The last name kept for the next name entry: written whole, read without trusting the file.
#include "app/last_name.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class LastName : public testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/quz-last-name-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        path_ = folder_ + "/" + kLastNameFileName;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    void WriteRaw(const std::string& bytes) const {
        FILE* file = fopen(path_.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    std::string Read() const {
        char name[quz::core::kNameBufferSize];
        ReadLastNameFrom(path_.c_str(), name);
        return name;
    }
    std::string folder_;
    std::string path_;
};

TEST_F(LastName, WhatIsWrittenIsReadBack) {
    ASSERT_TRUE(WriteLastNameTo(path_.c_str(), "Ann Lee-2"));
    EXPECT_EQ(Read(), "Ann Lee-2");
    ASSERT_TRUE(WriteLastNameTo(path_.c_str(), ""));
    EXPECT_EQ(Read(), "");
}

// Another program, an editor or a damaged disk may have left anything there: the entry opens with what a
// name may hold, up to the first character it may not, never past the name's length, and a file far too
// long for a name gives nothing.
TEST_F(LastName, TheFileIsNotTrusted) {
    EXPECT_EQ(Read(), "") << "no file";
    WriteRaw("Bob\r\n");
    EXPECT_EQ(Read(), "Bob");
    WriteRaw("Zo\xc3\xab");
    EXPECT_EQ(Read(), "Zo");
    WriteRaw(std::string("A\0B", 3));
    EXPECT_EQ(Read(), "A");
    WriteRaw(std::string(40, 'x'));
    EXPECT_EQ(Read(), std::string(quz::core::kMaxNameLength, 'x'));
    WriteRaw(std::string(5000, 'y'));
    EXPECT_EQ(Read(), "");
    std::filesystem::remove(path_);
    std::filesystem::create_directory(path_);
    EXPECT_EQ(Read(), "") << "a folder by that name";
    EXPECT_FALSE(WriteLastNameTo(path_.c_str(), "Ann"));
}

}  // namespace
