// Language texts (see language.h).
#include "app/language.h"

#include <cstdio>

#include "platform/text.h"

bool ReadLanguageTexts(const char* code, char (&texts)[4][256]) {
    for (auto& text : texts) {
        text[0] = '\0';
    }
    char path[1024];
    FormatText(path, sizeof path, "data/text_%s.txt", code);
    FILE* file = fopen(path, "r");
    if (file == nullptr) {
        fprintf(stderr, "language file not found\n");
        return false;
    }
    for (auto& text : texts) {
        if (fgets(text, sizeof text, file) == nullptr) {
            text[0] = '\0';
            break;
        }
    }
    fclose(file);
    return true;
}
