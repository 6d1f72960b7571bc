// The board of the day from the game's side: which UTC day it is (the QUZ_TODAY test aid may say), and
// the start of that day's game.
#pragma once

#include "core/daily.h"
#include "game/game.h"

// Today in UTC: QUZ_TODAY=YYYY-MM-DD when it names a date (tests), else the system clock's. A QUZ_TODAY
// that names no date is reported on stderr and the clock's date is used.
quz::core::CivilDate TodayUtc();

// The start of a game of today's board: its seed and its mode "DAILY-YYYYMMDD".
GameStart DailyGameStart();
GameStart DailyGameStart(const quz::core::CivilDate& date);
