// The board of the day from the game's side: which UTC day it is (the QUZ_TODAY test aid may say).
#pragma once

#include "core/daily.h"

// Today in UTC: QUZ_TODAY=YYYY-MM-DD when it names a date (tests), else the system clock's. A QUZ_TODAY
// that names no date is reported on stderr and the clock's date is used.
quz::core::CivilDate TodayUtc();
