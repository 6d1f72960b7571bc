// What an operator can keep out of view (--hide) or delete (--delete): every row of a player's name, every
// row of a machine's identity, or one game. Hidden rows stay in the database; the reads of the page, the
// JSON, the ranks and the replays leave them out through the filters below, which read the hidden table
// of schema version 4. A hidden name or identity stays hidden for the scores that arrive after it too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class SubjectKind { kName, kIdentity, kGame };

struct Subject {
    SubjectKind kind = SubjectKind::kName;
    std::string value;  // the name as sent; the identity or game id in decimal
};

// "name:ANNA" (everything after the first colon, exactly as the game sent it; "name:" is the empty name),
// "identity:1234567" (0 to 4294967295), "game:42". False with the reason otherwise.
bool ParseSubject(std::string_view text, Subject* subject, std::string* problem);
// The text ParseSubject reads back.
std::string SubjectText(const Subject& subject);
// "name", "identity" or "game": the hidden table's kind column.
const char* SubjectKindKey(SubjectKind kind);
bool ParseSubjectKind(std::string_view key, SubjectKind* kind);

// Conditions appended to a WHERE over the best table and over the games table (named so in the query):
// the row is not hidden. The same SQL in both back ends; each is a probe of the hidden table's key.
extern const char kVisibleBestSql[];
extern const char kVisibleGameSql[];
// The condition, over the games table, that a game is hidden.
extern const char kHiddenGameSql[];
