// A crowd of hostile loopback connections (see loopback_crowd.h).
#include "loopback_crowd.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

namespace {

struct Member {
    int fd = -1;
    size_t sent = 0;
    Clock::time_point nextByte{};
};

// A non-blocking connect from `local`: the crowd never waits on one member.
int StartConnect(const std::string& local, uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in from = {};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, local.c_str(), &from.sin_addr);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS)) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::string LoopbackCrowd::Address(int index) {
    return "127.0." + std::to_string(1 + index / 250) + "." + std::to_string(2 + index % 250);
}

LoopbackCrowd::LoopbackCrowd(uint16_t serverPort, CrowdPlan crowdPlan)
    : port(serverPort), plan(std::move(crowdPlan)), runner([this] { Run(); }) {}

LoopbackCrowd::~LoopbackCrowd() {
    Stop();
}

void LoopbackCrowd::Stop() {
    stopping.store(true);
    if (runner.joinable()) {
        runner.join();
    }
}

int LoopbackCrowd::WaitUntilOpen(std::chrono::milliseconds wait) {
    Clock::time_point deadline = Clock::now() + wait;
    while (!allOpened.load() && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return open.load();
}

void LoopbackCrowd::Run() {
    std::vector<Member> members(static_cast<size_t>(plan.addresses * plan.perAddress));
    std::vector<pollfd> polled;
    bool firstRound = true;
    while (!stopping.load()) {
        Clock::time_point now = Clock::now();
        int count = 0;
        for (size_t i = 0; i < members.size(); ++i) {
            Member& member = members[i];
            if (member.fd < 0) {
                member.fd =
                    StartConnect(Address(plan.firstAddress + static_cast<int>(i) / plan.perAddress), port);
                member.sent = 0;
                member.nextByte = now + plan.interval;
            }
            if (member.fd >= 0 && !plan.trickle.empty() && member.sent < plan.trickle.size() &&
                now >= member.nextByte) {
                if (send(member.fd, &plan.trickle[member.sent], 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1) {
                    ++member.sent;
                }
                member.nextByte = now + plan.interval;
            }
            count += member.fd >= 0 ? 1 : 0;
        }
        open.store(count);
        if (firstRound) {
            firstRound = false;
            allOpened.store(true);
        }
        polled.clear();
        for (const Member& member : members) {
            polled.push_back({member.fd, POLLIN | POLLRDHUP, 0});
        }
        if (poll(polled.data(), polled.size(), 50) <= 0) {
            continue;
        }
        for (size_t i = 0; i < members.size(); ++i) {
            if (polled[i].fd < 0 || polled[i].revents == 0) {
                continue;
            }
            char sink[512];
            ssize_t got = recv(members[i].fd, sink, sizeof sink, MSG_DONTWAIT);
            if (got > 0 && (polled[i].revents & (POLLRDHUP | POLLHUP | POLLERR)) == 0) {
                continue;  // an answer without a close: keep holding
            }
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
                (polled[i].revents & (POLLRDHUP | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            close(members[i].fd);
            members[i].fd = -1;
            cuts.fetch_add(1);
        }
    }
    for (Member& member : members) {
        if (member.fd >= 0) {
            close(member.fd);
        }
    }
    open.store(0);
}

void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}
