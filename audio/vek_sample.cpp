// Sound effect over MikMod (see vek_sample.h).
#include "audio/vek_sample.h"

#include <mikmod.h>

#include "platform/audio_layer.h"
#include "res/error_report.h"
#include "res/resource_access.h"

namespace {

void FreeSample(SAMPLE*& sample) {
    if (sample != nullptr && MikModRunning()) {
        AudioLock lock;
        Sample_Free(sample);
    }
    sample = nullptr;
}

}  // namespace

VEKSample::~VEKSample() {
    FreeSample(sample);
}

bool VEKSample::Load(const char* resourcePath) {
    // Reloaded into the same object every level: the old sample must not leak.
    FreeSample(sample);
    SDL_RWops* stream = OpenResourceStream(resourcePath);
    if (stream != nullptr) {
        sample = SDLMikMod_LoadSampleRW(stream);
        SDL_RWclose(stream);
    }
    if (sample == nullptr) {
        ReportError("Couldn't Load Sample: %s\n", resourcePath);
        return false;
    }
    sample->panning = PAN_CENTER;
    return true;
}

int VEKSample::Play() {
    if (SDLMikMod_IsReady() == 0 || sample == nullptr) {
        return -1;
    }
    AudioLock lock;
    return Sample_Play(sample, 0, SFX_CRITICAL);
}

void VEKSample::SetVolume(int newVolume) {
    sample->volume = static_cast<UBYTE>(newVolume & 0xFF);
}

void VEKSample::SetPanning(int panning) {
    sample->panning = static_cast<SWORD>(panning & 0xFFFF);
}

long double VEKSample::GetDuration() const {
    return static_cast<long double>(static_cast<uint32_t>(sample->length)) /
           static_cast<long double>(static_cast<uint32_t>(sample->speed));
}
