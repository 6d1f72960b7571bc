// Small sound files made by test code: a 4-channel module and a PCM WAV, so the audio tests do not
// depend on the generated game data.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace testfiles {

inline void PutBigEndian16(std::vector<uint8_t>& out, unsigned value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

inline void PutBytes(std::vector<uint8_t>& out, const void* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        out.push_back(static_cast<const uint8_t*>(bytes)[i]);
    }
}

inline void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// A one-pattern, one-position 4-channel module. Row 0 strikes a square-wave note on channel 0 that lasts
// noteSeconds and sets the speed (ticks per row) on channel 1; every other row is empty, so after the
// note the song is silent until it wraps (64 rows * speed * 20 ms at the default tempo).
inline std::vector<uint8_t> MakeModule(double noteSeconds = 0.25, int speed = 3) {
    constexpr unsigned kPeriod = 428;  // plays the sample at about 8287 Hz
    unsigned sampleBytes = static_cast<unsigned>(noteSeconds * 8287.0) & ~1u;
    std::vector<uint8_t> out;
    const char title[20] = "test song";
    PutBytes(out, title, 20);
    for (int sample = 0; sample < 31; ++sample) {
        char name[22] = {};
        PutBytes(out, name, 22);
        PutBigEndian16(out, sample == 0 ? sampleBytes / 2 : 0);  // length in words
        out.push_back(0);                                        // finetune
        out.push_back(sample == 0 ? 64 : 0);                     // volume
        PutBigEndian16(out, 0);                                  // loop start
        PutBigEndian16(out, 1);                                  // loop length: no loop
    }
    out.push_back(1);    // song length
    out.push_back(127);  // restart byte
    for (int i = 0; i < 128; ++i) {
        out.push_back(0);
    }
    const char tag[4] = {'M', '.', 'K', '.'};
    PutBytes(out, tag, 4);
    for (int row = 0; row < 64; ++row) {
        for (int channel = 0; channel < 4; ++channel) {
            uint8_t cell[4] = {};
            if (row == 0 && channel == 0) {
                cell[0] = static_cast<uint8_t>(kPeriod >> 8);  // sample 1: high nibble 0
                cell[1] = static_cast<uint8_t>(kPeriod & 0xFF);
                cell[2] = 0x10;  // sample 1 low nibble, no effect
            }
            if (row == 0 && channel == 1) {
                cell[2] = 0x0F;  // set speed
                cell[3] = static_cast<uint8_t>(speed);
            }
            PutBytes(out, cell, 4);
        }
    }
    for (unsigned i = 0; i < sampleBytes; ++i) {
        out.push_back(static_cast<uint8_t>((i / 8) % 2 == 0 ? 100 : -100));
    }
    return out;
}

// A 16-bit mono PCM WAV of a square wave at full scale / 2.
inline std::vector<uint8_t> MakeWav(double seconds = 0.3, uint32_t rate = 22050) {
    uint32_t frames = static_cast<uint32_t>(seconds * rate);
    uint32_t dataBytes = frames * 2;
    std::vector<uint8_t> out;
    auto text = [&out](const char* word) { PutBytes(out, word, 4); };
    text("RIFF");
    PutLittleEndian(out, 36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, 1, 2);  // PCM
    PutLittleEndian(out, 1, 2);  // mono
    PutLittleEndian(out, rate, 4);
    PutLittleEndian(out, rate * 2, 4);
    PutLittleEndian(out, 2, 2);
    PutLittleEndian(out, 16, 2);
    text("data");
    PutLittleEndian(out, dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        int16_t value = (i / 25) % 2 == 0 ? 16000 : -16000;
        PutLittleEndian(out, static_cast<uint16_t>(value), 2);
    }
    return out;
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    fclose(file);
    return bytes;
}

// Removes a test's scratch folder when the process ends, including a death-test child that ends in
// exit(1) before its TearDown could run.
inline void RemoveAtExit(const std::filesystem::path& folder) {
    static std::vector<std::filesystem::path> folders;
    if (folders.empty()) {
        std::atexit([] {
            for (const auto& path : folders) {
                std::error_code ignored;
                std::filesystem::remove_all(path, ignored);
            }
        });
    }
    folders.push_back(folder);
}

}  // namespace testfiles
