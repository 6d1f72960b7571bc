// The letters a typed character gives in a player's name. The bitmap font has only plain Latin letters,
// so an accented letter is folded to its base letter, keeping its case (é to e, É to E, œ to oe, ß to ss)
// rather than being lost: a French or German name keeps all its letters.
#pragma once

#include <cstdint>

// Writes the base letters of a character given as its Unicode code into `letters` (terminated) and
// returns how many there are: 1 for a plain ASCII character (itself) or a folded accented letter, 2 for
// a ligature or ß, 0 for anything else (whether the font draws the result is the caller's test).
int FoldToBaseLetters(uint32_t code, char (&letters)[3]);
