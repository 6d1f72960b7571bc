// The four language texts of the score screen, read from "data/text_<code>.txt".
#pragma once

#include <cstdio>

// Reads the first four lines (each at most 255 bytes, terminator kept) into texts; lines the file does
// not have stay empty. Writes "language file not found\n" to stderr and returns false when the file
// cannot be opened; the texts are then left empty.
bool ReadLanguageTexts(const char* code, char (&texts)[4][256]);
// The same from an open text stream, which stays open.
void ReadLanguageTextsFrom(FILE* file, char (&texts)[4][256]);

// A Lang value with no pictures behind it (a typo in quz.ini, a language we do not ship, another folder of
// data/ such as bonus) would leave the menu blank and end the first game on a missing image. When the code
// is not a plain name (letters, digits, '-', '_') with a picture data/<code>/play.png, this writes
// "language '<code>' not available, using fr\n" to stderr and puts "fr" in code; returns false then. The
// text file is not asked for: without it the language is kept and ReadLanguageTexts says so.
bool KeepAvailableLanguage(char (&code)[32]);
