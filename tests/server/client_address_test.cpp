// How the limits tell clients apart: IPv4 by address, IPv6 by /64, an IPv4 client on a dual-stack socket
// as its IPv4 address, and addresses given as text (an option, a forwarded header) the same way.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include "server/client_address.h"

namespace {

sockaddr_in6 V6(const char* text) {
    sockaddr_in6 address = {};
    address.sin6_family = AF_INET6;
    inet_pton(AF_INET6, text, &address.sin6_addr);
    return address;
}

}  // namespace

TEST(ClientAddress, KeysIpv6ByItsSixtyFourAndIpv4ByItsAddress) {
    sockaddr_in v4 = {};
    v4.sin_family = AF_INET;
    inet_pton(AF_INET, "198.51.100.7", &v4.sin_addr);
    EXPECT_EQ(AddressText(reinterpret_cast<sockaddr*>(&v4)), "198.51.100.7");
    EXPECT_EQ(AddressKey(reinterpret_cast<sockaddr*>(&v4)), "198.51.100.7");

    sockaddr_in6 a = V6("2001:db8:1:2::5");
    sockaddr_in6 b = V6("2001:db8:1:2:ffff:ffff:ffff:ffff");
    sockaddr_in6 c = V6("2001:db8:1:3::5");
    EXPECT_EQ(AddressText(reinterpret_cast<sockaddr*>(&a)), "2001:db8:1:2::5");
    EXPECT_EQ(AddressKey(reinterpret_cast<sockaddr*>(&a)), "2001:db8:1:2::/64");
    EXPECT_EQ(AddressKey(reinterpret_cast<sockaddr*>(&b)), "2001:db8:1:2::/64");
    EXPECT_NE(AddressKey(reinterpret_cast<sockaddr*>(&c)), AddressKey(reinterpret_cast<sockaddr*>(&a)));

    sockaddr_in6 mapped = V6("::ffff:203.0.113.9");
    EXPECT_EQ(AddressText(reinterpret_cast<sockaddr*>(&mapped)), "203.0.113.9");
    EXPECT_EQ(AddressKey(reinterpret_cast<sockaddr*>(&mapped)), "203.0.113.9");
    EXPECT_EQ(AddressText(nullptr), "?");

    std::string address;
    std::string key;
    ASSERT_TRUE(NormalizeAddress("2001:DB8:1:2:0:0:0:5", &address, &key));
    EXPECT_EQ(address, "2001:db8:1:2::5");
    EXPECT_EQ(key, "2001:db8:1:2::/64");
    ASSERT_TRUE(NormalizeAddress("::ffff:203.0.113.9", &address, &key));
    EXPECT_EQ(address, "203.0.113.9");
    EXPECT_EQ(key, "203.0.113.9");
    for (const char* bad : {"", "proxy.example.org", "203.0.113.9:80", "1.2.3", "2001:db8::1/64"}) {
        EXPECT_FALSE(NormalizeAddress(bad, &address)) << bad;
    }
}
