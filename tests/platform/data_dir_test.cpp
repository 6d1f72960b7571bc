// Where the game looks for its files: the search order of data/, a stray data/ folder that is not the
// game's, and quz.ini falling back to the per-user configuration folder.
#include "platform/data_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Folders = std::vector<std::string>;

TEST(DataFolderCandidatesTest, StartFolderThenExecutableFolderThenInstalledTrees) {
    EXPECT_EQ(DataFolderCandidates("/home/p", "/opt/quz/games/quz", "/usr/share/games/quz"),
              (Folders{"/home/p", "/opt/quz/games", "/opt/quz/share/games/quz", "/usr/share/games/quz"}));
    // The usual installed case names the same folder twice: it is looked at once.
    EXPECT_EQ(DataFolderCandidates("/home/p", "/usr/games/quz", "/usr/share/games/quz"),
              (Folders{"/home/p", "/usr/games", "/usr/share/games/quz"}));
    // Started in the build tree: one place.
    EXPECT_EQ(DataFolderCandidates("/src/build", "/src/build/quz", ""),
              (Folders{"/src/build", "/src/share/games/quz"}));
    // No executable path and no installed folder leave only the starting folder.
    EXPECT_EQ(DataFolderCandidates("/home/p", "", ""), (Folders{"/home/p"}));
    EXPECT_EQ(DataFolderCandidates("/home/p", "quz", ""), (Folders{"/home/p"}));
}

class FolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quz_data_dir_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        SaveVariable("HOME");
        SaveVariable("XDG_CONFIG_HOME");
        SaveVariable("XDG_DATA_HOME");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value.second) {
                setenv(name.c_str(), value.first.c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        std::string command = "rm -rf '" + root_ + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }
    void SaveVariable(const char* name) {
        const char* value = getenv(name);
        saved_.push_back({name, {value != nullptr ? value : "", value != nullptr}});
    }
    void MakeFolder(const std::string& path) { ASSERT_EQ(mkdir((root_ + path).c_str(), 0755), 0) << path; }
    void MakeFile(const std::string& path) {
        FILE* file = fopen((root_ + path).c_str(), "w");
        ASSERT_NE(file, nullptr) << path;
        fputs("[Game]\nLang=en\n", file);
        fclose(file);
    }

    std::string root_;
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> saved_;
};

TEST_F(FolderTest, OnlyAFolderWithTheGamesDataCounts) {
    EXPECT_FALSE(HoldsGameData(root_));
    MakeFolder("/data");  // a player's own data folder
    EXPECT_FALSE(HoldsGameData(root_));
    MakeFile("/data/mouse.png");
    EXPECT_TRUE(HoldsGameData(root_));
    EXPECT_TRUE(HoldsGameData(root_ + "/"));
}

TEST_F(FolderTest, StartFolderIniComesBeforeTheUserConfiguration) {
    setenv("HOME", (root_ + "/home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    MakeFolder("/start");
    EXPECT_EQ(ConfigFileIn(root_ + "/start"), root_ + "/home/.config/quz/quz.ini");

    setenv("XDG_CONFIG_HOME", (root_ + "/xdg").c_str(), 1);
    EXPECT_EQ(ConfigFileIn(root_ + "/start"), root_ + "/xdg/quz/quz.ini");
    // A relative value would depend on where the game was started, so it is ignored.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(ConfigFileIn(root_ + "/start"), root_ + "/home/.config/quz/quz.ini");

    MakeFile("/start/quz.ini");
    EXPECT_EQ(ConfigFileIn(root_ + "/start"), root_ + "/start/quz.ini");
    // A folder called quz.ini is not a configuration file.
    MakeFolder("/other");
    MakeFolder("/other/quz.ini");
    EXPECT_EQ(ConfigFileIn(root_ + "/other"), root_ + "/home/.config/quz/quz.ini");
}

TEST_F(FolderTest, NoHomeAndNoStartFolderNameNoFile) {
    unsetenv("HOME");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserFolder("XDG_CONFIG_HOME", ".config"), "");
    EXPECT_EQ(ConfigFileIn(""), "");
    setenv("XDG_DATA_HOME", (root_ + "/share").c_str(), 1);
    EXPECT_EQ(UserFolder("XDG_DATA_HOME", ".local/share"), root_ + "/share/quz");
}

TEST(StartFolderTest, NamesFilesOfTheWorkingDirectoryAtStart) {
    ASSERT_TRUE(RememberStartFolder());
    std::string path = StartFolderPath("scores.vek");
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.size() - 11), "/scores.vek");
}

}  // namespace
