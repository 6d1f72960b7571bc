// The score client's one connection: socket library start and stop, address resolution with the
// dotted-address fallback, a connect and a send that each give up after a bounded wait, and the close.
// The state belongs to the calling thread: one submission at a time on each, so the score sender's
// thread and anything on the main thread never share a socket.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/socket.h"

// The score server's TCP port, for the host name and the host address alike (tests point it elsewhere).
extern uint16_t scoreServerPort;

// How long the game may stand still waiting for a silent server: for the connect to each candidate, and
// for the whole message to go out.
extern int scoreConnectTimeoutMs;
extern int scoreSendTimeoutMs;

inline constexpr uint16_t kDefaultScoreServerPort = 4242;
inline constexpr int kDefaultScoreConnectTimeoutMs = 3000;
inline constexpr int kDefaultScoreSendTimeoutMs = 3000;

// True when the socket library is started (Winsock in version 1.1).
bool NetStartup();
void NetCleanup();

// Tries the host name, then (only if that fails, and if there is one) the host address, on the given port
// (scoreServerPort) with the given bound on each connect (scoreConnectTimeoutMs).
bool ConnectToServer(const char* hostName, const char* hostAddress);
bool ConnectToServer(const char* hostName, const char* hostAddress, uint16_t port, int connectTimeoutMs);

// Connects to a host name or dotted address on scoreServerPort.
bool ConnectTo(const char* server);
bool ConnectTo(const char* server, uint16_t port, int connectTimeoutMs);

// A null text gives the any-address; a dotted address is used without a name look-up.
bool ResolveAddress(const char* server, uint16_t port, SocketAddressIPv4* address);

// The number of bytes handed to the network before the peer failed or the send time-out (by default
// scoreSendTimeoutMs) ran out.
size_t SendAll(SocketHandle socket, const uint8_t* bytes, size_t count);
size_t SendAll(SocketHandle socket, const uint8_t* bytes, size_t count, int sendTimeoutMs);

// True when every byte went out on the connected socket.
bool SendMessageBytes(const uint8_t* bytes, size_t count);
bool SendMessageBytes(const uint8_t* bytes, size_t count, int sendTimeoutMs);

// Closes the connection; true when it ended cleanly (no error pending on it, our side shut down).
bool CloseConnection();
