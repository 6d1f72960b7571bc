// Scores stored per second by the score server on each back end, beside a floor measured in the same
// run: the same messages from the same 50 clients to a loopback sink that reads each to its end and
// closes. The sink does no checking and no storing, so the ratio is the cost of those.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "server/score_receiver.h"
#include "server/score_store.h"
#include "server_support.h"

namespace {

constexpr int kClients = 50;
constexpr int kMessages = 4000;

// Accepts and reads every connection to its end on one thread, with a small epoll-free loop: the least a
// server can do with these messages.
class LoopbackSink {
  public:
    LoopbackSink() {
        listenFd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(listenFd, SOMAXCONN) == 0 &&
            getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        thread = std::thread([this] { Run(); });
    }
    ~LoopbackSink() {
        stopping = true;
        thread.join();
        close(listenFd);
    }
    uint16_t Port() const { return port; }

  private:
    void Run() {
        std::vector<pollfd> fds = {{listenFd, POLLIN, 0}};
        while (!stopping) {
            if (poll(fds.data(), fds.size(), 100) <= 0) {
                continue;
            }
            for (size_t i = fds.size(); i-- > 1;) {
                if (fds[i].revents == 0) {
                    continue;
                }
                char buffer[2048];
                if (recv(fds[i].fd, buffer, sizeof buffer, 0) <= 0) {
                    close(fds[i].fd);
                    fds.erase(fds.begin() + static_cast<long>(i));
                }
            }
            if (fds[0].revents != 0) {
                int fd = accept(listenFd, nullptr, nullptr);
                if (fd >= 0) {
                    fds.push_back({fd, POLLIN, 0});
                }
            }
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            close(fds[i].fd);
        }
    }

    int listenFd = -1;
    uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::thread thread;
};

void StoreBeside(benchmark::State& state, const std::string& location) {
    std::string error;
    std::unique_ptr<ScoreStore> store = OpenScoreStore(location, &error);
    if (store == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    ReceiverOptions options;
    options.bindAddress = "127.0.0.1";
    options.port = 0;
    options.ratePerMinute = 0;
    ServerStats stats;
    RefusalLog refusals;
    StoreHealth health;
    ScoreReceiver receiver(options, store.get(), &stats, &refusals, &health);
    if (!receiver.Listen(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::thread serving([&] { receiver.Run(); });
    LoopbackSink sink;
    if (sink.Port() == 0) {
        state.SkipWithError("no loopback sink");
        receiver.Stop();
        serving.join();
        return;
    }
    double storeSeconds = 0;
    double sinkSeconds = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the benchmark loop's idiom
        sinkSeconds += SendValidMessages(sink.Port(), kClients, kMessages);
        double seconds = SendValidMessages(receiver.Port(), kClients, kMessages);
        storeSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    receiver.Stop();
    serving.join();
    double sent = static_cast<double>(state.iterations()) * kMessages;
    if (stats.stored.load() != static_cast<uint64_t>(sent)) {
        state.SkipWithError("not every message was stored");
    }
    state.counters["stored_per_s"] = sent / storeSeconds;
    state.counters["floor_per_s"] = sent / sinkSeconds;
    state.counters["share_of_floor"] = sinkSeconds / storeSeconds;
}

void BM_StoreSqlite(benchmark::State& state) {
    TempFolder folder;
    StoreBeside(state, folder.Path() + "/bench.sqlite");
}
BENCHMARK(BM_StoreSqlite)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_StorePostgres(benchmark::State& state) {
    std::string problem;
    PostgresServer* server = SharedPostgres(&problem);
    if (server == nullptr) {
        state.SkipWithError(("no PostgreSQL server: " + problem).c_str());
        return;
    }
    static int databases = 0;
    StoreBeside(state, server->CreateDatabase("bench_" + std::to_string(databases++)));
}
BENCHMARK(BM_StorePostgres)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
