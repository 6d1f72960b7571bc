// Sound effects, each built from a few tones and noise bursts. Every effect is normalised to its own peak
// and faded at both ends; their loudness (RMS) stays within a few decibels of each other, the tick that
// repeats every second included.
#include "sound_effects.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "synth.h"
#include "wav_writer.h"

namespace {

using synth::NoteHz;

enum class Wave { Sine, Square, Pulse, Triangle, Saw };

struct Tone {
    double start, length;  // seconds
    double fromHz, toHz;   // exponential glide over the tone
    Wave wave;
    double amplitude;
    double attack = 0.004, decay = 0.2;
    double vibratoHz = 0, vibratoDepth = 0;  // depth in semitones
};

class Mix {
  public:
    explicit Mix(double seconds) : samples_(size_t(seconds * kWavRate), 0.0) {}
    void Add(const Tone& tone) {
        double phase = 0;
        size_t first = size_t(tone.start * kWavRate);
        size_t count = size_t(tone.length * kWavRate);
        for (size_t i = 0; i < count && first + i < samples_.size(); ++i) {
            double t = double(i) / kWavRate;
            double glide = tone.fromHz * std::pow(tone.toHz / tone.fromHz, t / tone.length);
            double vib = tone.vibratoDepth * std::sin(synth::kTau * tone.vibratoHz * t);
            double dt = glide * std::pow(2.0, vib / 12.0) / kWavRate;
            phase += dt;
            double v = 0;
            switch (tone.wave) {
                case Wave::Sine:
                    v = synth::Sine(phase);
                    break;
                case Wave::Square:
                    v = synth::SmoothPulse(phase, dt) * 0.6;
                    break;
                case Wave::Pulse:
                    v = synth::SmoothPulse(phase, dt, 0.25) * 0.6;
                    break;
                case Wave::Triangle:
                    v = synth::Triangle(phase);
                    break;
                case Wave::Saw:
                    v = synth::SmoothSaw(phase, dt) * 0.6;
                    break;
            }
            double env =
                synth::AttackDecay(t, tone.attack, tone.decay) * synth::EdgeFade(t, tone.length, 0.01);
            samples_[first + i] += v * env * tone.amplitude;
        }
    }
    void AddNoise(double start, double length, double cutoffFrom, double cutoffTo, double amplitude,
                  double decay, uint32_t seed) {
        synth::Noise noise(seed);
        synth::LowPass filter;
        size_t first = size_t(start * kWavRate);
        size_t count = size_t(length * kWavRate);
        for (size_t i = 0; i < count && first + i < samples_.size(); ++i) {
            double t = double(i) / kWavRate;
            double cutoff = cutoffFrom * std::pow(cutoffTo / cutoffFrom, t / length);
            double v = filter.Run(noise.Next(), cutoff, kWavRate);
            samples_[first + i] +=
                v * amplitude * synth::AttackDecay(t, 0.002, decay) * synth::EdgeFade(t, length, 0.01);
        }
    }
    // Soft low-pass over the whole mix, to take the edge off square waves.
    void Mellow(double cutoff) {
        synth::LowPass a, b;
        for (double& s : samples_) {
            s = b.Run(a.Run(s, cutoff, kWavRate), cutoff, kWavRate);
        }
    }
    // Soft clipping: raises the body of a short sound against its first peak, without hard edges.
    void Saturate(double drive) {
        double loudest = 1e-9;
        for (double sample : samples_) {
            loudest = std::max(loudest, std::fabs(sample));
        }
        for (double& sample : samples_) {
            sample = std::tanh(drive * sample / loudest);
        }
    }
    std::vector<double> Finish(double peak) {
        double loudest = 1e-9;
        for (double s : samples_) {
            loudest = std::max(loudest, std::fabs(s));
        }
        double length = double(samples_.size()) / kWavRate;
        for (size_t i = 0; i < samples_.size(); ++i) {
            samples_[i] *= peak / loudest * synth::EdgeFade(double(i) / kWavRate, length, 0.015);
        }
        samples_.front() = 0;
        samples_.back() = 0;
        return samples_;
    }

  private:
    std::vector<double> samples_;
};

std::vector<double> Bip() {  // a group is removed: a short bright pop
    Mix m(0.13);
    m.Add({0, 0.13, 660, 1320, Wave::Sine, 1.0, 0.002, 0.035});
    m.Add({0, 0.13, 1320, 2640, Wave::Triangle, 0.25, 0.002, 0.02});
    return m.Finish(0.6);
}

std::vector<double> Double() {  // the 2x bonus: two rising chimes
    Mix m(0.55);
    m.Add({0.00, 0.25, NoteHz(84), NoteHz(84), Wave::Pulse, 0.8, 0.003, 0.09});
    m.Add({0.00, 0.25, NoteHz(96), NoteHz(96), Wave::Sine, 0.4, 0.003, 0.06});
    m.Add({0.11, 0.44, NoteHz(91), NoteHz(91), Wave::Pulse, 0.8, 0.003, 0.14, 7, 0.15});
    m.Add({0.11, 0.44, NoteHz(103), NoteHz(103), Wave::Sine, 0.4, 0.003, 0.1});
    m.Mellow(6000);
    return m.Finish(0.7);
}

std::vector<double> AddLine() {  // a new line drops in: a short falling thud
    Mix m(0.2);
    m.Add({0, 0.2, 260, 70, Wave::Square, 0.9, 0.002, 0.06});
    m.Add({0, 0.2, 130, 45, Wave::Sine, 1.0, 0.002, 0.08});
    m.AddNoise(0, 0.1, 3000, 400, 0.8, 0.025, 11);
    m.Mellow(2500);
    return m.Finish(0.7);
}

std::vector<double> GameOver() {  // a slow falling minor phrase ending low
    Mix m(1.9);
    const double notes[4] = {67, 63, 60, 55};
    for (int i = 0; i < 4; ++i) {
        double start = 0.28 * i;
        double len = i == 3 ? 1.9 - start : 0.32;
        m.Add({start, len, NoteHz(notes[i]), NoteHz(notes[i] - (i == 3 ? 0.6 : 0)), Wave::Square, 0.7, 0.01,
               i == 3 ? 0.5 : 0.25, 5, i == 3 ? 0.25 : 0});
        m.Add({start, len, NoteHz(notes[i] - 12), NoteHz(notes[i] - 12), Wave::Triangle, 0.6, 0.01,
               i == 3 ? 0.6 : 0.25});
    }
    m.Mellow(1800);
    return m.Finish(0.75);
}

std::vector<double> Lost() {  // a life is lost: a sliding "wah-wah" down
    Mix m(1.05);
    const double notes[3] = {64, 63, 62};
    for (int i = 0; i < 3; ++i) {
        double start = 0.22 * i;
        m.Add({start, i == 2 ? 0.6 : 0.24, NoteHz(notes[i]), NoteHz(notes[i] - (i == 2 ? 2.5 : 0.3)),
               Wave::Saw, 0.8, 0.02, i == 2 ? 0.35 : 0.15, 6, i == 2 ? 0.3 : 0});
    }
    m.Add({0.66, 0.39, NoteHz(48), NoteHz(46), Wave::Triangle, 0.5, 0.02, 0.2});
    m.Mellow(1400);
    return m.Finish(0.7);
}

std::vector<double> Perfect() {  // an empty board: a rising major arpeggio with sparkle
    Mix m(1.4);
    const double notes[5] = {72, 76, 79, 84, 88};
    for (int i = 0; i < 5; ++i) {
        double start = 0.08 * i;
        m.Add({start, 1.4 - start, NoteHz(notes[i]), NoteHz(notes[i]), Wave::Pulse, 0.45, 0.003, 0.35, 6,
               0.08});
        m.Add(
            {start, 1.4 - start, NoteHz(notes[i] + 12), NoteHz(notes[i] + 12), Wave::Sine, 0.2, 0.003, 0.25});
    }
    for (int i = 0; i < 6; ++i) {
        double start = 0.45 + 0.11 * i;
        double note = 96 + ((i * 5) % 9);
        m.Add({start, 0.2, NoteHz(note), NoteHz(note), Wave::Sine, 0.18, 0.002, 0.05});
    }
    m.Mellow(7000);
    return m.Finish(0.75);
}

std::vector<double> Points() {  // points bonus: a two-note coin
    Mix m(0.42);
    m.Add({0.0, 0.08, NoteHz(83), NoteHz(83), Wave::Pulse, 0.8, 0.002, 0.2});
    m.Add({0.07, 0.35, NoteHz(88), NoteHz(88), Wave::Pulse, 0.8, 0.002, 0.12});
    m.Mellow(8000);
    return m.Finish(0.65);
}

// The idle penalty: a round wooden tock. It is the only warning that points are draining, so it sits
// as loud as the other effects; its strength is in the low middle, with a short soft attack and no
// bright noise, so that hearing it once a second does not grate.
std::vector<double> Tick() {
    Mix m(0.12);
    m.Add({0, 0.12, 620, 500, Wave::Sine, 1.0, 0.0015, 0.045});
    m.Add({0, 0.12, 1560, 1400, Wave::Sine, 0.22, 0.0015, 0.014});
    m.Add({0, 0.12, 190, 150, Wave::Sine, 0.45, 0.002, 0.035});
    m.AddNoise(0, 0.02, 2200, 900, 0.25, 0.003, 23);
    m.Saturate(1.2);
    return m.Finish(0.6);
}

std::vector<double> Life() {  // a life earned: a quick rising jingle
    Mix m(0.75);
    const double notes[6] = {76, 79, 88, 84, 86, 91};
    for (int i = 0; i < 6; ++i) {
        double start = 0.075 * i;
        double len = i == 5 ? 0.75 - start : 0.1;
        m.Add(
            {start, len, NoteHz(notes[i]), NoteHz(notes[i]), Wave::Square, 0.6, 0.003, i == 5 ? 0.15 : 0.08});
    }
    m.Mellow(5000);
    return m.Finish(0.7);
}

}  // namespace

std::vector<SoundEffect> MakeSoundEffects() {
    return {{"bip", Bip()},           {"2x", Double()}, {"addline", AddLine()},
            {"gameover", GameOver()}, {"lost", Lost()}, {"perfect", Perfect()},
            {"points", Points()},     {"time", Tick()}, {"life", Life()}};
}

void WriteSoundEffects(AssetOutput& out) {
    for (const SoundEffect& effect : MakeSoundEffects()) {
        WriteWav(out, "sound/" + effect.name + ".wav", effect.samples);
    }
}
