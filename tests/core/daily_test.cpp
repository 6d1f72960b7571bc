// The board of the day: the calendar arithmetic behind it, the mode's exact spelling, and the seed, whose
// values here were computed apart from this code (docs/daily-board.md gives the function), so a change
// that would give players other boards than the server's cannot pass unnoticed.
#include <gtest/gtest.h>

#include <set>

#include "core/daily.h"

using quz::core::CivilDate;

namespace {

TEST(DailyBoardTest, DaysAndDatesConvertBothWaysOverFourCenturies) {
    EXPECT_EQ(quz::core::DaysFromCivil({1970, 1, 1}), 0);
    EXPECT_EQ(quz::core::DaysFromCivil({2026, 12, 7}), 20794);
    EXPECT_EQ(quz::core::DaysFromCivil({2000, 3, 1}) - quz::core::DaysFromCivil({2000, 2, 28}), 2);
    EXPECT_EQ(quz::core::DaysFromCivil({2100, 3, 1}) - quz::core::DaysFromCivil({2100, 2, 28}), 1);
    // Every day from 2000 to 2399 once, in order, each valid and each back to its own number.
    CivilDate previous = quz::core::CivilFromDays(quz::core::DaysFromCivil({2000, 1, 1}) - 1);
    for (int64_t days = quz::core::DaysFromCivil({2000, 1, 1}); days < quz::core::DaysFromCivil({2400, 1, 1});
         ++days) {
        const CivilDate date = quz::core::CivilFromDays(days);
        ASSERT_TRUE(quz::core::IsDailyDate(date)) << days;
        ASSERT_EQ(quz::core::DaysFromCivil(date), days);
        const bool nextDay = date.day == previous.day + 1 && date.month == previous.month;
        const bool nextMonth =
            date.day == 1 && (date.month == previous.month + 1 ||
                              (date.month == 1 && previous.month == 12 && date.year == previous.year + 1));
        ASSERT_TRUE(nextDay || nextMonth) << days;
        previous = date;
    }
}

TEST(DailyBoardTest, TheSeedIsTheDocumentedFunctionOfTheDate) {
    EXPECT_EQ(quz::core::DailySeed({2026, 12, 7}), 0x2592dfa02d56e005ull);
    EXPECT_EQ(quz::core::DailySeed({2000, 1, 1}), 0xf9cb66f178b9ede3ull);
    EXPECT_EQ(quz::core::DailySeed({2024, 2, 29}), 0xa87d8a06ef31b4d0ull);
    // A year of days, a year of different boards.
    std::set<uint64_t> seeds;
    for (int64_t days = 20000; days < 20366; ++days) {
        seeds.insert(quz::core::DailySeed(quz::core::CivilFromDays(days)));
    }
    EXPECT_EQ(seeds.size(), 366u);
}

TEST(DailyBoardTest, ModesAndDatesAreSpelledExactly) {
    EXPECT_EQ(quz::core::DailyMode({2026, 12, 7}), "DAILY-20261207");
    EXPECT_EQ(quz::core::IsoDate({2026, 1, 2}), "2026-01-02");
    CivilDate date;
    ASSERT_TRUE(quz::core::ParseDailyMode("DAILY-20240229", &date));
    EXPECT_EQ(date, (CivilDate{2024, 2, 29}));
    ASSERT_TRUE(quz::core::ParseIsoDate("2026-12-07", &date));
    EXPECT_EQ(date, (CivilDate{2026, 12, 7}));
    for (const char* bad :
         {"DAILY-20230229", "DAILY-2026127", "DAILY-202612070", "daily-20261207", "DAILY-19991231",
          "DAILY-20261300", "DAILY-20261200", "DAILY- 0261207", "DAILY-+0261207", "NORMAL", "", "DAILY-"}) {
        EXPECT_FALSE(quz::core::ParseDailyMode(bad, &date)) << bad;
    }
    for (const char* bad :
         {"2026-12-7", "2026/12/07", "2026-02-30", "1999-12-31", " 2026-12-07", "2026-12-07x", "20261207"}) {
        EXPECT_FALSE(quz::core::ParseIsoDate(bad, &date)) << bad;
    }
    EXPECT_EQ(date, (CivilDate{2026, 12, 7})) << "a refused text leaves the date as it was";
}

}  // namespace
