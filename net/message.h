// The score message's scrambling: each text byte is shifted by a byte of a seven-character key, and a
// 32-bit little-endian sum of the scrambled bytes follows them so the server can tell a damaged message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

inline constexpr char kMessageKey[] = "QBX1994";
inline constexpr size_t kMessageKeyLength = sizeof kMessageKey - 1;
inline constexpr size_t kChecksumSize = 4;

// N + 5 bytes: the N scrambled bytes, the checksum, and a 0 byte (which is not sent).
std::unique_ptr<uint8_t[]> ScrambleMessage(const char* text, size_t length);

// `bytes` holds N scrambled bytes followed by their checksum. Gives the N-byte text with a terminating
// 0, or null when the checksum does not match.
std::unique_ptr<char[]> UnscrambleMessage(const uint8_t* bytes, size_t length);
