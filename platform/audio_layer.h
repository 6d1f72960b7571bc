// The audio layer: MikMod's software mixer driven by SDL audio. MikMod runs on its no-sound driver and
// an SDL audio callback pulls mixed bytes from it, so the mixing happens on SDL's audio thread. Every
// MikMod call made from the main thread while the layer is open must hold AudioLock.
#pragma once

#include <SDL.h>

// MikMod's own types, declared rather than included: on Windows its header brings in <windows.h>, whose
// names (CreateMenu, min, max...) would reach every file that includes this one.
struct MODULE;
struct SAMPLE;

// Opens the layer: mixFrequency in Hz; bufferFrames is the length of SDL's audio buffer in sample
// frames; effectVoices is how many sound effects may sound at once (MikMod's sound-effect voices);
// outputMode picks the output samples: bit 0 for 16-bit (else 8-bit), bit 1 for stereo (else mono).
// Start-up passes 44100, 4096, 4, 3: 16-bit stereo at 44.1 kHz in buffers of about 93 ms, four effects.
// Initialises SDL's audio subsystem itself when SDL was started without it. Returns non-zero when
// the layer is ready; without a sound device it is not, loading still works and nothing is heard.
int SDLMikMod_Init(int mixFrequency, int bufferFrames, int effectVoices, int outputMode);
// Non-zero while the layer is open and mixing.
int SDLMikMod_IsReady();
// A module or sample read from the stream (left open), or null with MikMod_errno set. A sample, or a
// module instrument, that MikMod could not hand to its mixer (a damaged or truncated WAV, a header
// claiming gigabytes) is a failed load: what MikMod allocated for it is freed. Loading works whether
// or not the layer is ready.
MODULE* SDLMikMod_LoadModuleRW(SDL_RWops* stream);
SAMPLE* SDLMikMod_LoadSampleRW(SDL_RWops* stream);
// Closes SDL audio (if still open) and MikMod. Safe after SDL_Quit and when never opened.
void SDLMikMod_Quit();
// Whether MikMod itself is running (loading starts it). Its modules and samples die with it: freeing
// one after SDLMikMod_Quit would reach into tables that are gone.
bool MikModRunning();

// Holds the mixing thread off for its lifetime, so MikMod's player state can be changed safely.
class AudioLock {
  public:
    AudioLock();
    ~AudioLock();
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

  private:
    bool locked_;
};
