// The leaderboard's page and JSON (see leaderboard.h).
#include "server/leaderboard.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr int64_t kDayMs = 86400000;

struct Words {
    const char* htmlLang;
    const char* title;
    const char* periods[3];  // today, week, all
    const char* rank;
    const char* name;
    const char* score;
    const char* date;
    const char* mode;
    const char* empty;
    const char* updated;
    const char* noName;
};

constexpr Words kEnglish = {"en",
                            "Quz best scores",
                            {"Today", "This week", "All time"},
                            "#",
                            "Name",
                            "Score",
                            "Date (UTC)",
                            "Mode",
                            "No scores for this period yet.",
                            "Updated",
                            "(no name)"};
constexpr Words kFrench = {"fr",
                           "Quz : meilleurs scores",
                           {"Aujourd\u2019hui", "Cette semaine", "Depuis toujours"},
                           "#",
                           "Nom",
                           "Score",
                           "Date (UTC)",
                           "Mode",
                           "Aucun score pour cette p\u00e9riode.",
                           "Mis \u00e0 jour",
                           "(sans nom)"};

constexpr Period kPeriods[] = {Period::kToday, Period::kWeek, Period::kAll};

// Days since 1970-01-01 of a time, rounding towards the past for times before it.
int64_t DayOf(int64_t unixMs) {
    return unixMs >= 0 ? unixMs / kDayMs : -((-unixMs + kDayMs - 1) / kDayMs);
}

bool ToUtc(int64_t unixMs, std::tm* parts) {
    time_t seconds = static_cast<time_t>(DayOf(unixMs) * 86400 + (unixMs - DayOf(unixMs) * kDayMs) / 1000);
    return gmtime_r(&seconds, parts) != nullptr;
}

const char kPageStyle[] =
    "body{margin:0;font-family:system-ui,-apple-system,'Segoe UI',Roboto,sans-serif;background:#10142a;"
    "color:#e8ecff}"
    "main{max-width:42rem;margin:0 auto;padding:1rem}"
    "h1{font-size:1.6rem;margin:.5rem 0 1rem;color:#ffd75e}"
    "nav{display:flex;flex-wrap:wrap;gap:.5rem;margin-bottom:1rem}"
    "nav a{padding:.4rem .8rem;border-radius:1rem;background:#232a55;color:#e8ecff;text-decoration:none}"
    "nav a[aria-current]{background:#ffd75e;color:#10142a;font-weight:bold}"
    "table{width:100%;border-collapse:collapse;background:#181e40;border-radius:.5rem;overflow:hidden}"
    "th,td{padding:.5rem .6rem;text-align:left}"
    "th{background:#232a55;font-weight:600}"
    "tr:nth-child(even) td{background:#1c2349}"
    "td.rank,td.score{text-align:right;font-variant-numeric:tabular-nums}"
    "th.score{text-align:right}"
    "td.name{word-break:break-all;white-space:pre-wrap}"
    "td.name .noname{color:#aab3de;font-style:italic}"
    "td.date{color:#aab3de;font-size:.9rem;white-space:nowrap}"
    ".meta{color:#aab3de;font-size:.85rem;margin-top:1rem}"
    ".meta a{color:#aab3de}"
    "@media (max-width:30rem){td.date,th.date{display:none}h1{font-size:1.3rem}}";

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

std::string EncodeQueryValue(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
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

std::string RenderLeaderboardPage(const PageView& view) {
    const Words& w = view.language == Language::kEnglish ? kEnglish : kFrench;
    std::string langParam = view.languageChosen ? std::string("&amp;lang=") + w.htmlLang : "";
    std::string modeParam = "&amp;mode=" + EncodeQueryValue(view.mode);
    std::string page;
    page.reserve(4096 + view.rows.size() * 160);
    page += "<!DOCTYPE html>\n<html lang=\"";
    page += w.htmlLang;
    page +=
        "\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page += w.title;
    page += "</title>\n<style>";
    page += kPageStyle;
    page += "</style>\n</head>\n<body>\n<main>\n<h1>";
    page += w.title;
    page += "</h1>\n<nav>";
    for (size_t i = 0; i < std::size(kPeriods); ++i) {
        page += "<a href=\"?period=";
        page += PeriodKey(kPeriods[i]);
        page += modeParam + langParam + "\"";
        if (kPeriods[i] == view.period) {
            page += " aria-current=\"page\"";
        }
        page += ">";
        page += w.periods[i];
        page += "</a>";
    }
    page += "</nav>\n";
    if (view.rows.empty()) {
        page += "<p>";
        page += w.empty;
        page += "</p>\n";
    } else {
        page += "<table>\n<thead><tr><th>";
        page += w.rank;
        page += "</th><th>";
        page += w.name;
        page += "</th><th class=\"score\">";
        page += w.score;
        page += "</th><th class=\"date\">";
        page += w.date;
        page += "</th></tr></thead>\n<tbody>\n";
        for (size_t i = 0; i < view.rows.size(); ++i) {
            const LeaderRow& row = view.rows[i];
            // A name cannot look like the placeholder: the placeholder alone is in its own element.
            std::string name = row.name.empty() ? "<span class=\"noname\">" + EscapeHtml(w.noName) + "</span>"
                                                : EscapeHtml(row.name);
            page += "<tr><td class=\"rank\">" + std::to_string(i + 1) + "</td><td class=\"name\">" + name +
                    "</td><td class=\"score\">" + std::to_string(row.score) + "</td><td class=\"date\">" +
                    FormatUtcMinute(row.achievedAtMs) + "</td></tr>\n";
        }
        page += "</tbody>\n</table>\n";
    }
    page += "<p class=\"meta\">";
    page += w.mode;
    page += " " + EscapeHtml(view.mode) + " \u00b7 ";
    page += w.updated;
    page += " " + FormatUtcMinute(view.nowMs) + " UTC \u00b7 <a href=\"?period=";
    page += PeriodKey(view.period);
    page += modeParam;
    page += view.language == Language::kEnglish ? "&amp;lang=fr\" hreflang=\"fr\">Fran\u00e7ais</a>"
                                                : "&amp;lang=en\" hreflang=\"en\">English</a>";
    page += " \u00b7 <a href=\"api/scores?period=";
    page += PeriodKey(view.period);
    page += modeParam;
    page += "\">JSON</a></p>\n</main>\n</body>\n</html>\n";
    return page;
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
