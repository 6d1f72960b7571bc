// Language texts (see language.h).
#include "app/language.h"

#include <cctype>
#include <cstdio>

#include "platform/regular_file.h"
#include "platform/text.h"

bool ReadLanguageTexts(const char* code, char (&texts)[4][256]) {
    for (auto& text : texts) {
        text[0] = '\0';
    }
    char path[1024];
    FormatText(path, sizeof path, "data/text_%s.txt", code);
    FILE* file = OpenRegularFile(path, "r");
    if (file == nullptr) {
        fprintf(stderr, "language file not found\n");
        return false;
    }
    ReadLanguageTextsFrom(file, texts);
    fclose(file);
    return true;
}

void ReadLanguageTextsFrom(FILE* file, char (&texts)[4][256]) {
    for (auto& text : texts) {
        text[0] = '\0';
    }
    for (auto& text : texts) {
        if (fgets(text, sizeof text, file) == nullptr) {
            text[0] = '\0';
            break;
        }
    }
}

namespace {

// A language is a plain folder name: nothing that could lead a path out of data/.
bool IsPlainName(const char* code) {
    if (code[0] == '\0') {
        return false;
    }
    for (const char* c = code; *c != '\0'; ++c) {
        if (!isalnum(static_cast<unsigned char>(*c)) && *c != '-' && *c != '_') {
            return false;
        }
    }
    return true;
}

}  // namespace

bool KeepAvailableLanguage(char (&code)[32]) {
    // Other folders live under data/ too (bonus, sound, theme1): a language is one with its pictures, of
    // which the menu's first button stands for all. A missing text file is no reason to refuse it: the
    // score screen's words stay empty and start-up says "language file not found".
    char picture[64];
    FormatText(picture, sizeof picture, "data/%s/play.png", code);
    if (IsPlainName(code) && IsRegularFile(picture)) {
        return true;
    }
    fprintf(stderr, "language '%s' not available, using fr\n", code);
    CopyText(code, "fr");
    return false;
}
