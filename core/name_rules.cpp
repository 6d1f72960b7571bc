// Folding accented Latin letters and editing a name (see name_rules.h).
#include "core/name_rules.h"

#include <cstring>

namespace quz::core {

namespace {

// One base letter per code, '?' where there is none: a sign (× ÷), or a letter of its own rather than an
// accented one (Ð ð Þ þ ĸ ŋ), or one handled below as two letters.
constexpr char kLatin1Letters[] =  // U+00C0 to U+00FF
    "AAAAAA?C"
    "EEEEIIII"
    "?NOOOOO?"
    "OUUUUY??"
    "aaaaaa?c"
    "eeeeiiii"
    "?nooooo?"
    "ouuuuy?y";
constexpr char kExtendedALetters[] =  // U+0100 to U+017F
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIi"
    "Ii??JjKk?LlLlLlL"
    "lLlNnNnNn???OoOo"
    "Oo??RrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUu"
    "UuUuWwYyYZzZzZzs";
static_assert(sizeof kLatin1Letters == 64 + 1 && sizeof kExtendedALetters == 128 + 1);

struct TwoLetters {
    uint32_t code;
    char letters[3];
};
constexpr TwoLetters kTwoLetters[] = {
    {0x00C6, "AE"}, {0x00E6, "ae"}, {0x00DF, "ss"}, {0x1E9E, "SS"},
    {0x0132, "IJ"}, {0x0133, "ij"}, {0x0152, "OE"}, {0x0153, "oe"},
};

// Romanian letters with a comma below, outside the blocks above.
char OtherAccentedLetter(uint32_t code) {
    switch (code) {
        case 0x0218:
            return 'S';
        case 0x0219:
            return 's';
        case 0x021A:
            return 'T';
        case 0x021B:
            return 't';
        default:
            return '?';
    }
}

int Give(char letter, char (&letters)[3]) {
    if (letter == '?') {
        letters[0] = '\0';
        return 0;
    }
    letters[0] = letter;
    letters[1] = '\0';
    return 1;
}

}  // namespace

int FoldToBaseLetters(uint32_t code, char (&letters)[3]) {
    if (code < 0x7F) {
        letters[0] = static_cast<char>(code);
        letters[1] = '\0';
        return code == 0 ? 0 : 1;
    }
    for (const TwoLetters& pair : kTwoLetters) {
        if (pair.code == code) {
            letters[0] = pair.letters[0];
            letters[1] = pair.letters[1];
            letters[2] = '\0';
            return 2;
        }
    }
    if (code >= 0xC0 && code <= 0xFF) {
        return Give(kLatin1Letters[code - 0xC0], letters);
    }
    if (code >= 0x100 && code <= 0x17F) {
        return Give(kExtendedALetters[code - 0x100], letters);
    }
    return Give(OtherAccentedLetter(code), letters);
}

bool IsNameCharacter(char character) {
    return character != '\0' && strchr(kNameCharacters, character) != nullptr;
}

// A code is never cut to its low byte, which would turn letters of other alphabets into unrelated Latin
// letters: accented Latin letters are folded to their base letters, anything else is refused.
bool AppendNameCharacter(char (&name)[kNameBufferSize], uint32_t code) {
    char letters[3];
    const int count = FoldToBaseLetters(code, letters);
    const size_t length = strnlen(name, kNameBufferSize - 1);
    // A fold that gives two letters goes in whole or not at all.
    if (count == 0 || length + static_cast<size_t>(count) > kMaxNameLength) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!IsNameCharacter(letters[i])) {
            return false;
        }
    }
    memcpy(name + length, letters, static_cast<size_t>(count) + 1);
    return true;
}

void EraseNameCharacter(char (&name)[kNameBufferSize]) {
    const size_t length = strnlen(name, kNameBufferSize - 1);
    if (length > 0) {
        name[length - 1] = '\0';
    }
}

}  // namespace quz::core
