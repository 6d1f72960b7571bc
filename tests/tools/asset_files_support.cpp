// Test helpers over the generated files (see asset_files_support.h).
#include "asset_files_support.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

RgbImage LoadRgb(const std::string& path) {
    RgbImage image;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (loaded == nullptr) {
        return image;
    }
    SDL_PixelFormat format = {};
    format.BitsPerPixel = 32;
    format.BytesPerPixel = 4;
    format.Rmask = 0x00FF0000;
    format.Gmask = 0x0000FF00;
    format.Bmask = 0x000000FF;
    format.Rshift = 16;
    format.Gshift = 8;
    format.Bshift = 0;
    SDL_Surface* converted = SDL_ConvertSurface(loaded, &format, 0);
    SDL_FreeSurface(loaded);
    if (converted == nullptr) {
        return image;
    }
    image.width = converted->w;
    image.height = converted->h;
    image.rgb.resize(size_t(image.width) * size_t(image.height) * 3);
    SDL_LockSurface(converted);
    for (int y = 0; y < converted->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(converted->pixels) +
                                                            y * converted->pitch);
        for (int x = 0; x < converted->w; ++x) {
            uint8_t* p = &image.rgb[(size_t(y) * size_t(image.width) + size_t(x)) * 3];
            p[0] = uint8_t(row[x] >> 16);
            p[1] = uint8_t(row[x] >> 8);
            p[2] = uint8_t(row[x]);
        }
    }
    SDL_UnlockSurface(converted);
    SDL_FreeSurface(converted);
    return image;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> ListFiles(const std::string& root) {
    std::vector<std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file()) {
            files.push_back(std::filesystem::relative(it->path(), root).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}
