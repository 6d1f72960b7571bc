// The title menu: five buttons (four when the data folder has no picture of the daily game's) over rising,
// spinning stars, the credits and score screens in the lower
// half, and the fades that lead into a game or out of the program. The main loop owns the Menu and runs
// one MenuStep per frame while the application is in menu mode.
#pragma once

#include <SDL.h>

#include "app/finished_game.h"
#include "audio/vek_module.h"
#include "game/random_stream.h"
#include "gfx/wipe.h"

// HowToPlay is the About screen's second page: the rules and the keys, over the whole screen.
enum class MenuScreen : int {
    Main = 0,
    Credits = 1,
    Scores = 2,
    FadeIn = 3,
    FadeOut = 4,
    FadedOut = 5,
    HowToPlay = 6,
};
// Which screen the menu shows; it outlives each Menu, and every new Menu starts it at FadeIn.
extern MenuScreen menuScreen;

// What a Menu hands on once it has faded out; the values are those of AppMode it becomes.
enum class MenuAction : int { None = 0, Play = 1, Exit = 2, PlayDaily = 3 };

// What a band of the menu does; the bands run from the top in the order the layout gives.
enum class MenuButton : int { None = 0, Play, Daily, Scores, About, Exit };

struct MenuStar {
    float x = 0;  // centre
    float y = 0;
    float size = 0;   // outer radius
    float angle = 0;  // degrees, recomputed every frame from the clock
    float speed = 0;  // rise speed factor
    float spin = 0;   // degrees per 100 ms, signed
};

inline constexpr int kMenuStarCount = 25;
// After a game's name entry the menu opens on the score screen and takes no key or click for this long,
// so that a Return pressed once more after the name does not leave it unseen.
inline constexpr int kFinishedGameGuardMs = 500;
inline constexpr int kMenuButtonCount = 5;  // the most a layout has

struct Menu {
    MenuStar stars[kMenuStarCount];
    SDL_Surface* pointerImage = nullptr;
    SDL_Surface* titleImage = nullptr;
    SDL_Surface* footerImage = nullptr;
    SDL_Surface* scoresBackImage = nullptr;
    // By band, from the top: play, daily, scores, about, exit (without daily in the four-button layout).
    SDL_Surface* buttonImages[kMenuButtonCount] = {};
    SDL_Surface* buttonLitImages[kMenuButtonCount] = {};  // the same, highlighted
    int buttonCount = 4;                                  // 5 once the daily game's pictures are loaded
    SDL_Surface* fontImage = nullptr;
    SDL_Surface* creditsImage = nullptr;
    SDL_Surface* howToPlayImage = nullptr;  // may be missing: the About screen then has its first page only
    // The score screen's pictures for a finished game; each may be missing (the screen is then plainer).
    SDL_Surface* fontLitImage = nullptr;     // the lit row's and the result's letters
    SDL_Surface* rowLitImage = nullptr;      // the bar behind the lit row
    SDL_Surface* resultImage = nullptr;      // the two-line card
    SDL_Surface* resultLineImage = nullptr;  // the one-line card
    Uint8 wipeMap[kWipeMapSize] = {};
    MenuAction action = MenuAction::None;
    VEKModule music;
    float fadeLevel = 0;                // wipe level of the fades; the music volume is half of it
    int hoveredButton = 0;              // lit band: 0 none, 1 to buttonCount from the top
    SDL_Surface* backBuffer = nullptr;  // where the menu draws: the Screen, or its own copy of it
    // The arrow keys light a button until the pointer moves away from where it stood then.
    bool keyboardChoice = false;
    int keyboardPointerX = 0;
    int keyboardPointerY = 0;
    // The mouse button whose press skipped the logo intro: its release is not a click on the menu. (A key
    // needs no such care: the menu acts on presses, and that press was the intro's.)
    int ignoredButton = 0;
    RandomStream decorationRandom;  // the stars' places, sizes and spins
    // The screen the fade-in ends on: the buttons, or the score screen after a game's name entry.
    MenuScreen fadeInTo = MenuScreen::Main;
    FinishedGame finished;     // shown on the score screen until the player leaves it
    int32_t inputGuardMs = 0;  // keys and clicks are dropped while this runs down
};

// A new Menu for the current Screen, fading in, with its images, map and music loaded and its stars
// scattered below the screen.
Menu* CreateMenu();

// Loads the images in a fixed order; the first that fails goes to the error report as
// "Cannot Load <path>", which ends the program (when errors are not fatal the loading stops there and
// the map and music are not loaded). Then the how-to-play page, which may be missing (one line on stderr,
// once per run), the wipe map (zero-filled where the file is missing or short) and the music, started at
// once.
void LoadMenuResources(Menu* menu);

// The how-to-play page of the current language, or none (one line on stderr, the first time only).
void LoadHowToPlay(Menu* menu);

// Puts every star at a random place below the screen with a random size and spin.
void ScatterMenuStars(Menu* menu);

// One frame of the menu. Returns false when the Menu has faded out with an action and released itself:
// the caller must then forget its pointer.
[[nodiscard]] bool MenuStep(Menu* menu);

// Opens the menu (fading in) on the score screen with the game just finished: its row lit, its result and
// the score server's answer as it comes; keys and clicks wait kFinishedGameGuardMs.
void ShowFinishedGame(Menu* menu, const FinishedGame& game);

// The screen the player sees: during the fade-in, the one it leads to.
MenuScreen ShownMenuScreen(const Menu* menu);

// The menu does not act on the next release of this mouse button (0: none).
void IgnoreUntilReleased(Menu* menu, int button);

// The band whose rows hold the pointer's y (0 for none; x plays no part), and what a band does, in the
// menu's layout.
int MenuButtonAt(const Menu* menu, int y);
MenuButton MenuButtonOfBand(const Menu* menu, int band);

// Frees the Menu's images, its own drawing surface (never the Screen), its music, then the Menu.
void ReleaseMenu(Menu* menu);
