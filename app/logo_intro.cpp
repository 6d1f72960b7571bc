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
#include "platform/presentation.h"
#include "platform/quit_signal.h"
#include "platform/regular_file.h"

namespace {

constexpr float kRevealEnd = 400.0f;
constexpr float kCoverEnd = -10.0f;
constexpr double kMsPerLevel = 10.0;

void DrawIntroFrame(SDL_Surface* logo, const LogoIntroClock& clock, const Uint8* map) {
    SDL_Rect whole = {0, 0, kScreenWidth, kScreenHeight};
    SDL_Rect at = {0, 0, 0, 0};
    SDL_BlitSurface(logo, &whole, Shared.screen, &at);
    DrawWipe(Shared.screen, static_cast<int>(clock.wipeLevel), map);
    PresentScreen();
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

LogoIntroSkip TakeIntroSkip() {
    LogoIntroSkip skip;
    SDL_Event event;
    // Keys and buttons only (a turn of the wheel counts as a click, a controller's button as a key); the
    // rest stays queued for the menu.
    auto next = [&event]() {
        return SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_KEYDOWN, SDL_KEYUP) > 0 ||
               SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_MOUSEBUTTONDOWN, SDL_MOUSEWHEEL) > 0 ||
               SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLERBUTTONDOWN) >
                   0;
    };
    while (next()) {
        if (event.type == SDL_KEYDOWN && event.key.repeat != 0) {
            continue;
        }
        if (!skip.skipped && (event.type == SDL_MOUSEWHEEL || event.type == SDL_CONTROLLERBUTTONDOWN)) {
            skip.skipped = true;
            skip.released = true;
        } else if (!skip.skipped && event.type == SDL_KEYDOWN) {
            skip.skipped = true;
            skip.key = event.key.keysym.sym;
        } else if (!skip.skipped && event.type == SDL_MOUSEBUTTONDOWN) {
            skip.skipped = true;
            skip.button = event.button.button;
        } else if (skip.skipped) {
            const bool keyUp =
                event.type == SDL_KEYUP && skip.button == 0 && event.key.keysym.sym == skip.key;
            const bool buttonUp = event.type == SDL_MOUSEBUTTONUP && skip.key == SDLK_UNKNOWN &&
                                  event.button.button == skip.button;
            skip.released = skip.released || keyUp || buttonUp;
        }
    }
    return skip;
}

LogoIntroSkip RunLogoIntro(const char* path) {
    SDL_Surface* loaded = LoadRegularImage(path);
    if (loaded == nullptr) {
        fprintf(stderr, "file not found : %s\n", path);
        fprintf(stderr, "%s\n", SDL_GetError());
        return {};
    }
    SDL_Surface* logo = ConvertToScreenFormat(loaded);
    SDL_FreeSurface(loaded);
    if (logo == nullptr) {
        return {};
    }
    // Without the map file the intro runs as the menu and the game fade: all at once.
    std::vector<Uint8> map(kWipeMapSize);
    LoadWipeMap(kWipeMapFileName, map.data());
    LogoIntroClock clock;
    LogoIntroSkip skip;
    do {
        // The reveal pumps before reading the clock and the cover after.
        if (!clock.covering) {
            SDL_PumpEvents();
            AdvanceLogoIntro(clock, SDL_GetTicks());
        } else {
            uint32_t ticks = SDL_GetTicks();
            SDL_PumpEvents();
            AdvanceLogoIntro(clock, ticks);
        }
        // The player has seen it before: a press ends it here, on black, as the full intro would.
        skip = TakeIntroSkip();
        if (skip.skipped) {
            SDL_FillRect(Shared.screen, nullptr, 0);
            PresentScreen();
            break;
        }
        DrawIntroFrame(logo, clock, map.data());
    } while (ContinueLogoIntro(clock) && !QuitSignalReceived());
    SDL_FreeSurface(logo);
    return skip;
}
