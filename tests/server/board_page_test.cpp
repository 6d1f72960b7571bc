// The leaderboard page served by quz-scored with verified games, a day's board and message scores in
// both languages: what a player reads there (names as text, score, level, the verified mark, the day),
// the game's own logo inline, and no script or fetched resource anywhere. QUZ_KEEP_PAGES=<folder> keeps
// the pages for a look in a browser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "core/daily.h"
#include "game_bot.h"
#include "http_test_client.h"
#include "server/board_page.h"
#include "server_support.h"

namespace {

const quz::core::CivilDate kToday{2026, 12, 7};

void Post(uint16_t port, const std::string& body) {
    EXPECT_EQ(RawRequest(port, GamePostRequest(body), std::chrono::seconds(30)).status, 201);
}

GameRow Game(const std::string& name, int32_t score) {
    GameRow row;
    row.id = score;
    row.name = name;
    row.score = score;
    row.level = 3;
    row.receivedAtMs = 1796601600000 + 12 * 3600000 + 34 * 60000;  // 2026-12-07 12:34 UTC
    return row;
}

void Keep(const std::string& name, const std::string& page) {
    const char* folder = getenv("QUZ_KEEP_PAGES");
    if (folder != nullptr && *folder != '\0') {
        std::ofstream(std::string(folder) + "/" + name) << page;
    }
}

// The renderer alone: what no server round trip needs to show.
TEST(BoardPageTest, ShowsEveryNameAsTextAndAPlaceholderNoNameCanPassFor) {
    BoardPageView view;
    view.tab = BoardTab::kVerified;
    view.period = Period::kWeek;
    view.language = Language::kEnglish;
    view.nowMs = 1796601600000 + 13 * 3600000;
    view.todayDays = view.nowMs / 86400000;
    view.games = {Game("<script>alert(\"x\")</script>", 900), Game("O'Neil & <b>co</b>", 800), Game("", 700),
                  Game("(no name)", 600)};
    std::string page = RenderBoardPage(view);
    EXPECT_NE(page.find("<td class=\"name\"><span class=\"none\">(no name)</span></td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"name\">(no name)</td>"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("O&#39;Neil &amp; &lt;b&gt;co&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(page.find("This week"), std::string::npos);
    EXPECT_NE(page.find("2026-12-07 12:34"), std::string::npos);
    EXPECT_NE(page.find("api/games/900/replay"), std::string::npos);

    view.language = Language::kFrench;
    view.games = {Game("", 1)};
    page = RenderBoardPage(view);
    EXPECT_NE(page.find("(sans nom)"), std::string::npos);
    EXPECT_NE(page.find("lang=\"fr\""), std::string::npos);
    view.games.clear();
    EXPECT_NE(RenderBoardPage(view).find("Aucun score pour cette p\u00e9riode."), std::string::npos);
}

TEST(BoardPageTest, TheDayComesFirstThenVerifiedGamesThenMessagesEachMarked) {
    TempFolder folder;
    ServerProcess server;
    ASSERT_TRUE(server.Start(folder.Path() + "/page.sqlite", {"--today", "2026-12-07"})) << server.Log();
    const uint16_t web = server.WebPort();
    const std::string daily = quz::core::DailyMode(kToday);
    const uint64_t seed = quz::core::DailySeed(kToday);
    Post(web, AsText(SubmissionOf("Ann-Marie!", PlayRobotGame(seed, daily, "Ann-Marie!", 12))));
    Post(web, AsText(SubmissionOf("Bob", PlayRobotGame(seed, daily, "Bob", 40))));
    Post(web, AsText(SubmissionOf("", PlayRobotGame(seed, daily, "", 25))));
    Post(web, AsText(SubmissionOf("Cyd", PlayRobotGame(0xc1d, "NORMAL", "Cyd", 20))));
    ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText("Old <b>Timer", 4321))), SendOutcome::kClosed);

    std::string page;
    ASSERT_EQ(HttpGet(web, "/", &page, "en"), 200);
    Keep("daily-en.html", page);
    EXPECT_NE(page.find("Board of the day <span class=\"day\">2026-12-07</span>"), std::string::npos);
    EXPECT_NE(page.find(">Ann-Marie!<"), std::string::npos);
    EXPECT_NE(page.find(">Bob<"), std::string::npos);
    EXPECT_NE(page.find("(no name)"), std::string::npos);
    EXPECT_EQ(page.find(">Cyd<"), std::string::npos) << "a normal game is not on the day's board";
    EXPECT_NE(page.find("\u2713 verified"), std::string::npos);
    EXPECT_EQ(page.find("/replay\""), std::string::npos) << "no replay of a day still being played";
    EXPECT_NE(page.find("<svg"), std::string::npos) << "the logo is inline";
    EXPECT_NE(page.find("--gold:#ffcc40"), std::string::npos) << "the game's palette";
    for (const char* fetch : {"<script", "<img", "<link", "url(http", "@import"}) {
        EXPECT_EQ(page.find(fetch), std::string::npos) << fetch;
    }

    ASSERT_EQ(HttpGet(web, "/", &page, "fr"), 200);
    Keep("daily-fr.html", page);
    EXPECT_NE(page.find("Partie du jour <span class=\"day\">2026-12-07</span>"), std::string::npos);
    EXPECT_NE(page.find("\u2713 v\u00e9rifi\u00e9"), std::string::npos);

    ASSERT_EQ(HttpGet(web, "/?board=verified&period=all", &page, "en"), 200);
    Keep("verified-en.html", page);
    EXPECT_NE(page.find(">Cyd<"), std::string::npos);
    EXPECT_NE(page.find("/replay\">replay</a>"), std::string::npos) << "a normal game's replay is linked";
    EXPECT_EQ(page.find("Old &lt;b&gt;Timer"), std::string::npos) << "the message score is not verified";

    ASSERT_EQ(HttpGet(web, "/?board=unverified&period=all", &page, "en"), 200);
    Keep("unverified-en.html", page);
    EXPECT_NE(page.find("Old &lt;b&gt;Timer"), std::string::npos) << "a name is text, never markup";
    EXPECT_EQ(page.find("<b>Timer"), std::string::npos);
    EXPECT_NE(page.find("mark no\">unverified"), std::string::npos);

    // An earlier day: its board with its replays, and the link back to the next day.
    ASSERT_EQ(HttpGet(web, "/?date=2026-12-06", &page, "en"), 200);
    EXPECT_NE(page.find("Nobody has played this day"), std::string::npos);
    EXPECT_NE(page.find("?date=2026-12-07"), std::string::npos);
    EXPECT_EQ(HttpGet(web, "/?date=2026-02-30", &page), 400);
    EXPECT_EQ(HttpGet(web, "/?board=sideways", &page), 400);
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();
}

// A day's board takes a late game the next day too: its replay links appear only the day after that, or
// the leader's play could be copied to the board it leads.
TEST(BoardPageTest, ADaysReplaysAreLinkedOnlyOnceItsBoardTakesNoMoreGames) {
    const int64_t day = quz::core::DaysFromCivil(kToday);
    BoardPageView view;
    view.language = Language::kEnglish;
    view.dailyDays = day;
    GameRow row;
    row.id = 7;
    row.name = "Ann";
    row.score = 1234;
    row.dailyDate = quz::core::IsoDate(kToday);
    view.games.push_back(row);
    for (const int64_t today : {day, day + 1}) {
        view.todayDays = today;
        EXPECT_EQ(RenderBoardPage(view).find("api/games/7/replay"), std::string::npos) << today - day;
    }
    view.todayDays = day + 2;
    EXPECT_NE(RenderBoardPage(view).find("<a href=\"api/games/7/replay\">replay</a>"), std::string::npos);
}

}  // namespace
