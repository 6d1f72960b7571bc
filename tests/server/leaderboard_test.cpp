// The web side's pure parts: period boundaries in UTC, the language of the page, escaping, and the JSON.
#include <gtest/gtest.h>

#include "server/leaderboard.h"

namespace {

constexpr int64_t kDay = 86400000;
// 2026-12-07 is a Monday; 12:34:56.789 UTC that day.
constexpr int64_t kMondayNoon = 1796601600000 + 12 * 3600000 + 34 * 60000 + 56789;

LeaderRow Row(const std::string& name, int32_t score) {
    LeaderRow row;
    row.name = name;
    row.score = score;
    row.identity = 42;
    row.achievedAtMs = kMondayNoon;
    return row;
}

}  // namespace

TEST(PeriodStartMs, TodayIsUtcMidnightAndTheWeekStartsOnMonday) {
    ASSERT_EQ(FormatUtcIso(kMondayNoon), "2026-12-07T12:34:56Z");
    int64_t mondayMidnight = kMondayNoon - (12 * 3600000 + 34 * 60000 + 56789);
    EXPECT_EQ(PeriodStartMs(Period::kToday, kMondayNoon), mondayMidnight);
    EXPECT_EQ(PeriodStartMs(Period::kWeek, kMondayNoon), mondayMidnight);
    EXPECT_EQ(PeriodStartMs(Period::kAll, kMondayNoon), 0);
    // Sunday's last millisecond still belongs to the week that began six days before.
    EXPECT_EQ(PeriodStartMs(Period::kWeek, mondayMidnight + 7 * kDay - 1), mondayMidnight);
    EXPECT_EQ(PeriodStartMs(Period::kWeek, mondayMidnight + 7 * kDay), mondayMidnight + 7 * kDay);
    EXPECT_EQ(PeriodStartMs(Period::kToday, mondayMidnight - 1), mondayMidnight - kDay);
    // Thursday 1970-01-01 belongs to the ISO week of Monday 1969-12-29.
    EXPECT_EQ(PeriodStartMs(Period::kWeek, 0), -3 * kDay);

    Period period;
    EXPECT_TRUE(ParsePeriod("week", &period));
    EXPECT_EQ(period, Period::kWeek);
    EXPECT_FALSE(ParsePeriod("Week", &period));
    EXPECT_FALSE(ParsePeriod("", &period));
}

TEST(PickLanguage, FollowsTheBrowsersPreferenceBetweenEnglishAndFrench) {
    EXPECT_EQ(PickLanguage(""), Language::kFrench);
    EXPECT_EQ(PickLanguage("en-GB,en;q=0.9"), Language::kEnglish);
    EXPECT_EQ(PickLanguage("fr-CA,fr;q=0.9,en;q=0.8"), Language::kFrench);
    EXPECT_EQ(PickLanguage("de-DE,de;q=0.9,en;q=0.5,fr;q=0.4"), Language::kEnglish);
    EXPECT_EQ(PickLanguage("en;q=0.3, FR;q=0.7"), Language::kFrench);
    EXPECT_EQ(PickLanguage("de"), Language::kFrench);
    EXPECT_EQ(PickLanguage("enx,frisian"), Language::kFrench);
    EXPECT_EQ(PickLanguage("*;q=0.1,en-US"), Language::kEnglish);
}

TEST(LeaderboardJson, GivesRankedRowsWithNameAndScore) {
    nlohmann::json json = LeaderboardJson(Period::kToday, "NORMAL", {Row("ANNA", 900), Row("<b>", -1)});
    EXPECT_EQ(json["period"], "today");
    EXPECT_EQ(json["mode"], "NORMAL");
    ASSERT_EQ(json["scores"].size(), 2u);
    EXPECT_EQ(json["scores"][0]["rank"], 1);
    EXPECT_EQ(json["scores"][0]["name"], "ANNA");
    EXPECT_EQ(json["scores"][0]["score"], 900);
    EXPECT_EQ(json["scores"][1]["name"], "<b>");
    EXPECT_EQ(json["scores"][1]["score"], -1);
    EXPECT_EQ(json["scores"][1]["time"], "2026-12-07T12:34:56Z");
}
