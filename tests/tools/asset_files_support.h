// Helpers for the tests of the generated data/ folder: reading PNGs into plain RGB arrays and files
// into bytes, from the build folder where the tests run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes per pixel, row after row
    bool Loaded() const { return width > 0; }
    const uint8_t* At(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    bool IsKey(int x, int y) const {
        const uint8_t* p = At(x, y);
        return p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
    double Luma(int x, int y) const {
        const uint8_t* p = At(x, y);
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
};

RgbImage LoadRgb(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);
// Every file below `root`, as paths relative to it, sorted.
std::vector<std::string> ListFiles(const std::string& root);
