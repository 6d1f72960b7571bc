// The score message's field layout (see score_message.h).
#include "net/score_message.h"

#include <cinttypes>
#include <cstdio>

bool FormatScoreText(char* text, size_t size, const ScoreFields& fields) {
    auto orEmpty = [](const char* s) { return s != nullptr ? s : ""; };
    int written = snprintf(text, size, "%" PRIu32 "\t%s\t%.1023s\t%.1023s\t%s\t%.1023s\t%s\t%" PRId32,
                           fields.identity, fields.variant ? kVariantScoreTag : kScoreTag,
                           orEmpty(fields.clientTag), orEmpty(fields.credential), orEmpty(fields.playerName),
                           orEmpty(fields.gameName), orEmpty(fields.mode), fields.score);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        if (size > 0) {
            text[0] = '\0';
        }
        return false;
    }
    return true;
}

bool SplitScoreText(std::string_view text, std::array<std::string_view, kScoreFieldCount>* fields) {
    size_t start = 0;
    for (size_t i = 0; i < kScoreFieldCount; ++i) {
        size_t tab = text.find('\t', start);
        bool last = i + 1 == kScoreFieldCount;
        if (last != (tab == std::string_view::npos)) {
            return false;  // too few fields, or a TAB after the eighth
        }
        (*fields)[i] = text.substr(start, last ? std::string_view::npos : tab - start);
        start = tab + 1;
    }
    return true;
}
