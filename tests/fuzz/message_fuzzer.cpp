// The score message's unscrambler over any bytes, and the round trip: a message it accepts scrambles
// back to exactly the bytes it was given, and any text survives scrambling and unscrambling.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "net/message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= kChecksumSize) {
        size_t length = size - kChecksumSize;
        std::unique_ptr<char[]> text = UnscrambleMessage(data, length);
        if (text != nullptr) {
            if (text[length] != '\0') {
                abort();
            }
            std::unique_ptr<uint8_t[]> again = ScrambleMessage(text.get(), length);
            if (memcmp(again.get(), data, size) != 0) {
                abort();
            }
        }
    }
    std::unique_ptr<uint8_t[]> scrambled = ScrambleMessage(reinterpret_cast<const char*>(data), size);
    if (scrambled[size + kChecksumSize] != 0) {
        abort();
    }
    std::unique_ptr<char[]> back = UnscrambleMessage(scrambled.get(), size);
    if (back == nullptr || memcmp(back.get(), data, size) != 0) {
        abort();
    }
    return 0;
}
