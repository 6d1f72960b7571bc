// INI reading (see profile.h). On Windows the real profile API does the work.
#include "platform/profile.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>

size_t ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                         size_t size, const char* fileName) {
    return GetPrivateProfileStringA(section, key, defaultValue, out, static_cast<DWORD>(size), fileName);
}

#else

namespace {

std::string_view Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The Windows path ".\quz.ini" names a file of the current directory; on '/' systems the backslash
// would otherwise become part of the file name.
std::string NativeName(const char* fileName) {
    std::string name(fileName);
    for (char& c : name) {
        if (c == '\\') {
            c = '/';
        }
    }
    return name;
}

// Finds the value of key in section; returns false when either is missing.
bool FindValue(FILE* file, std::string_view section, std::string_view key, std::string& value) {
    char line[4096];
    bool inSection = false;
    while (fgets(line, sizeof line, file) != nullptr) {
        std::string_view text = Trim(line);
        if (text.empty() || text[0] == ';') {
            continue;
        }
        if (text[0] == '[') {
            size_t close = text.find(']');
            inSection = close != std::string_view::npos && SameName(Trim(text.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) {
            continue;
        }
        size_t equals = text.find('=');
        if (equals == std::string_view::npos || !SameName(Trim(text.substr(0, equals)), key)) {
            continue;
        }
        std::string_view found = Trim(text.substr(equals + 1));
        // The profile API strips one pair of surrounding quotes.
        if (found.size() >= 2 && (found.front() == '"' || found.front() == '\'') &&
            found.back() == found.front()) {
            found = found.substr(1, found.size() - 2);
        }
        value.assign(found);
        return true;
    }
    return false;
}

}  // namespace

size_t ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                         size_t size, const char* fileName) {
    if (size == 0) {
        return 0;
    }
    std::string value = defaultValue != nullptr ? defaultValue : "";
    if (FILE* file = fopen(NativeName(fileName).c_str(), "r")) {
        std::string found;
        if (FindValue(file, section, key, found)) {
            value = found;
        }
        fclose(file);
    }
    CopyText(out, size, value.c_str());
    return strlen(out);
}

#endif
