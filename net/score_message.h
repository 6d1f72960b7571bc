// The score message's eight TAB-separated fields, shared by the game that writes them and the score
// server that reads them, so that both sides agree on the layout by construction.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/message.h"

// The message text never exceeds 1023 characters: a longer one is not sent at all (a cut one would
// carry a wrong score, which comes last).
inline constexpr int kScoreMessageSize = 1024;
inline constexpr size_t kScoreTextLimit = kScoreMessageSize - 1;
// The most a well-formed message takes on the wire: the longest text and its checksum.
inline constexpr size_t kScoreWireLimit = kScoreTextLimit + kChecksumSize;

inline constexpr size_t kScoreFieldCount = 8;
enum ScoreField : size_t {
    kFieldIdentity,
    kFieldTag,
    kFieldClientTag,
    kFieldCredential,
    kFieldPlayerName,
    kFieldGameName,
    kFieldMode,
    kFieldScore,
};

inline constexpr char kScoreTag[] = "SVEK";
inline constexpr char kVariantScoreTag[] = "RVEK";

// What the game puts in the three fixed fields, and what a server expects unless told otherwise.
inline constexpr char kDefaultClientTag[] = "vektcp";
inline constexpr char kDefaultCredential[] = "wf418352";
inline constexpr char kDefaultGameName[] = "quz";
inline constexpr char kDefaultMode[] = "NORMAL";

struct ScoreFields {
    uint32_t identity = 0;
    bool variant = false;
    const char* clientTag = kDefaultClientTag;
    const char* credential = kDefaultCredential;
    const char* playerName = "";
    const char* gameName = kDefaultGameName;
    const char* mode = kDefaultMode;
    int32_t score = 0;
};

// Writes the message text into text[size]. False when it does not fit (the text is then unusable). The
// settings are read with a precision so that one filled to the last byte of its buffer is not read past.
bool FormatScoreText(char* text, size_t size, const ScoreFields& fields);

// Cuts the text at its TABs. False unless there are exactly eight fields; the views point into text.
bool SplitScoreText(std::string_view text, std::array<std::string_view, kScoreFieldCount>* fields);
