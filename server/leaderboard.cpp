// What the page and the JSON share: language, escaping, times, and the message scores as JSON (see
// leaderboard.h).
#include "server/leaderboard.h"

#include <cstdlib>
#include <ctime>

namespace {

constexpr int64_t kDayMs = 86400000;

// Days since 1970-01-01 of a time, rounding towards the past for times before it.
int64_t DayOf(int64_t unixMs) {
    return unixMs >= 0 ? unixMs / kDayMs : -((-unixMs + kDayMs - 1) / kDayMs);
}

bool ToUtc(int64_t unixMs, std::tm* parts) {
    time_t seconds = static_cast<time_t>(DayOf(unixMs) * 86400 + (unixMs - DayOf(unixMs) * kDayMs) / 1000);
    return gmtime_r(&seconds, parts) != nullptr;
}

}  // namespace

Language PickLanguage(std::string_view header) {
    double best = 0.0;
    Language chosen = Language::kFrench;
    while (!header.empty()) {
        size_t comma = header.find(',');
        std::string_view item = header.substr(0, comma);
        header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
        size_t semicolon = item.find(';');
        std::string_view tag = item.substr(0, semicolon);
        while (!tag.empty() && tag.front() == ' ') {
            tag.remove_prefix(1);
        }
        double quality = 1.0;
        if (semicolon != std::string_view::npos) {
            size_t q = item.find("q=", semicolon);
            if (q != std::string_view::npos) {
                std::string value(item.substr(q + 2, 5));
                quality = std::strtod(value.c_str(), nullptr);
            }
        }
        auto is = [&](std::string_view language) {
            return tag.size() >= 2 && (tag[0] | 0x20) == language[0] && (tag[1] | 0x20) == language[1] &&
                   (tag.size() == 2 || tag[2] == '-' || tag[2] == '_' || tag[2] == ' ');
        };
        // The first of equal qualities wins, as the browser listed its preferences in order.
        if (quality > best && (is("en") || is("fr"))) {
            best = quality;
            chosen = is("en") ? Language::kEnglish : Language::kFrench;
        }
    }
    return chosen;
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string FormatUtcMinute(int64_t unixMs) {
    std::tm parts{};
    char text[32] = "";
    if (ToUtc(unixMs, &parts)) {
        strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts);
    }
    return text;
}

std::string FormatUtcIso(int64_t unixMs) {
    std::tm parts{};
    char text[32] = "";
    if (ToUtc(unixMs, &parts)) {
        strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    }
    return text;
}

nlohmann::json LeaderboardJson(Period period, const std::string& mode, const std::vector<LeaderRow>& rows) {
    nlohmann::json scores = nlohmann::json::array();
    for (size_t i = 0; i < rows.size(); ++i) {
        scores.push_back({{"rank", i + 1},
                          {"name", rows[i].name},
                          {"score", rows[i].score},
                          {"identity", rows[i].identity},
                          {"time", FormatUtcIso(rows[i].achievedAtMs)}});
    }
    return {{"period", PeriodKey(period)}, {"mode", mode}, {"scores", std::move(scores)}};
}
