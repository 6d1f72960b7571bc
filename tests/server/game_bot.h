// Games for the server tests, played to their end by a simple robot through the real rules, so every
// replay is one the game itself could have sent; and the forgeries made from them.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "core/replay_codec.h"
#include "support/robot_player.h"

// The replay as the game stores it (compressed).
std::vector<uint8_t> ReplayFile(const quz::core::Replay& replay);
// The body of POST /api/games.
std::vector<uint8_t> SubmissionOf(const std::string& name, const quz::core::Replay& replay,
                                  uint32_t identity = 7);
std::string AsText(const std::vector<uint8_t>& bytes);
// The bytes of POST /api/games with that body, as one request on its own connection.
std::string GamePostRequest(const std::string& body);
