// The player's replays folder (see replay_folder.h).
#include "replay/replay_folder.h"

#include <algorithm>
#include <cstdio>

namespace quz::replay {

namespace {

constexpr size_t kStampLength = 15;  // YYYYMMDD-HHMMSS
constexpr char kExtension[] = ".quzr";
constexpr size_t kExtensionLength = sizeof kExtension - 1;

bool AllDigits(const std::string& text, size_t from, size_t count) {
    if (from + count > text.size() || count == 0) {
        return false;
    }
    return std::all_of(text.begin() + static_cast<ptrdiff_t>(from),
                       text.begin() + static_cast<ptrdiff_t>(from + count),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// The sequence a name carries: 1 without a suffix.
long Sequence(const std::string& name) {
    const size_t end = name.size() - kExtensionLength;
    return end == kStampLength ? 1 : std::stol(name.substr(kStampLength + 1, end - kStampLength - 1));
}

}  // namespace

std::string ReplayFileName(const std::tm& localTime, int sequence) {
    char name[64];
    const int length = snprintf(name, sizeof name, "%04d%02d%02d-%02d%02d%02d", localTime.tm_year + 1900,
                                localTime.tm_mon + 1, localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                                localTime.tm_sec);
    if (sequence > 1) {
        snprintf(name + length, sizeof name - static_cast<size_t>(length), "-%d", sequence);
    }
    return std::string(name) + kExtension;
}

bool IsGameReplayName(const std::string& name) {
    if (name.size() < kStampLength + kExtensionLength ||
        name.compare(name.size() - kExtensionLength, kExtensionLength, kExtension) != 0) {
        return false;
    }
    if (!AllDigits(name, 0, 8) || name[8] != '-' || !AllDigits(name, 9, 6)) {
        return false;
    }
    const size_t end = name.size() - kExtensionLength;
    if (end == kStampLength) {
        return true;
    }
    // "-n": a sequence of one to four digits, never 0 or 1 (those have no suffix).
    return name[kStampLength] == '-' && end - kStampLength - 1 <= 4 &&
           AllDigits(name, kStampLength + 1, end - kStampLength - 1) && Sequence(name) >= 2;
}

std::vector<std::string> ReplaysToRemove(std::vector<std::string> names, size_t keep) {
    std::erase_if(names, [](const std::string& name) { return !IsGameReplayName(name); });
    // The stamp orders by time; within one second the sequence does ("-10" after "-9").
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int stamps = a.compare(0, kStampLength, b, 0, kStampLength);
        return stamps != 0 ? stamps < 0 : Sequence(a) < Sequence(b);
    });
    if (names.size() <= keep) {
        return {};
    }
    names.resize(names.size() - keep);
    return names;
}

}  // namespace quz::replay
