// The loopback score server of the end-of-game tests (see loopback_server.h).
#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

LoopbackServer::LoopbackServer() {
    listenFd = socket(AF_INET, SOCK_STREAM, 0);
    if (listenFd < 0) {
        return;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd, 1) != 0 ||
        getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(listenFd);
        listenFd = -1;
        return;
    }
    port = ntohs(address.sin_port);
    thread = std::thread([this] {
        pollfd waiting = {listenFd, POLLIN, 0};
        int ready = 0;
        for (int waited = 0; ready == 0 && waited < 5000 && !stopping; waited += 20) {
            ready = poll(&waiting, 1, 20);
        }
        if (ready <= 0) {
            return;
        }
        const int connection = accept(listenFd, nullptr, nullptr);
        if (connection < 0) {
            return;
        }
        pollfd reading = {connection, POLLIN, 0};
        uint8_t chunk[512];
        while (poll(&reading, 1, 5000) > 0) {
            const ssize_t got = read(connection, chunk, sizeof chunk);
            if (got <= 0) {
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        close(connection);
    });
}

LoopbackServer::~LoopbackServer() {
    stopping = true;
    if (thread.joinable()) {
        thread.join();
    }
    if (listenFd >= 0) {
        close(listenFd);
    }
}

std::vector<uint8_t> LoopbackServer::Received() {
    if (thread.joinable()) {
        thread.join();
    }
    return bytes;
}

namespace {

int StartConnect(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd >= 0) {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        (void)connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    return fd;
}

}  // namespace

StuckListener::StuckListener() {
    listenFd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd < 0 || bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd, 0) != 0 ||
        getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    port = ntohs(address.sin_port);
    // A backlog of 0 still queues a connection or two; a few more make sure the queue is over its limit.
    for (int i = 0; i < 4; ++i) {
        fillers.push_back(StartConnect(port));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

StuckListener::~StuckListener() {
    for (int fd : fillers) {
        if (fd >= 0) {
            close(fd);
        }
    }
    if (listenFd >= 0) {
        close(listenFd);
    }
}

bool StuckListener::Hangs() const {
    if (port == 0) {
        return false;
    }
    int fd = StartConnect(port);
    pollfd entry = {fd, POLLOUT, 0};
    bool hangs = fd >= 0 && poll(&entry, 1, 200) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return hangs;
}
