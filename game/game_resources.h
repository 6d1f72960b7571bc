// Everything a game loads: its images, the wipe map, the music and the nine sound effects. The Game is
// built on this (struct Game : GameResources, Board), so these are its first members.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "audio/vek_module.h"
#include "audio/vek_sample.h"
#include "gfx/wipe.h"

struct GameResources {
    SDL_Surface* pointerImage = nullptr;
    SDL_Surface* backImage = nullptr;
    SDL_Surface* panelImage = nullptr;
    SDL_Surface* blockImages[3] = {};  // colours 1, 2, 3
    SDL_Surface* bonusImages[3] = {};  // cell values 17, 18, 19
    SDL_Surface* blockLitImages[3] = {};
    SDL_Surface* bonusLitImages[3] = {};
    SDL_Surface* digitsImage = nullptr;
    SDL_Surface* smallDigitsImage = nullptr;
    SDL_Surface* fontImage = nullptr;
    SDL_Surface* gameOverImage = nullptr;
    SDL_Surface* hiscoreImage = nullptr;
    SDL_Surface* entryImage = nullptr;  // the name entry of a game that takes no place in the table
    SDL_Surface* perfectImage = nullptr;
    SDL_Surface* points5000Image = nullptr;
    SDL_Surface* bonusLifeImage = nullptr;
    SDL_Surface* wonLevelImage = nullptr;
    SDL_Surface* loseLevelImage = nullptr;
    SDL_Surface* wonGameImage = nullptr;
    SDL_Surface* bonus2xImage = nullptr;
    SDL_Surface* bonusAddLineImage = nullptr;
    SDL_Surface* bonus500Image = nullptr;
    SDL_Surface* bonus1000Image = nullptr;
    SDL_Surface* pauseImage = nullptr;  // covers the board while paused; may be missing (a plain cover then)
    VEKModule music;
    VEKSample bipSound;
    VEKSample doubleSound;
    VEKSample addLineSound;
    VEKSample gameOverSound;
    VEKSample lostSound;
    VEKSample perfectSound;
    VEKSample pointsSound;
    VEKSample timeSound;
    VEKSample lifeSound;
    Uint8 wipeMap[kWipeMapSize] = {};
    int32_t theme = 1;  // number of the theme folder in image paths (data/theme1)
    bool missingPictureReported = false;

    // Loads every image; unless imagesOnly, then the wipe map, the music (started) and the samples.
    void LoadResources(bool imagesOnly);
    // Frees every image that is present and empties its member.
    void FreeImages();

  private:
    void ReportMissingPicture(const char* path);
};
