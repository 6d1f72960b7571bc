// Writes mono 16-bit PCM WAV files from floating-point samples (-1..1).
#pragma once

#include <string>
#include <vector>

#include "output.h"

constexpr int kWavRate = 44100;

void WriteWav(AssetOutput& out, const std::string& relativePath, const std::vector<double>& samples);
