// The high-score table's rules (see high_score_rules.h).
#include "core/high_score_rules.h"

#include <cstring>

namespace quz::core {

namespace {

int32_t ReadLittleEndian32(const unsigned char* bytes) {
    uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                     static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

void WriteLittleEndian32(int32_t value, unsigned char* bytes) {
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}

}  // namespace

int32_t TableFloor(const HighScoreEntries& table) {
    int32_t floor = table[0].score;
    for (const HighScoreEntry& entry : table) {
        floor = entry.score < floor ? entry.score : floor;
    }
    return floor;
}

bool ScoreQualifies(const HighScoreEntries& table, int32_t score) {
    return score > TableFloor(table);
}

int InsertHighScore(HighScoreEntries& table, const char* name, int32_t score, int32_t marked) {
    for (int rank = 0; rank < kHighScoreCount; ++rank) {
        if (table[rank].score < score) {
            memmove(&table[rank + 1], &table[rank],
                    sizeof(HighScoreEntry) * static_cast<size_t>(kHighScoreCount - 1 - rank));
            HighScoreEntry& entry = table[rank];
            memset(entry.name, 0, sizeof entry.name);
            // The last byte stays 0: a name longer than the field is cut, never left unterminated.
            if (name != nullptr) {
                memcpy(entry.name, name, strnlen(name, sizeof entry.name - 1));
            }
            entry.score = score;
            entry.marked = marked;
            return rank;
        }
    }
    return -1;
}

// Field by field, so the integers are little-endian in the file whatever the host.
void EncodeHighScores(const HighScoreEntries& table, unsigned char (&image)[kHighScoreFileSize]) {
    for (int i = 0; i < kHighScoreCount; ++i) {
        unsigned char* bytes = image + i * static_cast<int>(sizeof(HighScoreEntry));
        memcpy(bytes, table[i].name, sizeof table[i].name);
        WriteLittleEndian32(table[i].score, bytes + 32);
        WriteLittleEndian32(table[i].marked, bytes + 36);
    }
}

void DecodeHighScores(const unsigned char (&image)[kHighScoreFileSize], HighScoreEntries& table) {
    for (int i = 0; i < kHighScoreCount; ++i) {
        const unsigned char* bytes = image + i * static_cast<int>(sizeof(HighScoreEntry));
        memcpy(table[i].name, bytes, sizeof table[i].name);
        table[i].score = ReadLittleEndian32(bytes + 32);
        table[i].marked = ReadLittleEndian32(bytes + 36);
    }
}

}  // namespace quz::core
