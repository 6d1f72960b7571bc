// The four language texts of the score screen, read from "data/text_<code>.txt".
#pragma once

// Reads the first four lines (each at most 255 bytes, terminator kept) into texts; lines the file does
// not have stay empty. Writes "language file not found\n" to stderr and returns false when the file
// cannot be opened; the texts are then left empty.
bool ReadLanguageTexts(const char* code, char (&texts)[4][256]);
