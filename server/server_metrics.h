// The families quz-scored shows on /metrics: scores stored and refused (by reason), connections on both
// ports, the store's commit time and what waits for it.
#pragma once

#include "server/http_server.h"
#include "server/metrics.h"
#include "server/score_receiver.h"
#include "server/server_log.h"

void RegisterServerMetrics(MetricRegistry* registry, const ServerStats* stats, const ScoreReceiver* receiver,
                           const HttpServer* web);
