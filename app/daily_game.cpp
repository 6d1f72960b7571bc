// The board of the day (see daily_game.h).
#include "app/daily_game.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

quz::core::CivilDate TodayUtc() {
    const char* forced = getenv("QUZ_TODAY");
    quz::core::CivilDate date;
    if (forced != nullptr && *forced != '\0') {
        if (quz::core::ParseIsoDate(forced, &date)) {
            return date;
        }
        fprintf(stderr, "QUZ_TODAY=%.40s is not a date (YYYY-MM-DD); the clock's date is used\n", forced);
    }
    const auto days = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return quz::core::CivilFromDays(days.time_since_epoch().count());
}
