// The leaderboard page (see board_page.h).
#include "server/board_page.h"

#include "core/daily.h"
#include "server/game_check.h"

namespace {

struct Words {
    const char* htmlLang;
    const char* title;
    const char* tabs[3];     // daily, verified, unverified
    const char* periods[3];  // today, week, all
    const char* dailyOf;     // "Board of the day"
    const char* previousDay;
    const char* nextDay;
    const char* rank;
    const char* name;
    const char* score;
    const char* level;
    const char* date;
    const char* verified;
    const char* unverified;
    const char* replay;
    const char* emptyDaily;
    const char* empty;
    const char* unverifiedNote;
    const char* dailyNote;
    const char* updated;
    const char* noName;
};

constexpr Words kEnglish = {"en",
                            "Quz best scores",
                            {"Board of the day", "Verified", "Unverified"},
                            {"Today", "This week", "All time"},
                            "Board of the day",
                            "Day before",
                            "Day after",
                            "#",
                            "Name",
                            "Score",
                            "Level",
                            "Date (UTC)",
                            "verified",
                            "unverified",
                            "replay",
                            "Nobody has played this day's board yet.",
                            "No scores for this period yet.",
                            "Scores sent without their game by older versions of Quz: the server could not "
                            "check them.",
                            "Every player gets the same boards that day: the contest of skill. Games are "
                            "taken until the end of the next day (UTC); their replays can be watched after "
                            "that.",
                            "Updated",
                            "(no name)"};
constexpr Words kFrench = {
    "fr",
    "Quz : meilleurs scores",
    {"Partie du jour", "V\u00e9rifi\u00e9s", "Non v\u00e9rifi\u00e9s"},
    {"Aujourd\u2019hui", "Cette semaine", "Depuis toujours"},
    "Partie du jour",
    "Veille",
    "Lendemain",
    "#",
    "Nom",
    "Score",
    "Niveau",
    "Date (UTC)",
    "v\u00e9rifi\u00e9",
    "non v\u00e9rifi\u00e9",
    "revoir",
    "Personne n\u2019a encore jou\u00e9 la partie de ce jour.",
    "Aucun score pour cette p\u00e9riode.",
    "Scores envoy\u00e9s sans leur partie par d\u2019anciennes versions de Quz : le "
    "serveur n\u2019a pas pu les v\u00e9rifier.",
    "Tout le monde a les m\u00eames plateaux ce jour-l\u00e0 : le concours d\u2019adresse. "
    "Les parties sont re\u00e7ues jusqu\u2019\u00e0 la fin du lendemain (UTC), puis se revoient.",
    "Mis \u00e0 jour",
    "(sans nom)"};

constexpr Period kPeriods[] = {Period::kToday, Period::kWeek, Period::kAll};
constexpr const char* kTabKeys[] = {"daily", "verified", "unverified"};

// The game's palette (generated) under the page's own rules: dark boards, gold for what matters, the
// three block colours for the medals and marks.
constexpr char kStyle[] =
    "html{background:var(--night)}"
    "body{margin:0;min-height:100vh;font-family:system-ui,-apple-system,'Segoe "
    "UI',Roboto,sans-serif;color:#e8ecff;"
    "background:var(--night);background-image:linear-gradient(180deg,var(--dusk),var(--night) 22rem)}"
    "main{max-width:46rem;margin:0 auto;padding:1rem}"
    "header{display:flex;align-items:center;gap:1rem;flex-wrap:wrap;margin:.5rem 0 1rem}"
    "header svg{height:3.2rem;width:auto;filter:drop-shadow(0 .2rem .4rem #000)}"
    "h1{font-size:1.4rem;margin:0;color:var(--gold)}"
    "nav{display:flex;flex-wrap:wrap;gap:.4rem;margin:.4rem 0}"
    "nav a{padding:.45rem .9rem;border-radius:1.2rem;background:#232a55;color:#e8ecff;text-decoration:none;"
    "border:1px solid var(--frame)}"
    "nav a[aria-current]{background:var(--gold);color:var(--night);font-weight:bold;border-color:var(--gold)}"
    "nav.periods a{padding:.3rem .7rem;font-size:.9rem}"
    "h2{font-size:1.15rem;margin:1rem 0 .3rem;color:#fff}"
    "h2 .day{color:var(--gold)}"
    ".note{color:#aab3de;font-size:.9rem;margin:.2rem 0 .8rem}"
    ".days{display:flex;justify-content:space-between;font-size:.9rem;margin:.3rem 0 .6rem}"
    ".days a{color:var(--cyan)}"
    "table{width:100%;border-collapse:collapse;background:#141a3a;border-radius:.6rem;overflow:hidden;"
    "border:1px solid var(--frame)}"
    "th,td{padding:.55rem .5rem;text-align:left}"
    "th{background:#232a55;font-weight:600;font-size:.9rem}"
    "tr:nth-child(even) td{background:#181f46}"
    "td.rank,td.score,td.level,th.score,th.level{text-align:right;font-variant-numeric:tabular-nums}"
    "td.score{font-weight:bold;color:var(--gold)}"
    "td.name{word-break:break-word;white-space:pre-wrap}"
    "td.name .none{color:#8890b8;font-style:italic}"
    "td.date{color:#aab3de;font-size:.85rem;white-space:nowrap}"
    "tr.p1 td.rank{color:var(--gold)}tr.p2 td.rank{color:#c8d2e6}tr.p3 td.rank{color:#d2824a}"
    ".mark{display:inline-block;padding:.1rem .45rem;border-radius:.8rem;font-size:.75rem;white-space:nowrap}"
    ".ok{background:var(--green-dark);color:var(--green-light);border:1px solid var(--green)}"
    ".no{background:#3a2430;color:#e0a0a8;border:1px solid var(--red-dark)}"
    "td.check{white-space:nowrap}td.check a{color:var(--cyan);font-size:.8rem;margin-left:.3rem}"
    ".meta{color:#aab3de;font-size:.85rem;margin-top:1rem}"
    ".meta a{color:#aab3de}"
    "@media (max-width:34rem){main{padding:.6rem}td.date,th.date{display:none}th,td{padding:.5rem .3rem}"
    "header svg{height:2.4rem}h1{font-size:1.15rem}nav a{padding:.4rem .7rem}}";

std::string DayOf(int64_t days) {
    return quz::core::IsoDate(quz::core::CivilFromDays(days));
}

// One link of a row of tabs; the current one is marked for screen readers and the style.
void NavLink(std::string& page, const std::string& query, bool current, const std::string& label) {
    page += "<a href=\"?" + query + "\"";
    if (current) {
        page += " aria-current=\"page\"";
    }
    page += ">" + label + "</a>";
}

void Tabs(std::string& page, const BoardPageView& view, const Words& w, const std::string& langParam) {
    page += "<nav aria-label=\"boards\">";
    for (int i = 0; i < 3; ++i) {
        NavLink(page, std::string("board=") + kTabKeys[i] + langParam, static_cast<int>(view.tab) == i,
                w.tabs[i]);
    }
    page += "</nav>\n";
}

void Periods(std::string& page, const BoardPageView& view, const Words& w, const std::string& langParam) {
    page += "<nav class=\"periods\" aria-label=\"periods\">";
    for (size_t i = 0; i < std::size(kPeriods); ++i) {
        NavLink(page,
                std::string("board=") + kTabKeys[static_cast<int>(view.tab)] +
                    "&amp;period=" + PeriodKey(kPeriods[i]) + langParam,
                kPeriods[i] == view.period, w.periods[i]);
    }
    page += "</nav>\n";
}

void DayLinks(std::string& page, const BoardPageView& view, const Words& w, const std::string& langParam) {
    page += "<p class=\"days\"><a href=\"?date=" + DayOf(view.dailyDays - 1) + langParam + "\">\u2190 " +
            w.previousDay + "</a>";
    if (view.dailyDays < view.todayDays) {
        page +=
            "<a href=\"?date=" + DayOf(view.dailyDays + 1) + langParam + "\">" + w.nextDay + " \u2192</a>";
    }
    page += "</p>\n";
}

std::string NameCell(const std::string& name, const Words& w) {
    return name.empty() ? std::string("<span class=\"none\">") + w.noName + "</span>" : EscapeHtml(name);
}

void TableHead(std::string& page, const Words& w) {
    page += "<table>\n<thead><tr><th>";
    page += w.rank;
    page += "</th><th>";
    page += w.name;
    page += "</th><th class=\"score\">";
    page += w.score;
    page += "</th><th class=\"level\">";
    page += w.level;
    page += "</th><th class=\"date\">";
    page += w.date;
    page += "</th><th></th></tr></thead>\n<tbody>\n";
}

std::string RowStart(size_t index) {
    const std::string place = index < 3 ? " class=\"p" + std::to_string(index + 1) + "\"" : "";
    return "<tr" + place + "><td class=\"rank\">" + std::to_string(index + 1) + "</td>";
}

// A game's replay can be watched unless it is on a day's board that still takes games, or the server no
// longer keeps it.
void GameRows(std::string& page, const BoardPageView& view, const Words& w) {
    for (size_t i = 0; i < view.games.size(); ++i) {
        const GameRow& row = view.games[i];
        quz::core::CivilDate day;
        const bool open = !quz::core::ParseIsoDate(row.dailyDate, &day) ||
                          DailyBoardOver(quz::core::DaysFromCivil(day), view.todayDays);
        page += RowStart(i) + "<td class=\"name\">" + NameCell(row.name, w) + "</td><td class=\"score\">" +
                std::to_string(row.score) + "</td><td class=\"level\">" + std::to_string(row.level) +
                "</td><td class=\"date\">" + FormatUtcMinute(row.receivedAtMs) +
                "</td><td class=\"check\"><span class=\"mark ok\">\u2713 " + w.verified + "</span>";
        if (open && row.replayKept) {
            page += "<a href=\"api/games/" + std::to_string(row.id) + "/replay\">" + w.replay + "</a>";
        }
        page += "</td></tr>\n";
    }
}

void ScoreRows(std::string& page, const BoardPageView& view, const Words& w) {
    for (size_t i = 0; i < view.scores.size(); ++i) {
        const LeaderRow& row = view.scores[i];
        page += RowStart(i) + "<td class=\"name\">" + NameCell(row.name, w) + "</td><td class=\"score\">" +
                std::to_string(row.score) + "</td><td class=\"level\">\u2013</td><td class=\"date\">" +
                FormatUtcMinute(row.achievedAtMs) + "</td><td class=\"check\"><span class=\"mark no\">" +
                w.unverified + "</span></td></tr>\n";
    }
}

}  // namespace

std::string RenderBoardPage(const BoardPageView& view) {
    const Words& w = view.language == Language::kEnglish ? kEnglish : kFrench;
    const std::string langParam = view.languageChosen ? std::string("&amp;lang=") + w.htmlLang : "";
    std::string page;
    page.reserve(12000 + (view.games.size() + view.scores.size()) * 300);
    page += "<!DOCTYPE html>\n<html lang=\"";
    page += w.htmlLang;
    page +=
        "\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page += w.title;
    page += "</title>\n<style>";
    page += PaletteCss();
    page += kStyle;
    page += "</style>\n</head>\n<body>\n<main>\n<header>";
    page += LogoSvg();
    page += "<h1>";
    page += w.title;
    page += "</h1></header>\n";
    Tabs(page, view, w, langParam);
    const bool empty = view.tab == BoardTab::kUnverified ? view.scores.empty() : view.games.empty();
    if (view.tab == BoardTab::kDaily) {
        page += "<h2>";
        page += w.dailyOf;
        page += " <span class=\"day\">" + DayOf(view.dailyDays) + "</span></h2>\n<p class=\"note\">";
        page += w.dailyNote;
        page += "</p>\n";
        DayLinks(page, view, w, langParam);
    } else {
        Periods(page, view, w, langParam);
        if (view.tab == BoardTab::kUnverified) {
            page += "<p class=\"note\">";
            page += w.unverifiedNote;
            page += "</p>\n";
        }
    }
    if (empty) {
        page += "<p>";
        page += view.tab == BoardTab::kDaily ? w.emptyDaily : w.empty;
        page += "</p>\n";
    } else {
        TableHead(page, w);
        if (view.tab == BoardTab::kUnverified) {
            ScoreRows(page, view, w);
        } else {
            GameRows(page, view, w);
        }
        page += "</tbody>\n</table>\n";
    }
    page += "<p class=\"meta\">";
    page += w.updated;
    page += " " + FormatUtcMinute(view.nowMs) + " UTC \u00b7 <a href=\"?";
    page += view.tab == BoardTab::kDaily ? "date=" + DayOf(view.dailyDays)
                                         : std::string("board=") + kTabKeys[static_cast<int>(view.tab)] +
                                               "&amp;period=" + PeriodKey(view.period);
    page += view.language == Language::kEnglish ? "&amp;lang=fr\" hreflang=\"fr\">Fran\u00e7ais</a>"
                                                : "&amp;lang=en\" hreflang=\"en\">English</a>";
    page += " \u00b7 <a href=\"api/scores?";
    page += view.tab == BoardTab::kDaily ? "daily=" + DayOf(view.dailyDays)
                                         : std::string("period=") + PeriodKey(view.period);
    page += "\">JSON</a></p>\n</main>\n</body>\n</html>\n";
    return page;
}
