// Who a connection comes from, as the limits see it. An IPv4 address is one client; an IPv6 client owns at
// least a /64 (one home or one machine gets a whole /64 to pick from), so IPv6 is counted by its /64.
#pragma once

#include <sys/socket.h>

#include <string>

// "192.0.2.7" or "2001:db8::1"; an IPv4 client on a dual-stack socket as its IPv4 address.
std::string AddressText(const sockaddr* address);

// What per-address limits count by: the IPv4 address, or the IPv6 /64 ("2001:db8:1:2::/64").
std::string AddressKey(const sockaddr* address);

// The same two for an address given as text (an option, a forwarded header); false when it is not one.
bool NormalizeAddress(const std::string& text, std::string* address, std::string* key = nullptr);
