// The health report of /healthz: 200 and "ok" while scores can be stored, 503 with the reason while
// they cannot (the last store failed, or the idle check found the database gone, full or unreachable),
// with the server's counters either way. The count of stored scores is a counter the store keeps, so
// the report costs one row however large the database.
#pragma once

#include <nlohmann/json.hpp>

#include <utility>

#include "server/board_reader.h"
#include "server/server_log.h"
#include "server/store_health.h"

// The HTTP status and the JSON body.
std::pair<int, nlohmann::json> HealthReport(const StoreHealth& health, BoardReader* boards,
                                            const ServerStats& stats);
