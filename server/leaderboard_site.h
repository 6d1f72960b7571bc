// The web side: the leaderboard page, the same rows as JSON, and a health report, over HTTP (cpp-httplib)
// on a port of its own. It reads through its own database connections (BoardReader), so a slow page never
// holds up the scores being stored.
#pragma once

#include <memory>
#include <string>

#include "server/board_reader.h"
#include "server/server_log.h"
#include "server/store_health.h"

namespace httplib {
class Server;
}

struct SiteOptions {
    std::string bindAddress = "0.0.0.0";
    uint16_t port = 8080;  // 0 picks a free port
    int threads = 8;
};

class LeaderboardSite {
  public:
    LeaderboardSite(SiteOptions options, BoardReader* boards, const ServerStats* stats,
                    const StoreHealth* health);
    ~LeaderboardSite();
    LeaderboardSite(const LeaderboardSite&) = delete;
    LeaderboardSite& operator=(const LeaderboardSite&) = delete;

    bool Listen(std::string* error);
    uint16_t Port() const { return boundPort; }

    // Serves until Stop.
    void Run();
    void Stop();

  private:
    void Routes();

    SiteOptions options;
    BoardReader* boards;
    const ServerStats* stats;
    const StoreHealth* health;
    std::unique_ptr<httplib::Server> server;
    uint16_t boundPort = 0;
};
