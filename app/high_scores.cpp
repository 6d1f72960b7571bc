// Drawing the high-score table (see high_scores.h).
#include "app/high_scores.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/text.h"

int HighScoreWaveOffset(int32_t totalMs, int row) {
    double phase = (static_cast<double>(totalMs) / 60.0 + row) / 5.0;
    return static_cast<int>(std::sin(phase) * (row + 2));
}

void HighScoreNameText(const HighScoreEntry& entry, char (&text)[sizeof(HighScoreEntry::name) + 1]) {
    size_t length = strnlen(entry.name, sizeof entry.name);
    memcpy(text, entry.name, length);
    text[length] = '\0';
}

void DrawHighScores(SDL_Surface* target, SDL_Surface* fontImage) {
    DrawText(target, 46, 270, Shared.languageTexts[1], fontImage);
    DrawText(target, 128, 270, Shared.languageTexts[2], fontImage);
    DrawText(target, 534, 270, Shared.languageTexts[3], fontImage);
    for (int i = 0; i < kHighScoreCount; ++i) {
        const HighScoreEntry& entry = HighScoreTable[i];
        int y = 302 + 16 * i;
        int dx = HighScoreWaveOffset(Shared.frameClock.totalMs, i);
        char text[40];
        FormatText(text, sizeof text, "%d", i + 1);
        DrawText(target, 64 + dx, y, text, fontImage);
        if (entry.marked != 0) {
            DrawText(target, 112 + dx, y, "-", fontImage);
        }
        char name[sizeof entry.name + 1];
        HighScoreNameText(entry, name);
        DrawText(target, 128 + dx, y, name, fontImage);
        FormatText(text, sizeof text, "%06i", static_cast<int>(entry.score));
        DrawText(target, 528 + dx, y, text, fontImage);
    }
    DrawText(target, 0, kScoreScreenBottomLineY, Shared.languageTexts[0], fontImage);
}
