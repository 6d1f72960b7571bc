// The logo intro (see logo_intro.h).
#include "app/logo_intro.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <vector>

#include "game/shared_state.h"
#include "gfx/wipe.h"
#include "gfx/wipe_map_file.h"
#include "platform/frame_limiter.h"

namespace {

constexpr float kRevealEnd = 400.0f;
constexpr float kCoverEnd = -10.0f;
constexpr double kMsPerLevel = 10.0;

void DrawIntroFrame(SDL_Surface* logo, const LogoIntroClock& clock, const Uint8* map) {
    SDL_Rect whole = {0, 0, kScreenWidth, kScreenHeight};
    SDL_Rect at = {0, 0, 0, 0};
    SDL_BlitSurface(logo, &whole, Shared.screen, &at);
    DrawWipe(Shared.screen, static_cast<int>(clock.wipeLevel), map);
    SDL_Flip(Shared.screen);
    frameLimiter.EndFrame();
}

}  // namespace

void AdvanceLogoIntro(LogoIntroClock& clock, uint32_t ticks) {
    auto now = static_cast<int32_t>(ticks);
    int32_t& previous = clock.covering ? clock.coverTick : clock.revealTick;
    int32_t step = previous == -1 ? 1 : now - previous;
    previous = now;
    double delta = step / kMsPerLevel;
    clock.wipeLevel = static_cast<float>(clock.covering ? clock.wipeLevel - delta : clock.wipeLevel + delta);
}

bool ContinueLogoIntro(LogoIntroClock& clock) {
    if (!clock.covering) {
        if (clock.wipeLevel >= kRevealEnd) {
            clock.wipeLevel = kRevealEnd;
            clock.covering = true;
        }
        return true;
    }
    return clock.wipeLevel > kCoverEnd;
}

void RunLogoIntro(const char* path) {
    SDL_Surface* loaded = IMG_Load(path);
    if (loaded == nullptr) {
        fprintf(stderr, "file not found : %s\n", path);
        fprintf(stderr, "%s\n", SDL_GetError());
        return;
    }
    SDL_Surface* logo = SDL_ConvertSurface(loaded, Shared.screen->format, 0);
    SDL_FreeSurface(loaded);
    if (logo == nullptr) {
        return;
    }
    // Both phases need the whole map; without it there is no intro rather than a broken one.
    std::vector<Uint8> map(kWipeMapSize);
    if (!ReadWipeMapFile(kWipeMapFileName, map.data())) {
        SDL_FreeSurface(logo);
        return;
    }
    LogoIntroClock clock;
    do {
        // The reveal pumps before reading the clock and the cover after; either way events stay queued.
        if (!clock.covering) {
            SDL_PumpEvents();
            AdvanceLogoIntro(clock, SDL_GetTicks());
        } else {
            uint32_t ticks = SDL_GetTicks();
            SDL_PumpEvents();
            AdvanceLogoIntro(clock, ticks);
        }
        DrawIntroFrame(logo, clock, map.data());
    } while (ContinueLogoIntro(clock));
    SDL_FreeSurface(logo);
}
