// The replays folder's names: what the game writes, what it recognises as its own, and which go when
// there are more than twenty.
#include "replay/replay_folder.h"

#include <gtest/gtest.h>

namespace quz::replay {
namespace {

std::tm At(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(ReplayFolder, NamesItsGamesByTimeAndKnowsThem) {
    EXPECT_EQ(ReplayFileName(At(2026, 12, 7, 9, 5, 3)), "20261207-090503.quzr");
    EXPECT_EQ(ReplayFileName(At(2026, 12, 7, 9, 5, 3), 2), "20261207-090503-2.quzr");
    EXPECT_TRUE(IsGameReplayName("20261207-090503.quzr"));
    EXPECT_TRUE(IsGameReplayName("20261207-090503-12.quzr"));
    for (const char* other : {"best.quzr", "20261207-090503.quzr.Ab12Cd", "20261207-090503-1.quzr",
                              "20261207-090503-.quzr", "2026120-090503.quzr", "20261207_090503.quzr",
                              "20261207-090503.QUZR", "20261207-090503-99999.quzr", ".quzr", ""}) {
        EXPECT_FALSE(IsGameReplayName(other)) << other;
    }
}

TEST(ReplayFolder, RemovesTheOldestBeyondTheKept) {
    std::vector<std::string> names = {"best.quzr", "notes.txt"};
    for (int second = 0; second < 24; ++second) {
        names.push_back(ReplayFileName(At(2026, 1, 1 + second % 3, 12, 0, second)));
    }
    names.push_back("20260101-120000-2.quzr");
    names.push_back("20260101-120000-10.quzr");
    EXPECT_TRUE(ReplaysToRemove(names, 100).empty());
    const std::vector<std::string> removed = ReplaysToRemove(names);
    ASSERT_EQ(removed.size(), 6u);
    EXPECT_EQ(removed[0], "20260101-120000.quzr");
    EXPECT_EQ(removed[1], "20260101-120000-2.quzr");
    EXPECT_EQ(removed[2], "20260101-120000-10.quzr");
    EXPECT_EQ(removed[3], "20260101-120003.quzr");
    for (const std::string& name : removed) {
        EXPECT_NE(name, "best.quzr");
    }
}

}  // namespace
}  // namespace quz::replay
