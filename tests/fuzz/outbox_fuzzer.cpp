// The outbox file's reader over any bytes (the file is the player's, and may be anything), and the
// round trip: what it reads writes back to text that reads the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "net/outbox_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<PendingScore> scores;
    DecodeOutbox(text, &scores);
    std::vector<PendingScore> again;
    if (!DecodeOutbox(EncodeOutbox(scores), &again) || again.size() != scores.size()) {
        abort();
    }
    for (size_t i = 0; i < scores.size(); ++i) {
        if (strcmp(scores[i].name, again[i].name) != 0 || strcmp(scores[i].mode, again[i].mode) != 0 ||
            scores[i].score != again[i].score || scores[i].replay != again[i].replay) {
            abort();
        }
    }
    return 0;
}
