// Loading and saving the high-score table (see high_score_file.h).
#include "app/high_score_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/text.h"

namespace {

constexpr char kDefaultName[] = ".V.E.K. QUZ . RUZO .";

char savedPath[4096] = "";
char savedFolder[4096] = "";
// Set when a damaged file stands at savedPath and could not be moved aside: saving would destroy it.
bool saveRefused = false;

const char* Describe(ReadFileResult result, size_t size, char (&text)[64]) {
    switch (result) {
        case ReadFileResult::NotRegular:
            return "not a regular file";
        case ReadFileResult::Unreadable:
            return "cannot be read";
        case ReadFileResult::TooBig:
            return "more than 360 bytes";
        default:
            FormatText(text, sizeof text, "%zu bytes, not 360", size);
            return text;
    }
}

}  // namespace

void LoadHighScores(const char* path) {
    unsigned char image[kHighScoreFileSize] = {};
    size_t size = 0;
    ReadFileResult result = ReadRegularFile(path, image, sizeof image, &size);
    // A longer file has filled the image and the rest is ignored; a shorter one leaves zeros after it.
    if (result != ReadFileResult::Read && result != ReadFileResult::TooBig) {
        ResetHighScores();
        return;
    }
    DecodeHighScores(image, HighScoreTable);
}

void DecodeHighScores(const unsigned char* bytes, size_t size) {
    unsigned char image[kHighScoreFileSize] = {};
    if (bytes != nullptr && size > 0) {
        memcpy(image, bytes, size < sizeof image ? size : sizeof image);
    }
    DecodeHighScores(image, HighScoreTable);
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

void LoadHighScoreTables(const char* userFolder, const char* startingFile) {
    savedPath[0] = savedFolder[0] = '\0';
    saveRefused = false;
    if (userFolder != nullptr && CopyText(savedFolder, userFolder) &&
        FormatText(savedPath, sizeof savedPath, "%s/%s", userFolder, kScoresFileName)) {
        unsigned char image[kHighScoreFileSize] = {};
        size_t size = 0;
        ReadFileResult result = ReadRegularFile(savedPath, image, sizeof image, &size);
        if (result == ReadFileResult::Read && size == sizeof image) {
            DecodeHighScores(image, SavedHighScoreTable);
            memcpy(HighScoreTable, SavedHighScoreTable, sizeof HighScoreTable);
            return;
        }
        if (result != ReadFileResult::Missing) {
            char why[64];
            char movedTo[4096];
            if (MoveFileAside(savedPath, ".bad", movedTo, sizeof movedTo)) {
                fprintf(stderr, "%s: %s; moved aside to %s\n", savedPath, Describe(result, size, why),
                        movedTo);
            } else {
                fprintf(stderr, "%s: %s, and it cannot be moved aside; high scores are not saved this run\n",
                        savedPath, Describe(result, size, why));
                saveRefused = true;
            }
        }
    } else {
        savedPath[0] = '\0';
    }
    LoadHighScores(startingFile);
    memcpy(SavedHighScoreTable, HighScoreTable, sizeof SavedHighScoreTable);
}

const char* SavedHighScoresPath() {
    return savedPath;
}

bool SaveHighScoreTable(const FileWriteSteps& steps) {
    if (savedPath[0] == '\0' || saveRefused) {
        return false;
    }
    if (!MakeDirectories(savedFolder)) {
        fprintf(stderr, "High scores not saved: cannot create %s: %s\n", savedFolder, strerror(errno));
        return false;
    }
    unsigned char image[kHighScoreFileSize];
    EncodeHighScores(SavedHighScoreTable, image);
    if (!WriteFileAtomically(savedPath, image, sizeof image, steps)) {
        fprintf(stderr, "High scores not saved to %s: %s\n", savedPath, strerror(errno));
        return false;
    }
    return true;
}

int RecordHighScore(const char* name, int32_t score, int32_t marked) {
    const int shownRow = InsertHighScore(HighScoreTable, name, score, marked);
    if (InsertHighScore(SavedHighScoreTable, name, score, marked) >= 0) {
        SaveHighScoreTable();
    }
    return shownRow;
}
