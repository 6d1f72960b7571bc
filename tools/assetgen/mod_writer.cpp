// Module encoding (see mod_writer.h). Big-endian words, names padded with zeros.
#include "mod_writer.h"

#include <algorithm>

namespace {

const int kPeriods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                          428, 404, 381, 360, 340, 320, 302, 285, 269, 254, 240, 226,
                          214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

void PutName(std::vector<uint8_t>& bytes, const std::string& name, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        bytes.push_back(i < name.size() ? uint8_t(name[i]) : 0);
    }
}

void PutWord(std::vector<uint8_t>& bytes, int value) {
    bytes.push_back(uint8_t((value >> 8) & 0xFF));
    bytes.push_back(uint8_t(value & 0xFF));
}

}  // namespace

int ModPeriod(int note) {
    return note >= 0 && note < 36 ? kPeriods[note] : 0;
}

std::vector<uint8_t> EncodeMod(const ModSong& song) {
    std::vector<uint8_t> bytes;
    PutName(bytes, song.title, 20);
    for (size_t i = 0; i < 31; ++i) {
        if (i < song.instruments.size()) {
            const ModInstrument& in = song.instruments[i];
            PutName(bytes, in.name, 22);
            PutWord(bytes, int(in.data.size() / 2));
            bytes.push_back(uint8_t(in.finetune & 0x0F));
            bytes.push_back(uint8_t(std::clamp(in.volume, 0, 64)));
            PutWord(bytes, in.loopLength > 0 ? in.loopStart / 2 : 0);
            PutWord(bytes, in.loopLength > 0 ? in.loopLength / 2 : 1);
        } else {
            PutName(bytes, "", 22);
            PutWord(bytes, 0);
            bytes.push_back(0);
            bytes.push_back(0);
            PutWord(bytes, 0);
            PutWord(bytes, 1);
        }
    }
    bytes.push_back(uint8_t(song.order.size()));
    bytes.push_back(uint8_t(song.restart));
    for (size_t i = 0; i < 128; ++i) {
        bytes.push_back(i < song.order.size() ? uint8_t(song.order[i]) : 0);
    }
    if (song.channels == 4) {
        bytes.insert(bytes.end(), {'M', '.', 'K', '.'});
    } else {
        bytes.push_back(uint8_t('0' + song.channels));
        bytes.insert(bytes.end(), {'C', 'H', 'N'});
    }
    for (const ModPattern& pattern : song.patterns) {
        for (const ModCell& cell : pattern.cells) {
            int period = ModPeriod(cell.note);
            bytes.push_back(uint8_t((cell.instrument & 0xF0) | ((period >> 8) & 0x0F)));
            bytes.push_back(uint8_t(period & 0xFF));
            bytes.push_back(uint8_t(((cell.instrument & 0x0F) << 4) | (cell.effect & 0x0F)));
            bytes.push_back(uint8_t(cell.param & 0xFF));
        }
    }
    for (const ModInstrument& in : song.instruments) {
        for (int8_t s : in.data) {
            bytes.push_back(uint8_t(s));
        }
    }
    return bytes;
}
