// Composition and instruments of the music. Pitched instruments are single-cycle waves built by additive
// synthesis (so they carry no aliasing), with their attack and decay baked into the first cycles and the
// last cycles looped as the sustain. Drums are one-shot samples made for playback at the note C-3.
//
// Form, in A minor at 125 beats a minute (speed 6, 64 rows = 4 bars per pattern):
//   intro, verse 1, verse 2, chorus 1, chorus 2, bridge, verse 1, chorus 2, turnaround
// The turnaround ends on E major, which resolves into verse 1 when the song loops (the intro plays once).
#include "music.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>

#include "synth.h"

namespace {

constexpr int kChannels = 6;
enum Channel { kLead = 0, kEcho = 1, kBass = 2, kStab = 3, kDrums = 4, kHats = 5 };
enum Instrument { kLeadSample = 1, kBassSample, kStabSample, kKick, kSnare, kHat, kOpenHat, kBell, kCrash };
constexpr int kDrumNote = 24;  // C-3: drums are made for the rate this note plays at
constexpr double kDrumRate = 3546895.0 / 214.0;

std::vector<int8_t> ToBytes(const std::vector<double>& wave, double peak = 0.95) {
    double loudest = 1e-9;
    for (double v : wave) {
        loudest = std::max(loudest, std::fabs(v));
    }
    std::vector<int8_t> bytes(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) {
        bytes[i] = int8_t(std::lround(wave[i] / loudest * peak * 127.0));
    }
    if (bytes.size() % 2 != 0) {
        bytes.push_back(0);
    }
    return bytes;
}

// A cycled instrument: `cycles` cycles of `period` samples; harmonic amplitude and level may change per
// cycle up to the sustain part, whose cycles are identical so the loop is seamless.
ModInstrument Cycled(const std::string& name, int period, int cycles, int loopCycles,
                     const std::function<double(int harmonic, double progress)>& harmonic,
                     const std::function<double(double progress)>& level, int volume) {
    std::vector<double> wave;
    const int shaped = cycles - loopCycles;
    for (int k = 0; k < cycles; ++k) {
        double progress = double(std::min(k, shaped)) / double(shaped);
        double amp = level(progress);
        for (int n = 0; n < period; ++n) {
            double v = 0;
            for (int h = 1; h < period / 2; ++h) {
                v += harmonic(h, progress) * std::sin(synth::kTau * h * n / period);
            }
            wave.push_back(v * amp);
        }
    }
    ModInstrument in;
    in.name = name;
    in.data = ToBytes(wave);
    in.loopStart = shaped * period;
    in.loopLength = loopCycles * period;
    in.volume = volume;
    in.finetune = 1;  // a cycle of 32 or 64 samples runs a little flat of concert pitch
    return in;
}

ModInstrument OneShot(const std::string& name, double seconds, const std::function<double(double t)>& sample,
                      int volume) {
    std::vector<double> wave;
    const int count = int(seconds * kDrumRate);
    for (int i = 0; i < count; ++i) {
        double t = double(i) / kDrumRate;
        wave.push_back(sample(t) * synth::EdgeFade(t, seconds, 0.01));
    }
    ModInstrument in;
    in.name = name;
    in.data = ToBytes(wave);
    in.data[0] = in.data[1] = 0;
    in.volume = volume;
    return in;
}

std::vector<ModInstrument> MakeInstruments() {
    std::vector<ModInstrument> list;
    // Lead: a bright pulse-saw whose brightness settles after the attack.
    list.push_back(Cycled(
        "lead", 32, 96, 8,
        [](int h, double p) {
            double bright = 1.0 - 0.6 * std::sqrt(p);
            return (h % 2 == 1 ? 1.0 : 0.55) / h * std::exp(-(h - 1) * (0.35 - 0.3 * bright));
        },
        [](double p) { return p < 0.02 ? 0.7 : 1.0 - 0.4 * p; }, 46));
    // Bass: a plucked saw.
    list.push_back(Cycled(
        "bass", 64, 160, 4, [](int h, double p) { return 1.0 / h * std::exp(-(h - 1) * (0.12 + 0.5 * p)); },
        [](double p) { return 1.0 - 0.5 * p; }, 58));
    // Chord stabs: soft square that dies away quickly.
    list.push_back(Cycled(
        "stab", 64, 120, 4,
        [](int h, double p) {
            return (h % 2 == 1 ? 1.0 / h : 0.15 / h) * std::exp(-(h - 1) * (0.15 + 0.3 * p));
        },
        [](double p) { return 0.12 + 0.88 * std::exp(-p * 4); }, 30));
    synth::Noise noise(1234);
    list.push_back(OneShot(
        "kick", 0.3,
        [phase = 0.0](double t) mutable {
            double f = 45 + 140 * std::exp(-t / 0.035);
            phase += f / kDrumRate;
            return std::sin(synth::kTau * phase) * std::exp(-t / 0.12);
        },
        64));
    list.push_back(OneShot(
        "snare", 0.22,
        [noise, low = synth::LowPass(), phase = 0.0](double t) mutable {
            phase += 185 / kDrumRate;
            double tone = std::sin(synth::kTau * phase) * std::exp(-t / 0.04);
            double hiss = low.Run(noise.Next(), 6500, kDrumRate) * std::exp(-t / 0.07);
            return tone * 0.6 + hiss * 1.2;
        },
        50));
    auto hat = [](double decay, uint32_t seed) {
        return [n = synth::Noise(seed), low = synth::LowPass(), decay](double t) mutable {
            double x = n.Next();
            return (x - low.Run(x, 2500, kDrumRate)) * std::exp(-t / decay);
        };
    };
    list.push_back(OneShot("hat", 0.06, hat(0.014, 77), 34));
    list.push_back(OneShot("open hat", 0.25, hat(0.07, 78), 28));
    // Bell: a glassy partial mix for the intro's motif.
    list.push_back(Cycled(
        "bell", 32, 240, 2,
        [](int h, double p) {
            switch (h) {
                case 1:
                    return 1.0;
                case 2:
                    return 0.35 * std::exp(-p * 3);
                case 3:
                    return 0.5 * std::exp(-p * 6);
                case 5:
                    return 0.25 * std::exp(-p * 10);
                default:
                    return 0.0;
            }
        },
        [](double p) { return 0.03 + 0.97 * std::exp(-p * 4); }, 34));
    // Crash: a long bright wash that marks the start of a section.
    list.push_back(OneShot(
        "crash", 1.2,
        [n = synth::Noise(91), low = synth::LowPass(), ring = 0.0](double t) mutable {
            double x = n.Next();
            ring += 5300 / kDrumRate;
            double hiss = x - low.Run(x, 3500, kDrumRate);
            return (hiss + 0.15 * std::sin(synth::kTau * ring) * x) * std::exp(-t / 0.35);
        },
        30));
    return list;
}

// "A2" -> note 21 (octaves 1 to 3 of the module's note range), "C#3" -> 25.
int ParseNote(const std::string& token) {
    static const int semis[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int semi = semis[token[0] - 'A'];
    size_t pos = 1;
    if (token[pos] == '#') {
        ++semi;
        ++pos;
    }
    int octave = token[pos] - '0';
    return semi + 12 * (octave - 1);
}

std::vector<std::string> Tokens(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> tokens;
    std::string token;
    while (in >> token) {
        if (token != "|") {
            tokens.push_back(token);
        }
    }
    return tokens;
}

struct Chord {
    const char* root;  // in octave 1, e.g. "A1"
    bool minor;
};

enum class Drums { Light, Full, FullWithFill };

struct Section {
    Chord chords[4];
    const char* lead;  // 32 eighth notes: a note, "." hold, "-" silence
    Drums drums;
    bool bell;
    bool crash = false;  // a cymbal on the first beat
};

void WriteMelody(ModPattern& p, int channel, const std::string& melody, int instrument, int rowShift,
                 int volume) {
    std::vector<std::string> tokens = Tokens(melody);
    int held = 0;
    for (size_t i = 0; i < tokens.size() && i < 32; ++i) {
        int row = int(i) * 2 + rowShift;
        if (row >= kModRows) {
            break;
        }
        ModCell& cell = p.At(row, channel);
        const std::string& t = tokens[i];
        if (t == ".") {
            ++held;
            if (held >= 2 && channel == kLead) {
                cell.effect = 4;  // vibrato on long notes
                cell.param = 0x42;
                if (row + 1 < kModRows) {
                    p.At(row + 1, channel).effect = 4;
                    p.At(row + 1, channel).param = 0x42;
                }
            }
        } else if (t == "-") {
            cell.effect = 0xC;
            cell.param = 0;
            held = 0;
        } else {
            cell.note = ParseNote(t);
            cell.instrument = instrument;
            if (volume >= 0) {
                cell.effect = 0xC;
                cell.param = volume;
            }
            held = 0;
        }
    }
}

void WriteHarmony(ModPattern& p, const Section& s) {
    for (int bar = 0; bar < 4; ++bar) {
        const Chord& chord = s.chords[bar];
        int root = ParseNote(chord.root);
        // Bass: an eighth-note line that jumps to the octave and the fifth.
        const int steps[8] = {0, -1, 0, 12, 0, -1, 7, 12};
        for (int i = 0; i < 8; ++i) {
            if (steps[i] < 0) {
                continue;
            }
            ModCell& cell = p.At(bar * 16 + i * 2, kBass);
            cell.note = root + steps[i];
            cell.instrument = kBassSample;
        }
        // Chord stabs on the off-beats, spelled by the arpeggio effect.
        for (int beat = 0; beat < 4; ++beat) {
            for (int r = 0; r < 2; ++r) {
                ModCell& cell = p.At(bar * 16 + beat * 4 + 2 + r, kStab);
                if (r == 0) {
                    cell.note = root + 12;
                    cell.instrument = kStabSample;
                }
                cell.effect = 0;
                cell.param = chord.minor ? 0x37 : 0x47;
            }
        }
        if (s.bell) {
            // The intro's motif: root, fifth, octave, tenth, falling back.
            const int motif[8] = {0, 7, 12, chord.minor ? 15 : 16, 12, 7, 12, 19};
            for (int i = 0; i < 8; ++i) {
                ModCell& cell = p.At(bar * 16 + i * 2, kLead);
                int note = root + 12 + motif[i];
                while (note > 35) {  // keep within the module's three octaves, in the same pitch class
                    note -= 12;
                }
                cell.note = note;
                cell.instrument = kBell;
            }
        }
    }
}

void WriteDrums(ModPattern& p, Drums style) {
    for (int row = 0; row < kModRows; ++row) {
        int inBar = row % 16;
        int bar = row / 16;
        bool fill = style == Drums::FullWithFill && bar == 3 && inBar >= 8;
        ModCell& d = p.At(row, kDrums);
        if (fill) {
            d.note = kDrumNote;
            d.instrument = (inBar % 4 == 0) ? kKick : kSnare;
            d.effect = 0xC;
            d.param = 24 + (inBar - 8) * 5;
        } else if (inBar == 0 || inBar == 8 || (style != Drums::Light && inBar == 10 && bar % 2 == 1)) {
            d.note = kDrumNote;
            d.instrument = kKick;
        } else if ((inBar == 4 || inBar == 12) && (style != Drums::Light || bar >= 2)) {
            d.note = kDrumNote;
            d.instrument = kSnare;
        }
        ModCell& h = p.At(row, kHats);
        if (row % 2 == 0) {
            h.note = kDrumNote;
            h.instrument = (inBar == 14 && style != Drums::Light) ? kOpenHat : kHat;
            h.effect = 0xC;
            h.param = inBar % 4 == 2 ? 40 : 26;
        } else if (style != Drums::Light && (inBar == 7 || inBar == 15)) {
            h.note = kDrumNote;
            h.instrument = kHat;
            h.effect = 0xC;
            h.param = 18;
        }
    }
}

ModPattern MakePattern(const Section& s) {
    ModPattern p(kChannels);
    WriteHarmony(p, s);
    if (s.lead != nullptr) {
        WriteMelody(p, kLead, s.lead, kLeadSample, 0, -1);
        WriteMelody(p, kEcho, s.lead, kLeadSample, 3, 14);  // a quiet echo three rows behind
    }
    WriteDrums(p, s.drums);
    if (s.crash) {
        ModCell& c = p.At(0, kHats);
        c.instrument = kCrash;
        c.effect = 0;
        c.param = 0;
    }
    return p;
}

}  // namespace

ModSong ComposeSong() {
    ModSong song;
    song.title = "quz theme";
    song.channels = kChannels;
    song.instruments = MakeInstruments();
    const Chord verse[4] = {{"A1", true}, {"F1", false}, {"C1", false}, {"G1", false}};
    const Chord chorus[4] = {{"F1", false}, {"G1", false}, {"E1", true}, {"A1", true}};
    const Chord bridge[4] = {{"D1", true}, {"A1", true}, {"A#1", false}, {"E1", false}};
    const Chord turn[4] = {{"A1", true}, {"F1", false}, {"G1", false}, {"E1", false}};
    const Section sections[] = {
        // 0 intro
        {{verse[0], verse[1], verse[2], verse[3]}, nullptr, Drums::Light, true},
        // 1 verse 1
        {{verse[0], verse[1], verse[2], verse[3]},
         "E3 . . C3 D3 . E3 . | F3 . E3 . D3 . C3 . | E3 . . G3 . . E3 D3 | D3 . . . - . B2 .",
         Drums::Full,
         false,
         true},
        // 2 verse 2
        {{verse[0], verse[1], verse[2], verse[3]},
         "E3 . . C3 D3 . E3 . | A3 . G3 . F3 . E3 . | G3 . . E3 . . C3 D3 | D3 . B2 . G2 . - .",
         Drums::Full,
         false},
        // 3 chorus 1
        {{chorus[0], chorus[1], chorus[2], chorus[3]},
         "C3 . A2 . C3 . F3 . | D3 . B2 . D3 . G3 . | E3 . . G3 . . B3 . | A3 . . . . . - .",
         Drums::Full,
         false,
         true},
        // 4 chorus 2
        {{chorus[0], chorus[1], chorus[2], chorus[3]},
         "C3 . A2 . C3 . F3 . | G3 . F3 . E3 . D3 . | E3 . B2 . E3 . G3 . | A3 . . . G3 . E3 .",
         Drums::FullWithFill,
         false},
        // 5 bridge
        {{bridge[0], bridge[1], bridge[2], bridge[3]},
         "F3 . . E3 D3 . A2 . | C3 . . B2 A2 . E2 . | D3 . F3 . A#2 . D3 . | G#2 . B2 . E3 . . .",
         Drums::Full,
         false,
         true},
        // 6 turnaround, ending on the dominant that leads back to the intro
        {{turn[0], turn[1], turn[2], turn[3]},
         "A3 . . . E3 . . . | F3 . . . C3 . . . | D3 . . . B2 . G2 . | G#2 . B2 . D3 . E3 .",
         Drums::FullWithFill,
         false},
    };
    for (const Section& s : sections) {
        song.patterns.push_back(MakePattern(s));
    }
    // Speed 6 ticks a row at 125 beats a minute, set at the start of the song.
    song.patterns[0].At(0, kEcho).effect = 0xF;
    song.patterns[0].At(0, kEcho).param = 6;
    song.patterns[0].At(1, kEcho).effect = 0xF;
    song.patterns[0].At(1, kEcho).param = 125;
    // Softer stereo than the classic hard left and right: lead and echo apart, bass and kick centred.
    const int pans[kChannels][2] = {{0, 0x58}, {2, 0xA8}, {0, 0x80}, {0, 0x60}, {2, 0x80}, {1, 0xB0}};
    for (int channel = 0; channel < kChannels; ++channel) {
        ModCell& cell = song.patterns[0].At(pans[channel][0], channel);
        if (cell.effect == 0 && cell.param == 0) {
            cell.effect = 8;
            cell.param = pans[channel][1];
        }
    }
    song.order = {0, 1, 2, 3, 4, 5, 1, 4, 6};
    // The intro is heard once: the song loops back to verse 1, which the turnaround resolves into. The
    // header's restart position says so, but not every player reads it (MikMod's loader, the game's own
    // player, does not), so the turnaround's last row also jumps there. Speed, tempo and panning are set
    // on the intro's first rows and stay set across the loop.
    song.restart = 1;
    ModCell& jump = song.patterns[song.order.back()].At(kModRows - 1, kBass);
    jump.effect = 0xB;
    jump.param = song.restart;
    return song;
}

void WriteMusic(AssetOutput& out) {
    out.Write("sound/1.zik", EncodeMod(ComposeSong()));
}
