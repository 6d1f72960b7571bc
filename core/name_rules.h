// The rules of a player's name: which characters it may hold (the bitmap font's letters, digits, a few
// signs and the space), how an accented letter is folded to its base letters keeping its case (é to e,
// É to E, œ to oe, ß to ss) rather than being lost, and how one typed character edits it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quz::core {

// Every character a name may hold. The font draws each of them but the space.
inline constexpr char kNameCharacters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.!*- ";
inline constexpr size_t kMaxNameLength = 27;
inline constexpr size_t kNameBufferSize = 32;

bool IsNameCharacter(char character);

// Writes the base letters of a character given as its Unicode code into `letters` (terminated) and
// returns how many there are: 1 for a plain ASCII character (itself) or a folded accented letter, 2 for
// a ligature or ß, 0 for anything else (whether a name may hold the result is IsNameCharacter's test).
int FoldToBaseLetters(uint32_t code, char (&letters)[3]);

// Appends a typed character (its Unicode code) to a name: folded, all its letters or none, never past
// kMaxNameLength. False when it was refused.
bool AppendNameCharacter(char (&name)[kNameBufferSize], uint32_t code);
// Removes the last character, if any.
void EraseNameCharacter(char (&name)[kNameBufferSize]);

}  // namespace quz::core
