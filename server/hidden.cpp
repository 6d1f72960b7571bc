// Subjects of --hide and --delete, and the filters that keep hidden rows out (see hidden.h).
#include "server/hidden.h"

#include "server/score_parser.h"

namespace {

constexpr struct {
    SubjectKind kind;
    const char* key;
} kKinds[] = {
    {SubjectKind::kName, "name"}, {SubjectKind::kIdentity, "identity"}, {SubjectKind::kGame, "game"}};

// A decimal number from 0 to `max`, without sign, spaces or leading zeros, so a subject has one spelling.
bool ParseNumber(std::string_view text, uint64_t max) {
    if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0')) {
        return false;
    }
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= max;
}

}  // namespace

const char* SubjectKindKey(SubjectKind kind) {
    for (const auto& k : kKinds) {
        if (k.kind == kind) {
            return k.key;
        }
    }
    return "";
}

bool ParseSubjectKind(std::string_view key, SubjectKind* kind) {
    for (const auto& k : kKinds) {
        if (key == k.key) {
            *kind = k.kind;
            return true;
        }
    }
    return false;
}

bool ParseSubject(std::string_view text, Subject* subject, std::string* problem) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || !ParseSubjectKind(text.substr(0, colon), &subject->kind)) {
        *problem = "\"" + std::string(text) + "\" is not name:NAME, identity:NUMBER or game:ID";
        return false;
    }
    const std::string_view value = text.substr(colon + 1);
    subject->value = std::string(value);
    switch (subject->kind) {
        case SubjectKind::kName:
            // A name no game can send matches nothing: most likely a typing mistake or a shell's quoting.
            if (!IsPlayerName(value)) {
                *problem = "\"" + std::string(value) + "\" is not a player name (0 to " +
                           std::to_string(kMaxNameLength) + " printable ASCII characters)";
                return false;
            }
            return true;
        case SubjectKind::kIdentity:
            if (!ParseNumber(value, UINT32_MAX)) {
                *problem = "identity:" + std::string(value) + " is not a machine identity (0 to 4294967295)";
                return false;
            }
            return true;
        case SubjectKind::kGame:
            if (value == "0" || !ParseNumber(value, INT64_MAX)) {
                *problem = "game:" + std::string(value) + " is not a game id (1 and up)";
                return false;
            }
            return true;
    }
    return false;
}

std::string SubjectText(const Subject& subject) {
    return std::string(SubjectKindKey(subject.kind)) + ":" + subject.value;
}

// OFFSET 0 keeps PostgreSQL from turning NOT EXISTS into an anti join: for a period whose rows it
// underestimates, it then sorts the whole period instead of reading the ranking index in order and
// stopping at the limit. Left a filter, each is a probe of the hidden table's key per row read, and the
// planner's guess of what it keeps (a half) leaves the limit its due.
const char kVisibleBestSql[] =
    " AND NOT EXISTS (SELECT 1 FROM hidden WHERE kind = 'name' AND value = best.name LIMIT 1 OFFSET 0)"
    " AND NOT EXISTS (SELECT 1 FROM hidden WHERE kind = 'identity' AND value = CAST(best.identity AS TEXT)"
    " LIMIT 1 OFFSET 0)";

const char kVisibleGameSql[] =
    " AND NOT EXISTS (SELECT 1 FROM hidden WHERE kind = 'name' AND value = games.name)"
    " AND NOT EXISTS (SELECT 1 FROM hidden WHERE kind = 'identity' AND value = CAST(games.identity AS TEXT))"
    " AND NOT EXISTS (SELECT 1 FROM hidden WHERE kind = 'game' AND value = CAST(games.id AS TEXT))";

const char kHiddenGameSql[] =
    "EXISTS (SELECT 1 FROM hidden WHERE (kind = 'name' AND value = games.name) OR"
    " (kind = 'identity' AND value = CAST(games.identity AS TEXT)) OR"
    " (kind = 'game' AND value = CAST(games.id AS TEXT)))";
