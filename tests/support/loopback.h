// Loopback sockets for the tests and benchmarks that need a score server which refuses, never answers or
// never even accepts: the failures a player's network can give, made on this machine.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

// A listening socket on a free loopback port (written to *port), or -1.
inline int OpenLoopbackListener(int backlog, uint16_t* port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, backlog) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

// A connect to the loopback port that is left running in the background; its socket, or -1.
inline int StartLoopbackConnect(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    // In progress (or already refused): either way the caller only watches what becomes of it.
    (void)connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

// A loopback port with nobody listening on it (connects are refused at once).
inline uint16_t UnusedLoopbackPort() {
    uint16_t port = 0;
    int fd = OpenLoopbackListener(1, &port);
    if (fd >= 0) {
        close(fd);
    }
    return port;
}

// True when a plain connect to the loopback port is still not through after waitMs.
inline bool LoopbackConnectHangs(uint16_t port, int waitMs) {
    int fd = StartLoopbackConnect(port);
    if (fd < 0) {
        return false;
    }
    pollfd entry = {fd, POLLOUT, 0};
    bool hangs = poll(&entry, 1, waitMs) == 0;
    close(fd);
    return hangs;
}

// A loopback listener that never accepts. With queueFull its accept queue is filled first, so a new
// connect to it hangs as if the server were black-holed (see LoopbackConnectHangs: some systems still
// complete it); otherwise connects complete but nothing is read.
class SilentListener {
  public:
    explicit SilentListener(bool queueFull) {
        listenFd = OpenLoopbackListener(queueFull ? 0 : 16, &port);
        if (listenFd >= 0 && queueFull) {
            // A backlog of 0 still queues a connection or two; a few more put the queue over its limit.
            for (int i = 0; i < 4; ++i) {
                fillers.push_back(StartLoopbackConnect(port));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ~SilentListener() {
        for (int fd : fillers) {
            if (fd >= 0) {
                close(fd);
            }
        }
        if (listenFd >= 0) {
            close(listenFd);
        }
    }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    bool Listening() const { return listenFd >= 0; }
    uint16_t Port() const { return port; }

  private:
    int listenFd = -1;
    uint16_t port = 0;
    std::vector<int> fillers;
};
