// Period boundaries (see periods.h).
#include "server/periods.h"

namespace {

constexpr int64_t kDayMs = 86400000;
constexpr Period kPeriods[] = {Period::kToday, Period::kWeek, Period::kAll};

// Days since 1970-01-01 of a time, rounding towards the past for times before it.
int64_t DayOf(int64_t unixMs) {
    return unixMs >= 0 ? unixMs / kDayMs : -((-unixMs + kDayMs - 1) / kDayMs);
}

}  // namespace

bool ParsePeriod(std::string_view text, Period* period) {
    for (Period p : kPeriods) {
        if (text == PeriodKey(p)) {
            *period = p;
            return true;
        }
    }
    return false;
}

const char* PeriodKey(Period period) {
    switch (period) {
        case Period::kToday:
            return "today";
        case Period::kWeek:
            return "week";
        case Period::kAll:
            break;
    }
    return "all";
}

int64_t PeriodStartMs(Period period, int64_t nowMs) {
    int64_t day = DayOf(nowMs);
    switch (period) {
        case Period::kToday:
            return day * kDayMs;
        case Period::kWeek: {
            // 1970-01-01 was a Thursday, day 3 of an ISO week that starts on Monday.
            int64_t weekday = ((day + 3) % 7 + 7) % 7;
            return (day - weekday) * kDayMs;
        }
        case Period::kAll:
            break;
    }
    return 0;
}
