// The score client's connection (see connection.h).
#include "net/connection.h"

#include <algorithm>
#include <chrono>
#include <climits>

uint16_t scoreServerPort = kDefaultScoreServerPort;
int scoreConnectTimeoutMs = kDefaultScoreConnectTimeoutMs;
int scoreSendTimeoutMs = kDefaultScoreSendTimeoutMs;

namespace {

bool socketLibraryStarted = false;
SocketAddressIPv4 serverAddress;
SocketHandle serverSocket = kNoSocket;

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
    // An empty address means there is no fallback (a server chosen in quz.ini has none).
    return ConnectTo(hostName) || (hostAddress != nullptr && *hostAddress != '\0' && ConnectTo(hostAddress));
}

bool ConnectTo(const char* server) {
    CloseConnection();
    if (!ResolveAddress(server, scoreServerPort, &serverAddress)) {
        return false;
    }
    SocketHandle socket = OpenStreamSocket();
    if (socket == kNoSocket) {
        return false;
    }
    if (!ConnectSocket(socket, serverAddress, scoreConnectTimeoutMs)) {
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
    using Clock = std::chrono::steady_clock;
    // One deadline for the whole message: a peer that takes a byte now and then cannot stretch the wait.
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(scoreSendTimeoutMs, 0));
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
    if (serverSocket == kNoSocket) {
        return false;
    }
    return SendAll(serverSocket, bytes, count) == count;
}

void CloseConnection() {
    if (serverSocket != kNoSocket) {
        CloseSocket(serverSocket);
        serverSocket = kNoSocket;
    }
}
