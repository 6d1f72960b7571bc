// The nine sound effects of a game, written to data/sound/*.wav.
#pragma once

#include <string>
#include <vector>

#include "output.h"

struct SoundEffect {
    std::string name;             // file name without .wav
    std::vector<double> samples;  // mono, kWavRate per second, peak below 1
};

std::vector<SoundEffect> MakeSoundEffects();
void WriteSoundEffects(AssetOutput& out);
