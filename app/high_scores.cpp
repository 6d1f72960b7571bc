// Drawing the high-score table (see high_scores.h).
#include "app/high_scores.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "game/shared_state.h"
#include "gfx/font.h"
#include "gfx/surface_copy.h"
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

void DrawHighScores(SDL_Surface* target, SDL_Surface* fontImage, const HighScoreHighlight& lit) {
    DrawText(target, 46, 270, Shared.languageTexts[1], fontImage);
    DrawText(target, 128, 270, Shared.languageTexts[2], fontImage);
    DrawText(target, 534, 270, Shared.languageTexts[3], fontImage);
    for (int i = 0; i < kHighScoreCount; ++i) {
        const HighScoreEntry& entry = HighScoreTable[i];
        int y = 302 + 16 * i;
        int dx = HighScoreWaveOffset(Shared.frameClock.totalMs, i);
        SDL_Surface* font = fontImage;
        if (i == lit.row) {
            if (lit.barImage != nullptr) {
                CopyRect(lit.barImage, 0, 0, kLitRowBarWidth, kLitRowBarHeight, target, kLitRowBarX, y - 2);
            }
            font = lit.fontImage != nullptr ? lit.fontImage : fontImage;
        }
        char text[40];
        FormatText(text, sizeof text, "%d", i + 1);
        DrawText(target, 64 + dx, y, text, font);
        if (entry.marked != 0) {
            DrawText(target, 112 + dx, y, "-", font);
        }
        char name[sizeof entry.name + 1];
        HighScoreNameText(entry, name);
        DrawText(target, 128 + dx, y, name, font);
        FormatText(text, sizeof text, "%06i", static_cast<int>(entry.score));
        DrawText(target, 528 + dx, y, text, font);
    }
    DrawText(target, 0, kScoreScreenBottomLineY, Shared.languageTexts[0], fontImage);
}
