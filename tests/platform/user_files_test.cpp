// The player's files: the folder they live in, reading without trusting what is there, the atomic
// replacement with each of its steps failing in turn, and moving a damaged file aside.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/user_files.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;

namespace {

class UserFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quz-user-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    // Every name in the folder, sorted, so a leftover temporary file shows.
    std::string Names() const {
        std::string names;
        std::vector<std::string> all;
        for (const auto& entry : fs::directory_iterator(folder)) {
            all.push_back(entry.path().filename().string());
        }
        std::sort(all.begin(), all.end());
        for (const std::string& name : all) {
            names += name + " ";
        }
        return names;
    }

    fs::path folder;
};

TEST_F(UserFilesTest, TheDataFolderFollowsXdgThenHome) {
    const char* savedData = getenv("XDG_DATA_HOME");
    const char* savedHome = getenv("HOME");
    std::string keepData = savedData != nullptr ? savedData : "";
    std::string keepHome = savedHome != nullptr ? savedHome : "";
    char out[256];

    setenv("XDG_DATA_HOME", "/x/data", 1);
    setenv("HOME", "/h", 1);
    ASSERT_TRUE(GetUserDataDirectory(out, sizeof out));
    EXPECT_STREQ(out, "/x/data/quz");
    // A relative XDG value is to be ignored.
    setenv("XDG_DATA_HOME", "relative", 1);
    ASSERT_TRUE(GetUserDataDirectory(out, sizeof out));
    EXPECT_STREQ(out, "/h/.local/share/quz");
    unsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(GetUserDataDirectory(out, sizeof out));
    EXPECT_STREQ(out, "/h/.local/share/quz");
    unsetenv("HOME");
    EXPECT_FALSE(GetUserDataDirectory(out, sizeof out));
    setenv("HOME", std::string(300, 'h').insert(0, "/").c_str(), 1);
    EXPECT_FALSE(GetUserDataDirectory(out, sizeof out)) << "a path that does not fit is refused, not cut";

    keepData.empty() ? unsetenv("XDG_DATA_HOME") : setenv("XDG_DATA_HOME", keepData.c_str(), 1);
    keepHome.empty() ? unsetenv("HOME") : setenv("HOME", keepHome.c_str(), 1);
}

TEST_F(UserFilesTest, MakesMissingParentsPrivately) {
    fs::path deep = folder / "a" / "b" / "quz";
    ASSERT_TRUE(MakeDirectories(deep.c_str()));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(MakeDirectories(deep.c_str())) << "an existing folder is fine";
    struct stat info {};
    ASSERT_EQ(stat(deep.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
    WriteAll(folder / "file", "x");
    EXPECT_FALSE(MakeDirectories((folder / "file").c_str()));
    EXPECT_FALSE(MakeDirectories((folder / "file" / "below").c_str()));
}

TEST_F(UserFilesTest, ReadsOnlyWholeRegularFiles) {
    char buffer[8];
    size_t size = 99;
    EXPECT_EQ(ReadRegularFile((folder / "none").c_str(), buffer, sizeof buffer, &size),
              ReadFileResult::Missing);
    EXPECT_EQ(size, 0u);

    WriteAll(folder / "exact", "12345678");
    EXPECT_EQ(ReadRegularFile((folder / "exact").c_str(), buffer, sizeof buffer, &size),
              ReadFileResult::Read);
    EXPECT_EQ(std::string(buffer, size), "12345678");
    WriteAll(folder / "long", "123456789");
    EXPECT_EQ(ReadRegularFile((folder / "long").c_str(), buffer, sizeof buffer, &size),
              ReadFileResult::TooBig);
    WriteAll(folder / "empty", "");
    EXPECT_EQ(ReadRegularFile((folder / "empty").c_str(), buffer, sizeof buffer, &size),
              ReadFileResult::Read);
    EXPECT_EQ(size, 0u);

    fs::create_directory(folder / "dir");
    EXPECT_EQ(ReadRegularFile((folder / "dir").c_str(), buffer, sizeof buffer, &size),
              ReadFileResult::NotRegular);
    // A FIFO with no writer would block a plain open forever.
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadRegularFile((folder / "fifo").c_str(), buffer, sizeof buffer, &size),
              ReadFileResult::NotRegular);
    fs::create_symlink(folder / "exact", folder / "link");
    EXPECT_EQ(ReadRegularFile((folder / "link").c_str(), buffer, sizeof buffer, &size), ReadFileResult::Read);
    fs::create_symlink(folder / "gone", folder / "dangling");
    EXPECT_EQ(ReadRegularFile((folder / "dangling").c_str(), buffer, sizeof buffer, &size),
              ReadFileResult::Unreadable);
    if (geteuid() != 0) {
        WriteAll(folder / "locked", "x");
        chmod((folder / "locked").c_str(), 0);
        EXPECT_EQ(ReadRegularFile((folder / "locked").c_str(), buffer, sizeof buffer, &size),
                  ReadFileResult::Unreadable);
    }
}

TEST_F(UserFilesTest, AtomicWriteReplacesTheFileWhole) {
    fs::path path = folder / "table";
    std::string first(360, 'a');
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), first.data(), first.size()));
    EXPECT_EQ(ReadAll(path), first);
    std::string second(360, 'b');
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), second.data(), second.size()));
    EXPECT_EQ(ReadAll(path), second);
    EXPECT_EQ(Names(), "table ");
    // Into a folder that is not there: nothing is written, and the reason is kept.
    EXPECT_FALSE(WriteFileAtomically((folder / "missing" / "table").c_str(), first.data(), first.size()));
    EXPECT_EQ(errno, ENOENT);
}

// Each step of the replacement fails in turn; the old file must stay whole and nothing be left behind.
enum class Failing { CreateTemp, ShortWrite, Flush, Close, Rename };
Failing failing = Failing::CreateTemp;
int writesSeen = 0;

int CreateTempFailing(char* pathTemplate) {
    if (failing == Failing::CreateTemp) {
        errno = EACCES;
        return -1;
    }
    return SystemFileWriteSteps().createTemp(pathTemplate);
}
long WriteFailing(int fd, const void* bytes, size_t count) {
    if (failing == Failing::ShortWrite) {
        // Half the bytes go out, then the disk is full.
        if (writesSeen++ == 0) {
            return SystemFileWriteSteps().write(fd, bytes, count / 2);
        }
        errno = ENOSPC;
        return -1;
    }
    return SystemFileWriteSteps().write(fd, bytes, count);
}
int FlushFailing(int fd) {
    if (failing == Failing::Flush) {
        errno = EIO;
        return -1;
    }
    return SystemFileWriteSteps().flush(fd);
}
int CloseFailing(int fd) {
    int result = SystemFileWriteSteps().close(fd);
    if (failing == Failing::Close) {
        errno = EIO;
        return -1;
    }
    return result;
}
int RenameFailing(const char* from, const char* to) {
    if (failing == Failing::Rename) {
        errno = EXDEV;
        return -1;
    }
    return SystemFileWriteSteps().rename(from, to);
}

TEST_F(UserFilesTest, AFailureAtAnyStepLeavesTheOldFileWhole) {
    const FileWriteSteps steps = {CreateTempFailing, WriteFailing, FlushFailing, CloseFailing, RenameFailing};
    fs::path path = folder / "table";
    const std::string old(360, 'o');
    WriteAll(path, old);
    const std::string next(360, 'n');
    const struct {
        Failing step;
        int error;
    } cases[] = {{Failing::CreateTemp, EACCES},
                 {Failing::ShortWrite, ENOSPC},
                 {Failing::Flush, EIO},
                 {Failing::Close, EIO},
                 {Failing::Rename, EXDEV}};
    for (const auto& c : cases) {
        failing = c.step;
        writesSeen = 0;
        EXPECT_FALSE(WriteFileAtomically(path.c_str(), next.data(), next.size(), steps))
            << static_cast<int>(c.step);
        EXPECT_EQ(errno, c.error) << static_cast<int>(c.step);
        EXPECT_EQ(ReadAll(path), old) << static_cast<int>(c.step);
        EXPECT_EQ(Names(), "table ") << static_cast<int>(c.step);
    }
}

TEST_F(UserFilesTest, MovingAsideNeverReplacesAnEarlierDamagedFile) {
    fs::path path = folder / "scores.vek";
    char movedTo[4096];
    for (const char* contents : {"first", "second", "third"}) {
        WriteAll(path, contents);
        ASSERT_TRUE(MoveFileAside(path.c_str(), ".bad", movedTo, sizeof movedTo)) << contents;
        EXPECT_EQ(ReadAll(movedTo), contents);
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_EQ(ReadAll(folder / "scores.vek.bad"), "first");
    EXPECT_EQ(ReadAll(folder / "scores.vek.bad.1"), "second");
    EXPECT_EQ(ReadAll(folder / "scores.vek.bad.2"), "third");
    EXPECT_FALSE(MoveFileAside(path.c_str(), ".bad", movedTo, sizeof movedTo)) << "nothing left to move";
}

}  // namespace
