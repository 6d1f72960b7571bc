// The settings reader over any text: whatever the bytes, it finds at most one value, and that value is
// one line's text after its '=' (never a piece of an over-long line, never across a line end).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::string section = input.ConsumeRandomLengthString(16);
    std::string key = input.ConsumeRandomLengthString(16);
    std::string text = input.ConsumeRemainingBytesAsString();
    for (const auto& [s, k] : {std::pair<std::string, std::string>{"Game", "Lang"}, {section, key}}) {
        std::string value;
        if (FindProfileValue(text, s, k, value)) {
            if (value.find('\n') != std::string::npos || value.size() > kProfileLineLimit ||
                text.find(value) == std::string::npos) {
                abort();
            }
        }
    }
    return 0;
}
