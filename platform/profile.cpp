// INI reading (see profile.h). Windows reads the file with the same parser as everywhere else rather
// than its profile API: that API reads paths and values in the ANSI code page, and has neither the
// size limits nor the quoting this game documents.
#include "platform/profile.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/regular_file.h"
#include "platform/text.h"

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

}  // namespace

bool FindProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                      std::string& value) {
    bool inSection = false;
    while (!contents.empty()) {
        size_t end = contents.find('\n');
        std::string_view line = contents.substr(0, end);
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (line.size() > kProfileLineLimit) {
            continue;
        }
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

namespace {

// The Windows path ".\quz.ini" names a file of the current directory; on '/' systems the backslash
// would otherwise become part of the file name. An absolute name is already native, and there a
// backslash is an ordinary character of a folder's name (the game names its quz.ini by the absolute
// path of the folder it was started from).
std::string NativeName(const char* fileName) {
    std::string name(fileName);
#ifndef _WIN32
    if (name.empty() || name.front() == '/') {
        return name;
    }
    for (char& c : name) {
        if (c == '\\') {
            c = '/';
        }
    }
#endif
    return name;
}

// Reads at most the first kProfileReadLimit bytes of a regular file. A file that goes on past the limit
// loses its cut last line too: only whole lines are parsed.
bool ReadProfileText(const char* fileName, std::string& text) {
    FILE* file = OpenRegularFile(NativeName(fileName).c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    text.resize(kProfileReadLimit + 1);
    size_t got = fread(text.data(), 1, text.size(), file);
    fclose(file);
    text.resize(got);
    if (got > kProfileReadLimit) {
        size_t lastEnd = text.rfind('\n', kProfileReadLimit - 1);
        text.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    return true;
}

}  // namespace

size_t ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                         size_t size, const char* fileName) {
    if (size == 0) {
        return 0;
    }
    std::string value = defaultValue != nullptr ? defaultValue : "";
    std::string text;
    std::string found;
    if (ReadProfileText(fileName, text) && FindProfileValue(text, section, key, found)) {
        value = found;
    }
    CopyText(out, size, value.c_str());
    return strlen(out);
}
