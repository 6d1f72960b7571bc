// Resource paths and archive bytes: any path through the stream and file-name routes, and any archive
// file searched for a member, read whole through its stream and extracted to the temporary file. A
// stream that comes back must hold exactly the member's size and close cleanly.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "res/resource_access.h"

namespace {

void ReadWhole(SDL_RWops* stream) {
    if (stream == nullptr) {
        return;
    }
    const Sint64 size = SDL_RWseek(stream, 0, RW_SEEK_END);
    SDL_RWseek(stream, 0, RW_SEEK_SET);
    const size_t length = size > 0 ? static_cast<size_t>(size) : 0;
    std::vector<uint8_t> buffer(length);
    if (length > 0 && SDL_RWread(stream, buffer.data(), 1, length) != length) {
        abort();
    }
    SDL_RWclose(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EnterFuzzScratchFolder();
    FuzzedDataProvider input(data, size);
    char out[kResourcePathSize];
    if (input.ConsumeBool()) {
        // Any resource path; the folder holds only the archive of earlier runs, so these mostly fail.
        std::string path = input.ConsumeRemainingBytesAsString();
        ReadWhole(OpenResourceStream(path.c_str()));
        ResolveResourceFile(path.c_str(), out, sizeof out);
        return 0;
    }
    static const char* const kMembers[] = {"sound/bip.wav", "SOUND/BIP.WAV", "a", "empty", "dir/", ""};
    std::string member = input.ConsumeBool() ? kMembers[input.ConsumeIntegralInRange<size_t>(0, 5)]
                                             : input.ConsumeRandomLengthString(64);
    std::vector<uint8_t> archive = input.ConsumeRemainingBytes<uint8_t>();
    if (!WriteFuzzFile("fuzz.zip", archive.data(), archive.size())) {
        return 0;
    }
    ReadWhole(OpenResourceStream(("zip:fuzz.zip," + member).c_str()));
    ReadWhole(OpenArchiveMemberStream("fuzz.zip", member.c_str()));
    ExtractArchiveMember("fuzz.zip", member.c_str(), out, sizeof out);
    return 0;
}
