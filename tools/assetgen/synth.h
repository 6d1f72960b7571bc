// Small sound-synthesis kit shared by the effects and the module's instruments: oscillators with phase
// kept by the caller, envelopes, a one-pole filter and deterministic noise.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace synth {

constexpr double kTau = 6.283185307179586;

inline double Saw(double phase) {
    return 2.0 * (phase - std::floor(phase + 0.5));
}
inline double Square(double phase, double duty = 0.5) {
    return (phase - std::floor(phase)) < duty ? 1.0 : -1.0;
}
inline double Triangle(double phase) {
    double p = phase - std::floor(phase);
    return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
}
inline double Sine(double phase) {
    return std::sin(kTau * phase);
}

// Band-limited step correction (polyBLEP) for a discontinuity at phase 0; `dt` is the phase step per sample.
inline double Blep(double p, double dt) {
    if (p < dt) {
        p /= dt;
        return p + p - p * p - 1.0;
    }
    if (p > 1.0 - dt) {
        p = (p - 1.0) / dt;
        return p * p + p + p + 1.0;
    }
    return 0.0;
}
// Saw and pulse without the aliasing of their naive forms.
inline double SmoothSaw(double phase, double dt) {
    double p = phase - std::floor(phase);
    return 2.0 * p - 1.0 - Blep(p, dt);
}
inline double SmoothPulse(double phase, double dt, double duty = 0.5) {
    double p = phase - std::floor(phase);
    double q = p + (1.0 - duty);
    q -= std::floor(q);
    return (p < duty ? 1.0 : -1.0) + Blep(p, dt) - Blep(q, dt);
}

// Attack-decay envelope: linear rise over `attack` seconds, then exponential fall with time constant `decay`.
inline double AttackDecay(double t, double attack, double decay) {
    if (t < attack) {
        return t / attack;
    }
    return std::exp(-(t - attack) / decay);
}

// Raised-cosine fade of the last `fade` seconds of a sound of `length` seconds (and the first 2 ms), so
// that every effect starts and ends at silence without a click.
inline double EdgeFade(double t, double length, double fade) {
    double in = t < 0.002 ? t / 0.002 : 1.0;
    double left = length - t;
    double out = left < fade ? 0.5 - 0.5 * std::cos(left / fade * 3.141592653589793) : 1.0;
    return in * (left <= 0 ? 0.0 : out);
}

class Noise {
  public:
    explicit Noise(uint32_t seed) : state_(seed | 1u) {}
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return double(state_ & 0xFFFFFF) / double(0x800000) - 1.0;
    }

  private:
    uint32_t state_;
};

// One-pole low-pass; `cutoff` in Hz.
class LowPass {
  public:
    double Run(double in, double cutoff, double rate) {
        double k = 1.0 - std::exp(-kTau * cutoff / rate);
        out_ += (in - out_) * k;
        return out_;
    }

  private:
    double out_ = 0;
};

inline double NoteHz(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

}  // namespace synth
