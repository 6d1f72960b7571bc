// The [Scores] Submit setting (see submit_setting.h).
#include "net/submit_setting.h"

#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool IsNameCharacter(char c) {
    return isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
}

// A bracketed IPv6 literal: hex digits, colons and dots (for an embedded IPv4), nothing else, so that
// neither a zone identifier nor anything curl would read specially gets through.
bool IsIpv6Literal(std::string_view host) {
    if (host.size() < 4 || host.front() != '[' || host.back() != ']') {
        return false;
    }
    for (char c : host.substr(1, host.size() - 2)) {
        if (isxdigit(static_cast<unsigned char>(c)) == 0 && c != ':' && c != '.') {
            return false;
        }
    }
    return true;
}

bool IsHost(std::string_view host) {
    if (IsIpv6Literal(host)) {
        return true;
    }
    if (host.empty() || host.front() == '.' || host.front() == '-') {
        return false;
    }
    for (char c : host) {
        if (!IsNameCharacter(c)) {
            return false;
        }
    }
    return true;
}

bool IsPort(std::string_view port) {
    if (port.empty() || port.size() > 5) {
        return false;
    }
    unsigned value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value >= 1 && value <= 65535;
}

// Unreserved characters and slashes only: a query, a fragment, a percent escape or a space in a
// setting is far likelier a mistake than a path a server needs.
bool IsPath(std::string_view path) {
    for (char c : path) {
        if (isalnum(static_cast<unsigned char>(c)) == 0 && strchr("/-._~", c) == nullptr) {
            return false;
        }
    }
    return path.empty() || path.front() == '/';
}

}  // namespace

bool ParseSubmitSetting(const char* text, SubmitChoice* choice) {
    if (text == nullptr || *text == '\0') {
        *choice = SubmitChoice{};
        return true;
    }
    std::string_view url(text);
    if (url.size() == 3 && StartsWithNoCase(url, "off")) {
        *choice = SubmitChoice{};
        choice->off = true;
        return true;
    }
    size_t schemeLength = 0;
    if (StartsWithNoCase(url, "http://")) {
        schemeLength = 7;
    } else if (StartsWithNoCase(url, "https://")) {
        schemeLength = 8;
    } else {
        return false;
    }
    std::string_view rest = url.substr(schemeLength);
    const size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    std::string_view path = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    while (!path.empty() && path.back() == '/') {
        path.remove_suffix(1);
    }
    // The port's colon is the last one after any bracketed IPv6 literal.
    const size_t bracket = authority.rfind(']');
    const size_t colon = authority.find(':', bracket == std::string_view::npos ? 0 : bracket);
    std::string_view host = authority.substr(0, colon);
    if (!IsHost(host) || (colon != std::string_view::npos && !IsPort(authority.substr(colon + 1))) ||
        !IsPath(path)) {
        return false;
    }
    SubmitChoice parsed;
    parsed.overridden = true;
    const size_t length = schemeLength + authority.size() + path.size();
    // The URL with "/api/games" must fit too.
    if (length + sizeof kSubmitPath > sizeof parsed.baseUrl) {
        return false;
    }
    // The scheme is written in lower case for curl; the rest as given.
    std::string base = std::string(schemeLength == 7 ? "http://" : "https://");
    base.append(authority).append(path);
    CopyText(parsed.baseUrl, base.c_str());
    *choice = parsed;
    return true;
}

void SubmitUrlFor(const SubmitChoice& choice, const char* buildTimeBase, char* out, size_t size) {
    if (size == 0) {
        return;
    }
    out[0] = '\0';
    if (choice.off) {
        return;
    }
    // The build-time URL goes through the same checks as the player's, so a build cannot ship one that
    // the setting would refuse; an empty one means no submission by default.
    SubmitChoice built;
    if (!choice.overridden && (!ParseSubmitSetting(buildTimeBase, &built) || !built.overridden)) {
        return;
    }
    const char* base = choice.overridden ? choice.baseUrl : built.baseUrl;
    if (!FormatText(out, size, "%s%s", base, kSubmitPath)) {
        out[0] = '\0';
    }
}
