// Music module over MikMod (see vek_module.h).
#include "audio/vek_module.h"

#include <mikmod.h>

#include "platform/audio_layer.h"
#include "res/error_report.h"
#include "res/resource_access.h"

namespace {

constexpr int kStartVolume = 60;
constexpr int kMaxVolume = 128;

}  // namespace

VEKModule::~VEKModule() {
    Release();
}

bool VEKModule::Load(const char* resourcePath) {
    // The game reloads its music into the same object every level: the old module must not leak.
    Release();
    SDL_RWops* stream = OpenResourceStream(resourcePath);
    if (stream == nullptr) {
        ReportError("Couldn't Load Module: %s\n", resourcePath);
        return false;
    }
    module = SDLMikMod_LoadModuleRW(stream);
    SDL_RWclose(stream);
    if (module == nullptr) {
        ReportError("Cannot Load Module: '%s' \n mikmod said: '%s'", resourcePath,
                    MikMod_strerror(MikMod_errno));
        return false;
    }
    // Music plays for as long as its screen lasts: at its end it goes round again, and the jump back that
    // the song may carry on its last row (to loop past an intro) is followed.
    module->wrap = 1;
    module->loop = 1;
    module->initvolume = 0;
    return true;
}

void VEKModule::Start() {
    if (SDLMikMod_IsReady() == 0 || module == nullptr) {
        return;
    }
    if (!playing) {
        AudioLock lock;
        Player_Start(module);
        volume = kStartVolume;
        Player_SetVolume(static_cast<SWORD>(volume));
    }
    playing = true;
}

void VEKModule::Stop() {
    if (SDLMikMod_IsReady() == 0) {
        return;
    }
    if (playing && module != nullptr) {
        // The player keeps running silently from the top, so the next Start is heard from the beginning.
        // Writing the position fields alone would resume at the second row (the player steps before it
        // reads a row) with the old notes still sounding; the player's own rewind fetches row 0 afresh.
        AudioLock lock;
        Player_SetVolume(0);
        if (Player_GetModule() == module) {
            Player_SetPosition(0);
        } else {
            module->sngpos = 0;
            module->patpos = 0;
        }
    }
    playing = false;
}

void VEKModule::Mute() {
    if (SDLMikMod_IsReady() == 0) {
        return;
    }
    if (playing) {
        AudioLock lock;
        Player_SetVolume(0);
    }
    playing = false;
}

void VEKModule::SetVolume(int newVolume) {
    if (SDLMikMod_IsReady() == 0) {
        return;
    }
    volume = newVolume < 0 ? 0 : (newVolume > kMaxVolume ? kMaxVolume : newVolume);
    AudioLock lock;
    Player_SetVolume(static_cast<SWORD>(volume));
}

void VEKModule::Release() {
    Stop();
    playing = false;
    if (module != nullptr && MikModRunning()) {
        AudioLock lock;
        Player_Free(module);
    }
    module = nullptr;
}

int VEKModule::GetSongPosition() const {
    return module->sngpos;
}

void VEKModule::SetSongPosition(int position) {
    AudioLock lock;
    module->sngpos = static_cast<SWORD>(position);
}

unsigned VEKModule::GetRow() const {
    return module->patpos;
}

unsigned VEKModule::GetSongLength() const {
    return module->numpos;
}
