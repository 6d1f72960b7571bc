// The periods of the leaderboard and where each begins, in UTC. Shared by the web side, which asks for
// the current period, and the stores, which file every score under the periods it belongs to.
#pragma once

#include <cstdint>
#include <string_view>

enum class Period { kToday, kWeek, kAll };

// "today", "week", "all".
bool ParsePeriod(std::string_view text, Period* period);
const char* PeriodKey(Period period);

// The first millisecond of the period holding nowMs, in UTC: midnight today, or Monday midnight of the ISO
// week. 0 for all time.
int64_t PeriodStartMs(Period period, int64_t nowMs);
