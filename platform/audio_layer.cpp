// The audio layer over MikMod and SDL audio (see audio_layer.h).
#include "platform/audio_layer.h"

#include <mikmod.h>

#include <climits>
#include <cstdio>

namespace {

// Everything below is touched from the main thread only; the mixing thread only runs MixAudio.
bool loadersRegistered = false;
bool mikmodStarted = false;
bool audioOpen = false;
bool audioSubsystemOurs = false;

constexpr int kDefaultFrequency = 44100;
constexpr int kDefaultEffectVoices = 4;
constexpr int kDefaultOutputMode = 3;

// MikMod's own mixer, run on its no-sound driver: nothing of MikMod talks to a device, SDL does.
bool StartMikMod(int mixFrequency, int effectVoices, int outputMode) {
    if (mikmodStarted) {
        return true;
    }
    if (!loadersRegistered) {
        MikMod_RegisterDriver(&drv_nos);
        MikMod_RegisterAllLoaders();
        loadersRegistered = true;
    }
    if (mixFrequency < 4000 || mixFrequency > 65535) {
        mixFrequency = kDefaultFrequency;
    }
    md_mixfreq = static_cast<UWORD>(mixFrequency);
    md_mode = static_cast<UWORD>(DMODE_SOFT_MUSIC | DMODE_SOFT_SNDFX | DMODE_INTERP |
                                 ((outputMode & 1) != 0 ? DMODE_16BITS : 0) |
                                 ((outputMode & 2) != 0 ? DMODE_STEREO : 0));
    md_device = 0;
    if (MikMod_Init("") != 0) {
        return false;
    }
    // With no effect voice at all, stopping the music would switch MikMod's output off under the mixer.
    if (effectVoices < 1) {
        effectVoices = 1;
    }
    MikMod_SetNumVoices(-1, effectVoices);
    mikmodStarted = true;
    return true;
}

void SDLCALL MixAudio(void* /*userData*/, Uint8* stream, int length) {
    VC_WriteBytes(reinterpret_cast<SBYTE*>(stream), static_cast<ULONG>(length));
}

// A MikMod reader over an SDL stream, behaving like MikMod's own file reader (end-of-file is seen only
// once a read has run past the end; positions are relative to the loader's io base).
struct StreamReader {
    MREADER core;
    SDL_RWops* stream;
    bool atEnd;
};

StreamReader* AsStreamReader(MREADER* reader) {
    return reinterpret_cast<StreamReader*>(reader);
}

int ReaderSeek(MREADER* reader, long offset, int whence) {
    StreamReader* self = AsStreamReader(reader);
    long target = whence == SEEK_SET ? offset + reader->iobase : offset;
    self->atEnd = false;
    return SDL_RWseek(self->stream, target, whence) < 0 ? -1 : 0;
}

long ReaderTell(MREADER* reader) {
    return static_cast<long>(SDL_RWtell(AsStreamReader(reader)->stream)) - reader->iobase;
}

BOOL ReaderRead(MREADER* reader, void* destination, size_t size) {
    StreamReader* self = AsStreamReader(reader);
    if (size == 0) {
        return 1;
    }
    if (SDL_RWread(self->stream, destination, 1, size) != size) {
        self->atEnd = true;
        return 0;
    }
    return 1;
}

int ReaderGet(MREADER* reader) {
    StreamReader* self = AsStreamReader(reader);
    unsigned char byte = 0;
    if (SDL_RWread(self->stream, &byte, 1, 1) != 1) {
        self->atEnd = true;
        return EOF;
    }
    return byte;
}

BOOL ReaderEof(MREADER* reader) {
    return AsStreamReader(reader)->atEnd ? 1 : 0;
}

StreamReader MakeReader(SDL_RWops* stream) {
    StreamReader reader{};
    reader.core.Seek = ReaderSeek;
    reader.core.Tell = ReaderTell;
    reader.core.Read = ReaderRead;
    reader.core.Get = ReaderGet;
    reader.core.Eof = ReaderEof;
    reader.core.iobase = 0;
    reader.core.prev_iobase = 0;
    reader.stream = stream;
    reader.atEnd = false;
    return reader;
}

}  // namespace

AudioLock::AudioLock() : locked_(audioOpen && SDL_WasInit(SDL_INIT_AUDIO) != 0) {
    if (locked_) {
        SDL_LockAudio();
    }
}

AudioLock::~AudioLock() {
    if (locked_) {
        SDL_UnlockAudio();
    }
}

int SDLMikMod_Init(int mixFrequency, int bufferFrames, int effectVoices, int outputMode) {
    if (audioOpen) {
        return 1;
    }
    if (!StartMikMod(mixFrequency, effectVoices, outputMode)) {
        return 0;
    }
    // Start-up drops audio from SDL_Init when there is no device; try once more here, on our own.
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return 0;
        }
        audioSubsystemOurs = true;
    }
    // MikMod must be producing output before the callback first asks for bytes.
    MikMod_EnableOutput();
    if (bufferFrames < 256 || bufferFrames > 32768) {
        bufferFrames = 4096;
    }
    SDL_AudioSpec desired{};
    desired.freq = md_mixfreq;
    desired.format = (md_mode & DMODE_16BITS) != 0 ? AUDIO_S16SYS : AUDIO_U8;
    desired.channels = (md_mode & DMODE_STEREO) != 0 ? 2 : 1;
    desired.samples = static_cast<Uint16>(bufferFrames);
    desired.callback = MixAudio;
    // No "obtained" spec: SDL converts to the device for us, so MikMod's bytes always fit the buffer.
    if (SDL_OpenAudio(&desired, nullptr) < 0) {
        if (audioSubsystemOurs) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            audioSubsystemOurs = false;
        }
        return 0;
    }
    audioOpen = true;
    SDL_PauseAudio(0);
    return 1;
}

bool MikModRunning() {
    return mikmodStarted;
}

int SDLMikMod_IsReady() {
    return audioOpen && SDL_WasInit(SDL_INIT_AUDIO) != 0 ? 1 : 0;
}

MODULE* SDLMikMod_LoadModuleRW(SDL_RWops* stream) {
    if (stream == nullptr || !StartMikMod(kDefaultFrequency, kDefaultEffectVoices, kDefaultOutputMode)) {
        return nullptr;
    }
    StreamReader reader = MakeReader(stream);
    // Loading changes MikMod's voice tables, which the mixer reads.
    AudioLock lock;
    MODULE* module = Player_LoadGeneric(&reader.core, 64, 0);
    if (module == nullptr) {
        return nullptr;
    }
    // A damaged instrument comes back with no mixer handle; playing it would make the mixer read
    // through that handle, so the whole module counts as unreadable.
    for (int i = 0; i < module->numsmp; ++i) {
        const SAMPLE& sample = module->samples[i];
        if (sample.length > 0 && sample.handle < 0) {
            Player_Free(module);
            if (MikMod_errno == 0) {
                MikMod_errno = MMERR_SAMPLE_TOO_BIG;
            }
            return nullptr;
        }
    }
    return module;
}

SAMPLE* SDLMikMod_LoadSampleRW(SDL_RWops* stream) {
    if (stream == nullptr || !StartMikMod(kDefaultFrequency, kDefaultEffectVoices, kDefaultOutputMode)) {
        return nullptr;
    }
    StreamReader reader = MakeReader(stream);
    AudioLock lock;
    MikMod_errno = 0;
    SAMPLE* sample = Sample_LoadGeneric(&reader.core);
    if (sample != nullptr && sample->handle < 0) {
        // A truncated or lying WAV: MikMod hands back the record without any sample data in the mixer.
        // Sample_Free would unload handle -1 (out of the mixer's table), so only the record is freed.
        MikMod_free(sample);
        if (MikMod_errno == 0) {
            MikMod_errno = MMERR_SAMPLE_TOO_BIG;
        }
        return nullptr;
    }
    return sample;
}

void SDLMikMod_Quit() {
    if (audioOpen) {
        // After SDL_Quit the device is already closed and SDL's audio is gone.
        if (SDL_WasInit(SDL_INIT_AUDIO) != 0) {
            SDL_CloseAudio();
        }
        audioOpen = false;
    }
    if (audioSubsystemOurs) {
        if (SDL_WasInit(SDL_INIT_AUDIO) != 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
        audioSubsystemOurs = false;
    }
    if (mikmodStarted) {
        MikMod_Exit();
        mikmodStarted = false;
    }
}
