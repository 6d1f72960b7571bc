// The operating system's TCP sockets, as far as the score client needs them: Winsock 1.1 on Windows,
// BSD sockets elsewhere. Every wait takes a time-out in milliseconds, so a silent or black-holed peer
// holds the caller no longer than it asked for, and no call ever raises SIGPIPE.
#pragma once

#include <cstddef>
#include <cstdint>

// A socket of either library (a Winsock SOCKET fits, and its INVALID_SOCKET reads as -1).
using SocketHandle = intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// An IPv4 socket address with both numbers in network byte order, as they go on the wire.
struct SocketAddressIPv4 {
    uint32_t address = 0;
    uint16_t port = 0;
};

// What a text that is not a dotted-decimal address parses to (all ones).
inline constexpr uint32_t kNoAddress = 0xFFFFFFFFu;

// Winsock asks for version 1.1 and refuses any other major version; BSD sockets need no start-up.
bool StartSocketLibrary();
void StopSocketLibrary();

uint16_t PortToNetworkOrder(uint16_t port);

// A dotted-decimal text in network byte order, or kNoAddress.
uint32_t ParseDottedAddress(const char* text);

// The first IPv4 address the name resolves to, in network byte order.
bool LookUpHostName(const char* name, uint32_t* address);

// An IPv4 stream socket, or kNoSocket.
SocketHandle OpenStreamSocket();

// Connects, waiting at most timeoutMs for the handshake. The socket is left non-blocking: every later
// wait on it goes through SendSomeBytes and its own time-out.
bool ConnectSocket(SocketHandle socket, const SocketAddressIPv4& address, int timeoutMs);

// Switches off send coalescing, so a short message leaves at once.
bool SetSocketNoDelay(SocketHandle socket);

// Hands at least one of the bytes to the network, waiting at most timeoutMs for room in the send buffer.
// Returns the count sent (> 0), 0 when no room came in time, -1 when the connection failed.
long SendSomeBytes(SocketHandle socket, const void* bytes, size_t count, int timeoutMs);

void CloseSocket(SocketHandle socket);

// Closes a connected socket after shutting down our side; true when no error was pending on it and the
// shut-down and the close both succeeded (a reset by the peer shows here).
bool CloseSocketCleanly(SocketHandle socket);
