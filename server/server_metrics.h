// The families quz-scored shows on /metrics: scores stored and refused (by reason), connections on both
// ports, the store's commit time and what waits for it.
#pragma once

#include "server/http_server.h"
#include "server/metrics.h"
#include "server/score_receiver.h"
#include "server/server_log.h"
#include "server/store_health.h"

void RegisterServerMetrics(MetricRegistry* registry, const ServerStats* stats, const ScoreReceiver* receiver,
                           const HttpServer* web);

// Whether scores can be stored now, and how many store attempts failed.
void RegisterStoreMetrics(MetricRegistry* registry, const StoreHealth* health);
