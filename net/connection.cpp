// The score client's connection (see connection.h).
#include "net/connection.h"

#include <algorithm>
#include <chrono>
#include <climits>

uint16_t scoreServerPort = kDefaultScoreServerPort;
int scoreConnectTimeoutMs = kDefaultScoreConnectTimeoutMs;
int scoreSendTimeoutMs = kDefaultScoreSendTimeoutMs;

namespace {

thread_local bool socketLibraryStarted = false;
thread_local SocketAddressIPv4 serverAddress;
thread_local SocketHandle serverSocket = kNoSocket;

}  // namespace

bool NetStartup() {
    socketLibraryStarted = true;
    if (!StartSocketLibrary()) {
        socketLibraryStarted = false;
        return false;
    }
    return true;
}

void NetCleanup() {
    // The flag is cleared so that a second clean-up cannot stop a library started by someone else.
    if (socketLibraryStarted) {
        StopSocketLibrary();
        socketLibraryStarted = false;
    }
}

bool ConnectToServer(const char* hostName, const char* hostAddress) {
    return ConnectToServer(hostName, hostAddress, scoreServerPort, scoreConnectTimeoutMs);
}

bool ConnectToServer(const char* hostName, const char* hostAddress, uint16_t port, int connectTimeoutMs) {
    // An empty address means there is no fallback (a server chosen in quz.ini has none).
    return ConnectTo(hostName, port, connectTimeoutMs) ||
           (hostAddress != nullptr && *hostAddress != '\0' && ConnectTo(hostAddress, port, connectTimeoutMs));
}

bool ConnectTo(const char* server) {
    return ConnectTo(server, scoreServerPort, scoreConnectTimeoutMs);
}

bool ConnectTo(const char* server, uint16_t port, int connectTimeoutMs) {
    CloseConnection();
    if (!ResolveAddress(server, port, &serverAddress)) {
        return false;
    }
    SocketHandle socket = OpenStreamSocket();
    if (socket == kNoSocket) {
        return false;
    }
    if (!ConnectSocket(socket, serverAddress, connectTimeoutMs)) {
        CloseSocket(socket);
        return false;
    }
    SetSocketNoDelay(socket);
    serverSocket = socket;
    return true;
}

bool ResolveAddress(const char* server, uint16_t port, SocketAddressIPv4* address) {
    address->port = PortToNetworkOrder(port);
    if (server == nullptr) {
        address->address = 0;
        return true;
    }
    address->address = ParseDottedAddress(server);
    if (address->address == kNoAddress) {
        if (!LookUpHostName(server, &address->address)) {
            return false;
        }
        if (address->address == kNoAddress) {
            return false;
        }
    }
    return true;
}

size_t SendAll(SocketHandle socket, const uint8_t* bytes, size_t count) {
    return SendAll(socket, bytes, count, scoreSendTimeoutMs);
}

size_t SendAll(SocketHandle socket, const uint8_t* bytes, size_t count, int sendTimeoutMs) {
    using Clock = std::chrono::steady_clock;
    // One deadline for the whole message: a peer that takes a byte now and then cannot stretch the wait.
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(sendTimeoutMs, 0));
    size_t sent = 0;
    while (sent < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        int leftMs = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
        long result = SendSomeBytes(socket, bytes + sent, count - sent, leftMs);
        if (result <= 0) {
            break;
        }
        sent += static_cast<size_t>(result);
    }
    return sent;
}

bool SendMessageBytes(const uint8_t* bytes, size_t count) {
    return SendMessageBytes(bytes, count, scoreSendTimeoutMs);
}

bool SendMessageBytes(const uint8_t* bytes, size_t count, int sendTimeoutMs) {
    if (serverSocket == kNoSocket) {
        return false;
    }
    return SendAll(serverSocket, bytes, count, sendTimeoutMs) == count;
}

bool CloseConnection() {
    if (serverSocket == kNoSocket) {
        return false;
    }
    bool clean = CloseSocketCleanly(serverSocket);
    serverSocket = kNoSocket;
    return clean;
}
