// TCP sockets for the score client (see socket.h).
#include "platform/socket.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, never negative.
int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

Clock::time_point DeadlineAfter(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

}  // namespace

#ifdef _WIN32
#include <winsock.h>

namespace {

SOCKET Native(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

timeval ToTimeval(int ms) {
    timeval tv;
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return tv;
}

}  // namespace

bool StartSocketLibrary() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        return false;
    }
    if (LOBYTE(data.wVersion) != 1) {
        WSACleanup();
        return false;
    }
    return true;
}

void StopSocketLibrary() {
    // A blocking call still in progress keeps the library alive; cancel it and try once more.
    if (WSACleanup() == SOCKET_ERROR && WSAGetLastError() == WSAEINPROGRESS) {
        WSACancelBlockingCall();
        WSACleanup();
    }
}

uint16_t PortToNetworkOrder(uint16_t port) {
    return htons(port);
}

uint32_t ParseDottedAddress(const char* text) {
    return inet_addr(text);
}

bool LookUpHostName(const char* name, uint32_t* address) {
    const hostent* entry = gethostbyname(name);
    if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) {
        return false;
    }
    // Never more than the four bytes an IPv4 address holds, whatever length the entry claims.
    uint32_t value = kNoAddress;
    memcpy(&value, entry->h_addr_list[0],
           std::min<size_t>(static_cast<size_t>(entry->h_length), sizeof value));
    *address = value;
    return true;
}

SocketHandle OpenStreamSocket() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(s);
}

bool ConnectSocket(SocketHandle socket, const SocketAddressIPv4& address, int timeoutMs) {
    u_long nonBlocking = 1;
    if (ioctlsocket(Native(socket), FIONBIO, &nonBlocking) != 0) {
        return false;
    }
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = address.port;
    target.sin_addr.s_addr = address.address;
    if (connect(Native(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        return true;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        return false;
    }
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(Native(socket), &writable);
    FD_SET(Native(socket), &failed);
    timeval wait = ToTimeval(std::max(timeoutMs, 0));
    if (select(0, nullptr, &writable, &failed, &wait) <= 0) {
        return false;
    }
    return FD_ISSET(Native(socket), &writable) && !FD_ISSET(Native(socket), &failed);
}

bool SetSocketNoDelay(SocketHandle socket) {
    BOOL on = TRUE;
    return setsockopt(Native(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                      sizeof on) == 0;
}

long SendSomeBytes(SocketHandle socket, const void* bytes, size_t count, int timeoutMs) {
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    int chunk = static_cast<int>(std::min<size_t>(count, INT_MAX));
    for (;;) {
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(Native(socket), &writable);
        timeval wait = ToTimeval(RemainingMs(deadline));
        int ready = select(0, nullptr, &writable, nullptr, &wait);
        if (ready < 0) {
            return -1;
        }
        if (ready == 0) {
            return 0;
        }
        int sent = send(Native(socket), static_cast<const char*>(bytes), chunk, 0);
        if (sent > 0) {
            return sent;
        }
        if (sent == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
            return -1;
        }
        if (RemainingMs(deadline) == 0) {
            return 0;
        }
    }
}

void CloseSocket(SocketHandle socket) {
    closesocket(Native(socket));
}

bool CloseSocketCleanly(SocketHandle socket) {
    int error = 0;
    int length = sizeof error;
    bool clean =
        getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
        error == 0;
    clean = shutdown(Native(socket), 1 /* SD_SEND */) == 0 && clean;
    return closesocket(Native(socket)) == 0 && clean;
}

#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

namespace {

int Native(SocketHandle socket) {
    return static_cast<int>(socket);
}

// Waits for the events until the deadline; false on time-out or error. Signals do not cut the wait short.
bool WaitFor(int fd, short events, Clock::time_point deadline, short* revents) {
    for (;;) {
        pollfd entry = {fd, events, 0};
        int ready = poll(&entry, 1, RemainingMs(deadline));
        if (ready > 0) {
            *revents = entry.revents;
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// A write to a reset connection must fail with EPIPE, not end the game.
#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL | MSG_DONTWAIT;
#else
constexpr int kSendFlags = MSG_DONTWAIT;
#endif

}  // namespace

bool StartSocketLibrary() {
    return true;
}

void StopSocketLibrary() {}

uint16_t PortToNetworkOrder(uint16_t port) {
    return htons(port);
}

uint32_t ParseDottedAddress(const char* text) {
    return inet_addr(text);
}

bool LookUpHostName(const char* name, uint32_t* address) {
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    bool ok = false;
    for (const addrinfo* entry = found; entry != nullptr && !ok; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in ipv4;
            memcpy(&ipv4, entry->ai_addr, sizeof ipv4);
            *address = ipv4.sin_addr.s_addr;
            ok = true;
        }
    }
    freeaddrinfo(found);
    return ok;
}

SocketHandle OpenStreamSocket() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return kNoSocket;
    }
#ifdef SO_NOSIGPIPE
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    return fd;
}

bool ConnectSocket(SocketHandle socket, const SocketAddressIPv4& address, int timeoutMs) {
    int fd = Native(socket);
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        return false;
    }
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = address.port;
    target.sin_addr.s_addr = address.address;
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        return true;
    }
    // An interrupted non-blocking connect goes on in the background, like one in progress.
    if (errno != EINPROGRESS && errno != EINTR) {
        return false;
    }
    short revents = 0;
    if (!WaitFor(fd, POLLOUT, deadline, &revents)) {
        return false;
    }
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

bool SetSocketNoDelay(SocketHandle socket) {
    int on = 1;
    return setsockopt(Native(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}

long SendSomeBytes(SocketHandle socket, const void* bytes, size_t count, int timeoutMs) {
    int fd = Native(socket);
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        short revents = 0;
        if (!WaitFor(fd, POLLOUT, deadline, &revents)) {
            return RemainingMs(deadline) == 0 ? 0 : -1;
        }
        ssize_t sent = send(fd, bytes, count, kSendFlags);
        if (sent > 0) {
            return static_cast<long>(sent);
        }
        if (sent == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            return -1;
        }
        if (RemainingMs(deadline) == 0) {
            return 0;
        }
    }
}

void CloseSocket(SocketHandle socket) {
    close(Native(socket));
}

bool CloseSocketCleanly(SocketHandle socket) {
    int fd = Native(socket);
    int error = 0;
    socklen_t length = sizeof error;
    bool clean = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    clean = shutdown(fd, SHUT_WR) == 0 && clean;
    return close(fd) == 0 && clean;
}

#endif
