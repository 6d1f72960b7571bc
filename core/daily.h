// The board of the day: a date of the UTC calendar, the mode that names its games ("DAILY-YYYYMMDD") and
// the seed every player gets that day. The seed is a fixed function of the date alone (docs/daily-board.md
// gives it), so the game, the server and anyone else compute the same boards without asking anybody.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quz::core {

struct CivilDate {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to the month's length

    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// The dates a daily mode can name: four-digit years from 2000 on.
inline constexpr int kFirstDailyYear = 2000;
inline constexpr int kLastDailyYear = 9999;
// Added to the day number before mixing, so that the daily seeds are not the mix of small integers
// that other seeds might also use ("QuzDaily" in ASCII).
inline constexpr uint64_t kDailySalt = 0x51757A4461696C79ull;

constexpr bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int DaysInMonth(int year, int month) {
    constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

constexpr bool IsDailyDate(const CivilDate& date) {
    return date.year >= kFirstDailyYear && date.year <= kLastDailyYear && date.month >= 1 &&
           date.month <= 12 && date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

// Days since 1970-01-01 (the proleptic Gregorian calendar), for any valid date.
constexpr int64_t DaysFromCivil(const CivilDate& date) {
    const int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr CivilDate CivilFromDays(int64_t days) {
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    date.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

// SplitMix64's output function: every bit of the day number reaches every bit of the seed.
constexpr uint64_t MixSeed(uint64_t value) {
    uint64_t z = value + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The seed of the day's board: MixSeed(kDailySalt + days since 1970-01-01).
constexpr uint64_t DailySeed(const CivilDate& date) {
    return MixSeed(kDailySalt + static_cast<uint64_t>(DaysFromCivil(date)));
}

namespace detail {

// The value of exactly `count` decimal digits, or -1.
constexpr int Digits(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) {
        return -1;
    }
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

inline void AppendDigits(std::string& out, int value, int count) {
    char digits[8] = {};
    for (int i = count - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<size_t>(count));
}

}  // namespace detail

inline constexpr std::string_view kDailyModePrefix = "DAILY-";

// "DAILY-20261207".
inline std::string DailyMode(const CivilDate& date) {
    std::string mode(kDailyModePrefix);
    detail::AppendDigits(mode, date.year, 4);
    detail::AppendDigits(mode, date.month, 2);
    detail::AppendDigits(mode, date.day, 2);
    return mode;
}

// True for "DAILY-YYYYMMDD" naming a daily date, exactly (no sign, no spaces, eight digits).
constexpr bool ParseDailyMode(std::string_view mode, CivilDate* date) {
    if (mode.size() != kDailyModePrefix.size() + 8 ||
        mode.substr(0, kDailyModePrefix.size()) != kDailyModePrefix) {
        return false;
    }
    const size_t at = kDailyModePrefix.size();
    const CivilDate parsed{detail::Digits(mode, at, 4), detail::Digits(mode, at + 4, 2),
                           detail::Digits(mode, at + 6, 2)};
    if (!IsDailyDate(parsed)) {
        return false;
    }
    *date = parsed;
    return true;
}

constexpr bool IsDailyMode(std::string_view mode) {
    CivilDate date;
    return ParseDailyMode(mode, &date);
}

// True for "YYYY-MM-DD" naming a daily date, exactly.
constexpr bool ParseIsoDate(std::string_view text, CivilDate* date) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    const CivilDate parsed{detail::Digits(text, 0, 4), detail::Digits(text, 5, 2),
                           detail::Digits(text, 8, 2)};
    if (!IsDailyDate(parsed)) {
        return false;
    }
    *date = parsed;
    return true;
}

// "2026-12-07".
inline std::string IsoDate(const CivilDate& date) {
    std::string text;
    detail::AppendDigits(text, date.year, 4);
    text += '-';
    detail::AppendDigits(text, date.month, 2);
    text += '-';
    detail::AppendDigits(text, date.day, 2);
    return text;
}

}  // namespace quz::core
