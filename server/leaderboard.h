// What the page (board_page.h) and the JSON answers share: the choice of language, escaping, times in UTC,
// and the message scores as JSON. Pure functions of their inputs, so they are tested without a socket.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/periods.h"
#include "server/score_store.h"

enum class Language { kEnglish, kFrench };

// The best match between English and French for an Accept-Language header; French, the game's own
// language, when the header names neither.
Language PickLanguage(std::string_view acceptLanguage);

// Text made safe to put between tags and inside quoted attributes.
std::string EscapeHtml(std::string_view text);

// "2026-12-07 14:05" (UTC).
std::string FormatUtcMinute(int64_t unixMs);
// "2026-12-07T14:05:09Z".
std::string FormatUtcIso(int64_t unixMs);

nlohmann::json LeaderboardJson(Period period, const std::string& mode, const std::vector<LeaderRow>& rows);
