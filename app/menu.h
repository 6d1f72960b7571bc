// The title menu: four buttons over rising, spinning stars, the credits and score screens in the lower
// half, and the fades that lead into a game or out of the program. The main loop owns the Menu and runs
// one MenuStep per frame while the application is in menu mode.
#pragma once

#include <SDL.h>

#include "audio/vek_module.h"
#include "game/random_stream.h"
#include "gfx/wipe.h"

enum class MenuScreen : int { Main = 0, Credits = 1, Scores = 2, FadeIn = 3, FadeOut = 4, FadedOut = 5 };
// Which screen the menu shows; it outlives each Menu, and every new Menu starts it at FadeIn.
extern MenuScreen menuScreen;

// What a Menu hands on once it has faded out; the values are those of AppMode it becomes.
enum class MenuAction : int { None = 0, Play = 1, Exit = 2 };

struct MenuStar {
    float x = 0;  // centre
    float y = 0;
    float size = 0;   // outer radius
    float angle = 0;  // degrees, recomputed every frame from the clock
    float speed = 0;  // rise speed factor
    float spin = 0;   // degrees per 100 ms, signed
};

inline constexpr int kMenuStarCount = 25;
inline constexpr int kMenuButtonCount = 4;

struct Menu {
    MenuStar stars[kMenuStarCount];
    SDL_Surface* pointerImage = nullptr;
    SDL_Surface* titleImage = nullptr;
    SDL_Surface* footerImage = nullptr;
    SDL_Surface* scoresBackImage = nullptr;
    SDL_Surface* buttonImages[kMenuButtonCount] = {};     // play, scores, about, exit
    SDL_Surface* buttonLitImages[kMenuButtonCount] = {};  // the same, highlighted
    SDL_Surface* fontImage = nullptr;
    SDL_Surface* creditsImage = nullptr;
    Uint8 wipeMap[kWipeMapSize] = {};
    MenuAction action = MenuAction::None;
    VEKModule music;
    float fadeLevel = 0;                // wipe level of the fades; the music volume is half of it
    int hoveredButton = 0;              // lit button: 0 none, 1 play, 2 scores, 3 about, 4 exit
    SDL_Surface* backBuffer = nullptr;  // where the menu draws: the Screen, or its own copy of it
    // The arrow keys light a button until the pointer moves away from where it stood then.
    bool keyboardChoice = false;
    int keyboardPointerX = 0;
    int keyboardPointerY = 0;
    // The mouse button whose press skipped the logo intro: its release is not a click on the menu. (A key
    // needs no such care: the menu acts on presses, and that press was the intro's.)
    int ignoredButton = 0;
    RandomStream decorationRandom;  // the stars' places, sizes and spins
};

// A new Menu for the current Screen, fading in, with its images, map and music loaded and its stars
// scattered below the screen.
Menu* CreateMenu();

// Loads the images in a fixed order; the first that fails goes to the error report as
// "Cannot Load <path>", which ends the program (when errors are not fatal the loading stops there and
// the map and music are not loaded). Then the wipe map (zero-filled where the file is missing or short)
// and the music, started at once.
void LoadMenuResources(Menu* menu);

// Puts every star at a random place below the screen with a random size and spin.
void ScatterMenuStars(Menu* menu);

// One frame of the menu. Returns false when the Menu has faded out with an action and released itself:
// the caller must then forget its pointer.
[[nodiscard]] bool MenuStep(Menu* menu);

// The menu does not act on the next release of this mouse button (0: none).
void IgnoreUntilReleased(Menu* menu, int button);

// Frees the Menu's images, its own drawing surface (never the Screen), its music, then the Menu.
void ReleaseMenu(Menu* menu);

// The button whose band holds the pointer's y: 1 play, 2 scores, 3 about, 4 exit, 0 none. x plays no
// part.
int MenuButtonAt(int y);
