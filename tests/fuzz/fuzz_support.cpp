// Fuzz target helpers (see fuzz_support.h).
#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string scratch;

void RemoveScratch() {
    if (!scratch.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }
}

}  // namespace

void EnterFuzzScratchFolder() {
    if (!scratch.empty()) {
        return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "quz_fuzz_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
        fprintf(stderr, "cannot make a scratch folder under %s\n", pattern.c_str());
        abort();
    }
    scratch = pattern;
    atexit(RemoveScratch);
}

bool WriteFuzzFile(const char* path, const uint8_t* bytes, size_t size) {
    FILE* file = fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = size == 0 || fwrite(bytes, 1, size, file) == size;
    return fclose(file) == 0 && ok;
}

SDL_Surface* MakeFuzzSurface(int depth, int width, int height) {
    struct Layout {
        int bits;
        Uint32 red, green, blue;
    };
    constexpr Layout kLayouts[kFuzzDepthCount] = {
        {8, 0, 0, 0},
        {15, 0x7C00, 0x3E0, 0x1F},
        {16, 0x7C00, 0x3E0, 0x1F},
        {16, 0xF800, 0x7E0, 0x1F},
        {24, 0xFF0000, 0xFF00, 0xFF},
        {32, 0xFF0000, 0xFF00, 0xFF},
    };
    const Layout& layout = kLayouts[depth % kFuzzDepthCount];
    SDL_Surface* surface =
        SDL_CreateRGBSurface(0, width, height, layout.bits, layout.red, layout.green, layout.blue, 0);
    if (surface != nullptr) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 40, 80, 120));
    }
    return surface;
}
