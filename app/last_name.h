// The name the player confirmed last, kept for the next name entry in "lastname.txt" beside the saved
// high-score table (one line), so that a player who always types the same name only presses Return.
#pragma once

#include "core/name_rules.h"

inline constexpr const char kLastNameFileName[] = "lastname.txt";

// The last name from the player's folder: only what a name may hold (a character it may not hold ends
// it), at most kMaxNameLength characters. Empty when there is none or it cannot be read.
void ReadLastName(char (&name)[quz::core::kNameBufferSize]);
// The same from a given file.
void ReadLastNameFrom(const char* path, char (&name)[quz::core::kNameBufferSize]);

// Keeps the name for the next entry, replacing the file whole; a failure is one line on stderr and the
// game goes on. An empty name is kept too: the next entry then opens empty.
void RememberLastName(const char* name);
bool WriteLastNameTo(const char* path, const char* name);
