// The player's files on Windows: %APPDATA%\quz for the table, the outbox and the fallback quz.ini, and
// every path through the wide-character calls, so that a user folder named outside the ANSI code page
// (here "Zoë Дима 名前") is read and written like any other. The folders are made and checked with
// std::filesystem, which is wide on Windows, independently of the code under test.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/data_dir.h"
#include "platform/native_path.h"
#include "platform/profile.h"
#include "platform/regular_file.h"
#include "platform/standard_streams.h"
#include "platform/temp_dir.h"
#include "platform/user_files.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;

namespace {

constexpr char kUserName[] = "Zo\xc3\xab \xd0\x94\xd0\xb8\xd0\xbc\xd0\xb0 \xe5\x90\x8d\xe5\x89\x8d";

std::string Utf8(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

class WindowsUserFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Named after the test, not the process: a death test's child must find the same folders.
        root_ = fs::temp_directory_path() / (std::string("quz-windows-") +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        appData_ = root_ / PathOf(kUserName) / "AppData" / "Roaming";
        fs::create_directories(appData_);
        Keep(L"APPDATA");
        Keep(L"TMP");
        ASSERT_EQ(_wputenv_s(L"APPDATA", appData_.wstring().c_str()), 0);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            _wputenv_s(name.c_str(), value.c_str());
        }
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    void Keep(const wchar_t* name) {
        const wchar_t* value = _wgetenv(name);
        saved_.emplace_back(name, value != nullptr ? value : L"");
    }

    fs::path root_;
    fs::path appData_;
    std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

TEST_F(WindowsUserFolderTest, TheTableIsWrittenReplacedAndReadUnderANonAsciiUserFolder) {
    char folder[1024];
    ASSERT_TRUE(GetUserDataDirectory(folder, sizeof folder));
    EXPECT_EQ(PathOf(folder), appData_ / "quz");
    EXPECT_FALSE(fs::exists(appData_ / "quz"));
    ASSERT_TRUE(MakeDirectories(folder));
    EXPECT_TRUE(fs::is_directory(appData_ / "quz"));
    ASSERT_TRUE(MakeDirectories(folder)) << "a folder that is already there is fine";

    std::string table = std::string(folder) + "\\scores.vek";
    std::string first(360, 'a');
    std::string second(360, 'b');
    ASSERT_TRUE(WriteFileAtomically(table.c_str(), first.data(), first.size()));
    ASSERT_TRUE(WriteFileAtomically(table.c_str(), second.data(), second.size()))
        << "the new table replaces the old one";
    EXPECT_EQ(ReadAll(appData_ / "quz" / "scores.vek"), second);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(appData_ / "quz")) {
        names.push_back(Utf8(entry.path().filename()));
    }
    EXPECT_EQ(names, std::vector<std::string>{"scores.vek"}) << "no temporary file is left behind";

    char bytes[400];
    size_t size = 0;
    ASSERT_EQ(ReadRegularFile(table.c_str(), bytes, sizeof bytes, &size), ReadFileResult::Read);
    EXPECT_EQ(std::string(bytes, size), second);
    EXPECT_EQ(ReadRegularFile((std::string(folder) + "\\none.vek").c_str(), bytes, sizeof bytes, &size),
              ReadFileResult::Missing);
    EXPECT_EQ(ReadRegularFile(folder, bytes, sizeof bytes, &size), ReadFileResult::NotRegular);
    EXPECT_EQ(ReadRegularFile(table.c_str(), bytes, 100, &size), ReadFileResult::TooBig);

    char movedTo[1024];
    ASSERT_TRUE(MoveFileAside(table.c_str(), ".bad", movedTo, sizeof movedTo));
    EXPECT_EQ(PathOf(movedTo), appData_ / "quz" / "scores.vek.bad");
    EXPECT_TRUE(fs::is_regular_file(appData_ / "quz" / "scores.vek.bad"));
    EXPECT_EQ(RemoveFile(movedTo), 0);
    EXPECT_FALSE(fs::exists(appData_ / "quz" / "scores.vek.bad"));
}

TEST_F(WindowsUserFolderTest, SettingsComeFromTheStartFolderThenTheUserFolder) {
    fs::path start = root_ / PathOf(kUserName) / "Jeux";
    fs::create_directories(start);
    EXPECT_EQ(PathOf(UserFolder("XDG_CONFIG_HOME", ".config")), appData_ / "quz");
    EXPECT_EQ(PathOf(ConfigFileIn(Utf8(start))), appData_ / "quz" / "quz.ini");

    fs::create_directories(appData_ / "quz");
    WriteAll(appData_ / "quz" / "quz.ini", "[Game]\r\nLang=en\r\n");
    char value[32];
    EXPECT_EQ(ReadProfileString("game", "LANG", "fr", value, sizeof value, ConfigFileIn(Utf8(start)).c_str()),
              2u);
    EXPECT_STREQ(value, "en");

    WriteAll(start / "quz.ini", "[Game]\nLang = \"fr\"\n");
    std::string local = ConfigFileIn(Utf8(start));
    EXPECT_EQ(PathOf(local), start / "quz.ini");
    ReadProfileString("Game", "Lang", "en", value, sizeof value, local.c_str());
    EXPECT_STREQ(value, "fr");
}

TEST_F(WindowsUserFolderTest, FilesAndTemporaryFilesUnderANonAsciiFolder) {
    fs::path folder = root_ / PathOf(kUserName);
    WriteAll(folder / "plain.txt", "text");
    std::string plain = Utf8(folder / "plain.txt");
    EXPECT_TRUE(IsRegularFile(plain.c_str()));
    EXPECT_FALSE(IsRegularFile(Utf8(folder).c_str()));
    FILE* file = OpenRegularFile(plain.c_str());
    ASSERT_NE(file, nullptr);
    char text[8] = {};
    EXPECT_EQ(fread(text, 1, sizeof text, file), 4u);
    fclose(file);
    EXPECT_EQ(OpenRegularFile(Utf8(folder).c_str()), nullptr);
    EXPECT_EQ(OpenRegularFile("\xff\xfe not UTF-8"), nullptr);

    fs::path temp = folder / "Temp";
    fs::create_directories(temp);
    ASSERT_EQ(_wputenv_s(L"TMP", temp.wstring().c_str()), 0);
    char tempFolder[1024];
    ASSERT_TRUE(GetTempDirectory(tempFolder, sizeof tempFolder));
    EXPECT_EQ(tempFolder[strlen(tempFolder) - 1], '\\');
    EXPECT_EQ(PathOf(tempFolder), temp / "");
    std::string tempFile = std::string(tempFolder) + "member.wav";
    FILE* out = CreateTempFile(tempFile.c_str());
    ASSERT_NE(out, nullptr);
    fputs("RIFF", out);
    fclose(out);
    EXPECT_EQ(ReadAll(temp / "member.wav"), "RIFF");
}

TEST_F(WindowsUserFolderTest, EnvironmentTextIsUtf8) {
    std::string value;
    ASSERT_TRUE(GetEnvironmentText("APPDATA", value));
    EXPECT_EQ(PathOf(value), appData_);
    EXPECT_FALSE(GetEnvironmentText("QUZ_NOT_SET_ANYWHERE", value));
    EXPECT_EQ(Utf8Text(WideText(kUserName).c_str()), kUserName);
    EXPECT_TRUE(WideText("\xc3").empty()) << "a cut UTF-8 sequence names no file";
}

// A program started from the desktop has no console: what it prints goes to files in the user folder,
// and a stream that printed nothing leaves no file.
TEST_F(WindowsUserFolderTest, StandardStreamsGoToFilesInTheUserFolder) {
    EXPECT_EXIT(
        {
            if (PathOf(RedirectStandardStreams()) != appData_ / "quz") {
                exit(2);
            }
            fputs("printed\n", stdout);
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadAll(appData_ / "quz" / "stdout.txt"), "printed\r\n");
    EXPECT_FALSE(fs::exists(appData_ / "quz" / "stderr.txt")) << "an empty file is removed at exit";
}

TEST(WindowsDataFolderTest, TheExecutablesFolderIsACandidateAndPathsMayUseEitherSeparator) {
    std::vector<std::string> folders = DataFolderCandidates("C:\\start", "C:\\Games\\Quz\\quz.exe", "");
    ASSERT_GE(folders.size(), 2u);
    EXPECT_EQ(folders[0], "C:\\start");
    EXPECT_EQ(folders[1], "C:\\Games\\Quz");
    ASSERT_TRUE(RememberStartFolder());
    std::string path = StartFolderPath("scores.vek");
    EXPECT_EQ(path[1], ':') << path;
    EXPECT_EQ(path.substr(path.size() - 10), "scores.vek");
}

}  // namespace
