// The leaderboard page a player would bookmark: the game's logo and colours, the board of the day first,
// then the verified games and, on a tab of their own, the scores that came as the old message
// (unverified). Script-free and self-contained (the CSP loads nothing), readable from a phone's 400 pixels
// to a desktop's width. A pure function of its view, so it is tested without a socket.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/game_store.h"
#include "server/leaderboard.h"

enum class BoardTab { kDaily, kVerified, kUnverified };

struct BoardPageView {
    BoardTab tab = BoardTab::kDaily;
    Language language = Language::kFrench;
    bool languageChosen = false;  // from ?lang=, so links keep it
    int64_t nowMs = 0;
    int64_t todayDays = 0;           // the server's today (UTC), days since 1970-01-01
    int64_t dailyDays = 0;           // the day whose board is shown (the daily tab)
    Period period = Period::kToday;  // the verified and unverified tabs
    std::vector<GameRow> games;      // the daily and verified tabs
    std::vector<LeaderRow> scores;   // the unverified tab
};

std::string RenderBoardPage(const BoardPageView& view);

// The generator's art, carried inside the server.
const char* LogoSvg();
const char* PaletteCss();
