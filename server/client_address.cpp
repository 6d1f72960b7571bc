// Who a connection comes from (see client_address.h).
#include "server/client_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

namespace {

std::string V4Text(const void* bytes) {
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, bytes, text, sizeof text);
    return text;
}

std::string V6Text(const in6_addr& address) {
    char text[INET6_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET6, &address, text, sizeof text);
    return text;
}

std::string V6Key(in6_addr address) {
    std::memset(address.s6_addr + 8, 0, 8);
    return V6Text(address) + "/64";
}

}  // namespace

std::string AddressText(const sockaddr* address) {
    if (address == nullptr) {
        return "?";
    }
    if (address->sa_family == AF_INET) {
        return V4Text(&reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
    }
    if (address->sa_family == AF_INET6) {
        const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        return IN6_IS_ADDR_V4MAPPED(&v6) ? V4Text(&v6.s6_addr[12]) : V6Text(v6);
    }
    return "?";
}

std::string AddressKey(const sockaddr* address) {
    if (address != nullptr && address->sa_family == AF_INET6) {
        const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        if (!IN6_IS_ADDR_V4MAPPED(&v6)) {
            return V6Key(v6);
        }
    }
    return AddressText(address);
}

bool NormalizeAddress(const std::string& text, std::string* address, std::string* key) {
    in_addr v4{};
    in6_addr v6{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
        *address = V4Text(&v4);
        if (key != nullptr) {
            *key = *address;
        }
        return true;
    }
    if (inet_pton(AF_INET6, text.c_str(), &v6) != 1) {
        return false;
    }
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        *address = V4Text(&v6.s6_addr[12]);
        if (key != nullptr) {
            *key = *address;
        }
        return true;
    }
    *address = V6Text(v6);
    if (key != nullptr) {
        *key = V6Key(v6);
    }
    return true;
}
