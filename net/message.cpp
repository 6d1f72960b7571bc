// Score message scrambling (see message.h).
#include "net/message.h"

std::unique_ptr<uint8_t[]> ScrambleMessage(const char* text, size_t length) {
    auto bytes = std::make_unique<uint8_t[]>(length + kChecksumSize + 1);
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        uint8_t scrambled =
            static_cast<uint8_t>(static_cast<unsigned char>(text[i]) +
                                 static_cast<unsigned char>(kMessageKey[i % kMessageKeyLength]));
        bytes[i] = scrambled;
        sum += scrambled;
    }
    for (size_t k = 0; k < kChecksumSize; ++k) {
        bytes[length + k] = static_cast<uint8_t>(sum >> (8 * k));
    }
    bytes[length + kChecksumSize] = 0;
    return bytes;
}

std::unique_ptr<char[]> UnscrambleMessage(const uint8_t* bytes, size_t length) {
    uint32_t expected = 0;
    for (size_t k = 0; k < kChecksumSize; ++k) {
        expected |= static_cast<uint32_t>(bytes[length + k]) << (8 * k);
    }
    auto text = std::make_unique<char[]>(length + 1);
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        sum += bytes[i];
        text[i] = static_cast<char>(
            static_cast<uint8_t>(bytes[i] - static_cast<unsigned char>(kMessageKey[i % kMessageKeyLength])));
    }
    text[length] = '\0';
    if (sum != expected) {
        return nullptr;
    }
    return text;
}
