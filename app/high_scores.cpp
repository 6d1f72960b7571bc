// Loading, resetting and drawing the high-score table (see high_scores.h).
#include "app/high_scores.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/regular_file.h"
#include "platform/text.h"

namespace {

constexpr char kDefaultName[] = ".V.E.K. QUZ . RUZO .";

int32_t ReadLittleEndian32(const unsigned char* bytes) {
    uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                     static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

}  // namespace

void LoadHighScores(const char* path) {
    FILE* file = OpenRegularFile(path);
    if (file == nullptr) {
        ResetHighScores();
        return;
    }
    // The file is the table's byte image; decoding it field by field keeps the integers little-endian
    // whatever the host, and the zeroed buffer is what a short file leaves in the rest of the table.
    unsigned char image[kHighScoreFileSize] = {};
    size_t got = fread(image, 1, sizeof image, file);
    fclose(file);
    DecodeHighScores(image, got);
}

void DecodeHighScores(const unsigned char* bytes, size_t size) {
    unsigned char image[kHighScoreFileSize] = {};
    if (bytes != nullptr && size > 0) {
        memcpy(image, bytes, size < sizeof image ? size : sizeof image);
    }
    for (int i = 0; i < kHighScoreCount; ++i) {
        const unsigned char* field = image + i * static_cast<int>(sizeof(HighScoreEntry));
        HighScoreEntry& entry = HighScoreTable[i];
        memcpy(entry.name, field, sizeof entry.name);
        entry.score = ReadLittleEndian32(field + 32);
        entry.marked = ReadLittleEndian32(field + 36);
    }
}

void ResetHighScores() {
    for (int i = 0; i < kHighScoreCount; ++i) {
        HighScoreEntry& entry = HighScoreTable[i];
        // Only the name and its terminator are written: the rest of the field keeps what it held.
        memcpy(entry.name, kDefaultName, sizeof kDefaultName);
        entry.score = kHighScoreCount - i;
        entry.marked = 0;
    }
}

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
    DrawText(target, 0, 465, Shared.languageTexts[0], fontImage);
}
