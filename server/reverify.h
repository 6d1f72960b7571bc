// quz-scored --reverify: every stored game re-played against this server's rules, for an operator who
// changed the rules (or doubts a database): which games no longer end as they claimed, and which stored
// unverified games this server can now judge.
#pragma once

#include <cstdio>

#include "server/game_store.h"

struct ReverifyCounts {
    int games = 0;
    int verified = 0;     // still end as they claim
    int mismatches = 0;   // stored as verified, and no longer end as they claim
    int unverified = 0;   // still of rules this server does not know
    int nowVerified = 0;  // stored unverified, and verified now
    int notKept = 0;      // verified games whose replay the retention emptied: not judged
};

// Prints one line per game that is not (or no longer) verified, then a summary. False when the games
// could not be read.
bool Reverify(GameStore& store, FILE* out, ReverifyCounts* counts);
