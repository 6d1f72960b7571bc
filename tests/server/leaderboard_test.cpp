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

TEST(RenderLeaderboardPage, ShowsEveryNameAsTextAndTheWordsOfItsLanguage) {
    PageView view;
    view.nowMs = kMondayNoon;
    view.period = Period::kWeek;
    view.rows = {Row("<script>alert(\"x\")</script>", 900), Row("O'Neil & <b>co</b>", 800), Row("", 700),
                 Row("(no name)", 600)};
    view.language = Language::kEnglish;
    std::string page = RenderLeaderboardPage(view);
    // An empty name shows a placeholder that a name spelling the same words cannot pass for.
    EXPECT_NE(page.find("<td class=\"name\"><span class=\"noname\">(no name)</span></td>"),
              std::string::npos);
    EXPECT_NE(page.find("<td class=\"name\">(no name)</td>"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("O&#39;Neil &amp; &lt;b&gt;co&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(page.find("lang=\"en\""), std::string::npos);
    EXPECT_NE(page.find("This week"), std::string::npos);
    EXPECT_NE(page.find("2026-12-07 12:34"), std::string::npos);
    EXPECT_NE(page.find("name=\"viewport\""), std::string::npos);

    view.language = Language::kFrench;
    view.rows = {Row("", 1)};
    EXPECT_NE(RenderLeaderboardPage(view).find("(sans nom)"), std::string::npos);
    view.rows.clear();
    view.mode = "A&B \"x\"";
    page = RenderLeaderboardPage(view);
    EXPECT_NE(page.find("lang=\"fr\""), std::string::npos);
    EXPECT_NE(page.find("Cette semaine"), std::string::npos);
    EXPECT_NE(page.find("Aucun score"), std::string::npos);
    // The mode goes into links percent-encoded and into the text escaped.
    EXPECT_NE(page.find("mode=A%26B%20%22x%22"), std::string::npos);
    EXPECT_NE(page.find("A&amp;B &quot;x&quot;"), std::string::npos);
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
