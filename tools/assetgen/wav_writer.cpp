// RIFF/WAVE writer: a canonical 44-byte header and little-endian 16-bit samples.
#include "wav_writer.h"

#include <cmath>
#include <cstdint>

namespace {

void Put(std::vector<uint8_t>& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes.push_back(uint8_t(value >> (8 * i)));
    }
}

}  // namespace

void WriteWav(AssetOutput& out, const std::string& relativePath, const std::vector<double>& samples) {
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    bytes.insert(bytes.end(), {'R', 'I', 'F', 'F'});
    Put(bytes, 36 + dataBytes, 4);
    bytes.insert(bytes.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(bytes, 16, 4);
    Put(bytes, 1, 2);  // PCM
    Put(bytes, 1, 2);  // mono
    Put(bytes, kWavRate, 4);
    Put(bytes, kWavRate * 2, 4);
    Put(bytes, 2, 2);
    Put(bytes, 16, 2);
    bytes.insert(bytes.end(), {'d', 'a', 't', 'a'});
    Put(bytes, dataBytes, 4);
    for (double s : samples) {
        double clipped = s > 1 ? 1 : (s < -1 ? -1 : s);
        auto value = int16_t(std::lround(clipped * 32767.0));
        Put(bytes, uint16_t(value), 2);
    }
    out.Write(relativePath, bytes);
}
