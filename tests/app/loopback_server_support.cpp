// The loopback score server of the end-of-game tests (see loopback_server.h).
#include "loopback_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackServer::LoopbackServer() {
    listenFd = OpenLoopbackListener(1, &port);
    if (listenFd < 0) {
        return;
    }
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
