// The title menu (see menu.h).
#include "app/menu.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/high_scores.h"
#include "app/main_loop.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "gfx/surface_copy.h"
#include "gfx/triangle.h"
#include "gfx/wipe_map_file.h"
#include "net/score_sender.h"
#include "platform/input.h"
#include "platform/presentation.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "res/error_report.h"

MenuScreen menuScreen = MenuScreen::Main;

namespace {

constexpr const char kMenuMusic[] = "data/sound/1.zik";

// Top of each button's hit band and of the footer below the last one; a band ends where the next begins.
// The four-button layout is the menu of a data folder without the daily game's pictures.
constexpr int kBandTops[kMenuButtonCount + 1] = {251, 289, 327, 365, 403, 441};
constexpr int kFourBandTops[4 + 1] = {251, 294, 336, 378, 420};
constexpr MenuButton kBands[kMenuButtonCount] = {MenuButton::Play, MenuButton::Daily, MenuButton::Scores,
                                                 MenuButton::About, MenuButton::Exit};
constexpr MenuButton kFourBands[4] = {MenuButton::Play, MenuButton::Scores, MenuButton::About,
                                      MenuButton::Exit};

const int* BandTops(const Menu* menu) {
    return menu->buttonCount == kMenuButtonCount ? kBandTops : kFourBandTops;
}
constexpr int kLowerHalfTop = 251;
constexpr int kLowerHalfHeight = 229;
constexpr int kPointerSize = 32;
constexpr Uint8 kPointerAlpha = 150;
constexpr int kStarReturnY = 500;
// The pill of a button picture, where its label is.
constexpr int kPillLeft = 170;
constexpr int kPillWidth = 300;
// The result card of a finished game: centred, its foot just above the title's edge.
constexpr int kResultCardWidth = 576;
constexpr int kResultCardHeight = 56;
constexpr int kResultLineCardHeight = 34;
constexpr int kResultCardBottom = 246;

// The fades move the level by one per 5 ms; the fade-out ends once it is past this level, after a
// short hold in black.
constexpr float kFadeMsPerLevel = 5.0f;
constexpr float kFadeOutEnd = -50.0f;
constexpr float kFadeInEnd = 256.0f;

// Loads an image converted to the Screen's format; null when it cannot be read.
SDL_Surface* LoadConverted(const char* path, bool colourKey) {
    SDL_Surface* loaded = LoadRegularImage(path);
    if (loaded == nullptr) {
        return nullptr;
    }
    SDL_Surface* converted = ConvertToScreenFormat(loaded);
    SDL_FreeSurface(loaded);
    if (converted != nullptr && colourKey) {
        SDL_SetColorKey(converted, SDL_TRUE, 0);
    }
    return converted;
}

// Copies the top-left w by h of image to (x, y); a missing image draws nothing.
void Blit(SDL_Surface* image, int w, int h, SDL_Surface* target, int x, int y) {
    if (image == nullptr) {
        return;
    }
    CopyRect(image, 0, 0, w, h, target, x, y);
}

void FreeImage(SDL_Surface*& image) {
    if (image != nullptr) {
        SDL_FreeSurface(image);
        image = nullptr;
    }
}

// The rules and keys cover the whole screen, with no star passing over them.
void DrawHowToPlay(Menu* menu) {
    Blit(menu->howToPlayImage, kScreenWidth, kScreenHeight, menu->backBuffer, 0, 0);
}

void DrawLowerHalf(Menu* menu) {
    SDL_Surface* target = menu->backBuffer;
    switch (ShownMenuScreen(menu)) {
        case MenuScreen::Credits:
            Blit(menu->creditsImage, kScreenWidth, kLowerHalfHeight, target, 0, kLowerHalfTop);
            break;
        case MenuScreen::Scores:
            Blit(menu->scoresBackImage, kScreenWidth, kLowerHalfHeight, target, 0, kLowerHalfTop);
            DrawHighScores(
                target, menu->fontImage,
                {menu->finished.shown ? menu->finished.litRow : -1, menu->fontLitImage, menu->rowLitImage});
            break;
        default: {
            const int* tops = BandTops(menu);
            for (int i = 0; i < menu->buttonCount; ++i) {
                SDL_Surface* image =
                    menu->hoveredButton == i + 1 ? menu->buttonLitImages[i] : menu->buttonImages[i];
                Blit(image, kScreenWidth, tops[i + 1] - tops[i], target, 0, tops[i]);
            }
            const int footerTop = tops[menu->buttonCount];
            Blit(menu->footerImage, kScreenWidth, kScreenHeight - footerTop, target, 0, footerTop);
            break;
        }
    }
}

// The lit button's pill goes back over the stars, so a star passing never hides the label it points at.
void DrawLitLabelOverStars(Menu* menu) {
    const MenuScreen shown = ShownMenuScreen(menu);
    const bool buttonsShown =
        shown != MenuScreen::Credits && shown != MenuScreen::Scores && shown != MenuScreen::HowToPlay;
    const int lit = menu->hoveredButton;
    if (!buttonsShown || lit < 1 || lit > menu->buttonCount || menu->buttonLitImages[lit - 1] == nullptr) {
        return;
    }
    const int* tops = BandTops(menu);
    CopyRect(menu->buttonLitImages[lit - 1], kPillLeft, 0, kPillWidth, tops[lit] - tops[lit - 1],
             menu->backBuffer, kPillLeft, tops[lit - 1]);
}

void MoveAndDrawStars(Menu* menu) {
    SDL_Surface* target = menu->backBuffer;
    Uint32 yellow = SDL_MapRGB(target->format, 255, 255, 0);
    for (MenuStar& star : menu->stars) {
        star.y =
            static_cast<float>(star.y - static_cast<double>(Shared.frameClock.deltaMs) * star.speed * 0.02);
        if (star.y < -star.size) {
            star.y = kStarReturnY;
            star.x = static_cast<float>(menu->decorationRandom.Next() % kScreenWidth);
        }
        star.angle = static_cast<float>(0.01 * Shared.frameClock.totalMs * star.spin);
        DrawStar(target, static_cast<int>(star.x), static_cast<int>(star.y), static_cast<int>(star.size),
                 static_cast<int>(star.angle), yellow);
    }
}

void ApplyFade(Menu* menu) {
    float step = static_cast<float>(Shared.frameClock.deltaMs) / kFadeMsPerLevel;
    if (menuScreen == MenuScreen::FadeIn) {
        menu->fadeLevel += step;
        if (menu->fadeLevel <= kFadeInEnd) {
            menu->music.SetVolume(static_cast<int>(menu->fadeLevel * 0.5f));
            DrawWipe(menu->backBuffer, static_cast<int>(menu->fadeLevel), menu->wipeMap);
        } else {
            menuScreen = menu->fadeInTo;
        }
    } else if (menuScreen == MenuScreen::FadeOut) {
        menu->fadeLevel -= step;
        if (menu->fadeLevel > kFadeOutEnd) {
            menu->music.SetVolume(static_cast<int>(menu->fadeLevel * 0.5f));
            DrawWipe(menu->backBuffer, static_cast<int>(menu->fadeLevel), menu->wipeMap);
        } else {
            DrawWipe(menu->backBuffer, static_cast<int>(menu->fadeLevel), menu->wipeMap);
            menuScreen = MenuScreen::FadedOut;
        }
    }
}

void DrawPointer(Menu* menu) {
    if (!Shared.fullScreen && !PointerInWindow()) {
        return;
    }
    if (menu->pointerImage == nullptr) {
        return;
    }
    int x = 0;
    int y = 0;
    PointerPosition(x, y);
    SetTranslucent(menu->pointerImage, kPointerAlpha);
    Blit(menu->pointerImage, kPointerSize, kPointerSize, menu->backBuffer, x, y);
}

void ChooseButton(Menu* menu, int band) {
    switch (MenuButtonOfBand(menu, band)) {
        case MenuButton::Play:
            menu->action = MenuAction::Play;
            menuScreen = MenuScreen::FadeOut;
            break;
        case MenuButton::Daily:
            menu->action = MenuAction::PlayDaily;
            menuScreen = MenuScreen::FadeOut;
            break;
        case MenuButton::Scores:
            menuScreen = MenuScreen::Scores;
            break;
        case MenuButton::About:
            menuScreen = MenuScreen::Credits;
            break;
        case MenuButton::Exit:
            menu->action = MenuAction::Exit;
            menuScreen = MenuScreen::FadeOut;
            break;
        case MenuButton::None:
            break;
    }
}

// A click, or Return on the keyboard, on a given button: on the buttons it presses that button; on the
// credits it turns to the how-to-play page; on that page or the score screen, or during the fade-in, it
// goes back to the buttons.
void Press(Menu* menu, int button) {
    if (menuScreen == MenuScreen::Main) {
        ChooseButton(menu, button);
    } else if (menu->action == MenuAction::None) {
        // Once a choice has been made, only Escape brings the buttons back.
        const bool nextPage = menuScreen == MenuScreen::Credits && menu->howToPlayImage != nullptr;
        menuScreen = nextPage ? MenuScreen::HowToPlay : MenuScreen::Main;
    }
}

// Up and Down light the previous or next button, round the ends, while the buttons are shown.
void MoveChoice(Menu* menu, int step) {
    if (ShownMenuScreen(menu) != MenuScreen::Main) {
        return;
    }
    const int count = menu->buttonCount;
    int lit = menu->hoveredButton;
    if (lit == 0) {
        lit = step > 0 ? 1 : count;
    } else {
        lit = (lit - 1 + step + count) % count + 1;
    }
    menu->hoveredButton = lit;
    menu->keyboardChoice = true;
    PointerPosition(menu->keyboardPointerX, menu->keyboardPointerY);
}

void TakeKeyPress(Menu* menu, InputKey key) {
    switch (key) {
        case InputKey::Up:
            MoveChoice(menu, -1);
            break;
        case InputKey::Down:
            MoveChoice(menu, +1);
            break;
        case InputKey::Return:
            Press(menu, menu->hoveredButton);
            break;
        case InputKey::Escape:
            menuScreen = MenuScreen::Main;
            break;
        case InputKey::F1:
            if (ShownMenuScreen(menu) == MenuScreen::Scores) {
                ResetHighScores();
            }
            break;
        default:
            break;
    }
}

void ReadMenuInput(Menu* menu, int pointerButton) {
    InputAction action;
    while (NextAction(action)) {
        if (action.kind == InputKind::Close) {
            menu->action = MenuAction::Exit;
            menuScreen = MenuScreen::FadeOut;
        } else if (menu->inputGuardMs > 0) {
            continue;  // the score screen after a name entry: too soon to be meant for it
        } else if (action.kind == InputKind::ButtonRelease) {
            if (menu->ignoredButton != 0 && action.button == menu->ignoredButton) {
                menu->ignoredButton = 0;
                continue;
            }
            // The band comes from the pointer position read this frame, not the action's own.
            Press(menu, pointerButton);
        } else if (action.kind == InputKind::KeyPress) {
            TakeKeyPress(menu, action.key);
        }
    }
    AppMode = AppModeKind::InMenu;
}

// The card of the game just finished, over the foot of the title and the stars: the player's own line,
// lit, and the score server's answer under it once anything was sent.
void DrawFinishedGameCard(Menu* menu) {
    const FinishedGame& game = menu->finished;
    if (!game.shown || ShownMenuScreen(menu) != MenuScreen::Scores) {
        return;
    }
    const NewsLanguage language = NewsLanguageOf(Shared.languageCode);
    const std::string answer = AnswerLine(game, language);
    // A game in the table with nothing sent needs no card: its lit row says it all.
    if (answer.empty() && game.litRow >= 0) {
        return;
    }
    const std::string result = ResultLine(game, language);
    SDL_Surface* card = answer.empty() ? menu->resultLineImage : menu->resultImage;
    const int cardHeight = answer.empty() ? kResultLineCardHeight : kResultCardHeight;
    const int cardTop = kResultCardBottom - cardHeight;
    Blit(card, kResultCardWidth, cardHeight, menu->backBuffer, (kScreenWidth - kResultCardWidth) / 2,
         cardTop);
    SDL_Surface* litFont = menu->fontLitImage != nullptr ? menu->fontLitImage : menu->fontImage;
    const auto centredX = [](const std::string& text) {
        return (kScreenWidth - 12 * TextCells(text.c_str()) - 4) / 2;
    };
    if (answer.empty()) {
        DrawText(menu->backBuffer, centredX(result), cardTop + (cardHeight - 16) / 2, result.c_str(),
                 litFont);
    } else {
        DrawText(menu->backBuffer, centredX(result), cardTop + 7, result.c_str(), litFont);
        DrawText(menu->backBuffer, centredX(answer), cardTop + 31, answer.c_str(), menu->fontImage);
    }
}

// The sender's answers are read (the one for this game is kept), and once the player has left the score
// screen the game is not shown again.
void FollowFinishedGame(Menu* menu) {
    std::vector<SubmissionResult> results = TakeSubmissionResults();
    if (!menu->finished.shown) {
        return;
    }
    TakeAnswer(&menu->finished, results);
    if (ShownMenuScreen(menu) != MenuScreen::Scores) {
        menu->finished = FinishedGame{};
        menu->fadeInTo = MenuScreen::Main;
    }
}

// The score screen's pictures for a finished game, each of which a data folder made before them lacks.
void LoadFinishedGamePictures(Menu* menu) {
    struct Optional {
        SDL_Surface** image;
        const char* path;
    };
    const Optional pictures[] = {
        {&menu->fontLitImage, "data/fontlit.png"},
        {&menu->rowLitImage, "data/scorelit.png"},
        {&menu->resultImage, "data/result.png"},
        {&menu->resultLineImage, "data/result1.png"},
    };
    // A Menu is made again after every game and at every F9: say it once.
    static bool reported = false;
    for (const Optional& picture : pictures) {
        *picture.image = LoadConverted(picture.path, true);
        if (*picture.image == nullptr && !reported) {
            fprintf(stderr, "%s not found: the score screen shows a finished game more plainly\n",
                    picture.path);
            reported = true;
        }
    }
}

// The daily game's button is the only one a data folder may lack (one made before it existed): the menu
// then keeps its four buttons. With it, it goes second and the others move down a band.
void LoadDailyButton(Menu* menu) {
    char path[256];
    char litPath[256];
    FormatText(path, sizeof path, "data/%s/daily.png", Shared.languageCode);
    FormatText(litPath, sizeof litPath, "data/%s/sdaily.png", Shared.languageCode);
    SDL_Surface* plain = LoadConverted(path, false);
    SDL_Surface* lit = LoadConverted(litPath, false);
    if (plain == nullptr || lit == nullptr) {
        fprintf(stderr, "No %s: the menu has no daily game\n", plain == nullptr ? path : litPath);
        FreeImage(plain);
        FreeImage(lit);
        return;
    }
    for (int i = kMenuButtonCount - 1; i > 1; --i) {
        menu->buttonImages[i] = menu->buttonImages[i - 1];
        menu->buttonLitImages[i] = menu->buttonLitImages[i - 1];
    }
    menu->buttonImages[1] = plain;
    menu->buttonLitImages[1] = lit;
    menu->buttonCount = kMenuButtonCount;
}

}  // namespace

int MenuButtonAt(const Menu* menu, int y) {
    const int* tops = BandTops(menu);
    for (int i = 0; i < menu->buttonCount; ++i) {
        if (y >= tops[i] && y < tops[i + 1]) {
            return i + 1;
        }
    }
    return 0;
}

MenuButton MenuButtonOfBand(const Menu* menu, int band) {
    if (band < 1 || band > menu->buttonCount) {
        return MenuButton::None;
    }
    return menu->buttonCount == kMenuButtonCount ? kBands[band - 1] : kFourBands[band - 1];
}

Menu* CreateMenu() {
    auto* menu = new Menu();
    // The Screen is in system memory, where per-pixel drawing is cheap: the menu draws straight into it.
    menu->backBuffer = Shared.screen;
    menu->fadeLevel = 0;
    menu->action = MenuAction::None;
    menuScreen = MenuScreen::FadeIn;
    menu->decorationRandom.Seed(ClockSeed(3));
    LoadMenuResources(menu);
    ScatterMenuStars(menu);
    return menu;
}

void LoadMenuResources(Menu* menu) {
    // A menu without its title, buttons or pointer cannot be used, so a missing image is fatal here as
    // in the game; the first that fails ends the loading.
    struct ImageSlot {
        SDL_Surface** image;
        const char* name;
        bool perLanguage;
        bool colourKey;
    };
    const ImageSlot slots[] = {
        {&menu->pointerImage, "mouse", false, true},
        {&menu->fontImage, "font", false, true},
        {&menu->titleImage, "title", false, false},
        {&menu->buttonImages[0], "play", true, false},
        {&menu->buttonImages[1], "scores", true, false},
        {&menu->buttonImages[2], "about", true, false},
        {&menu->buttonImages[3], "exit", true, false},
        {&menu->buttonLitImages[0], "splay", true, false},
        {&menu->buttonLitImages[1], "sscores", true, false},
        {&menu->buttonLitImages[2], "sabout", true, false},
        {&menu->buttonLitImages[3], "sexit", true, false},
        {&menu->footerImage, "copyright", true, false},
        {&menu->scoresBackImage, "bottom", true, false},
        {&menu->creditsImage, "credits", true, false},
    };
    for (const ImageSlot& slot : slots) {
        char path[256];
        if (slot.perLanguage) {
            FormatText(path, sizeof path, "data/%s/%s.png", Shared.languageCode, slot.name);
        } else {
            FormatText(path, sizeof path, "data/%s.png", slot.name);
        }
        *slot.image = LoadConverted(path, slot.colourKey);
        if (*slot.image == nullptr) {
            ReportError("Cannot Load %s", path);
            return;
        }
    }
    LoadDailyButton(menu);
    LoadFinishedGamePictures(menu);
    LoadHowToPlay(menu);
    LoadWipeMap(kWipeMapFileName, menu->wipeMap);
    menu->music.Load(kMenuMusic);
    menu->music.Start();
}

void LoadHowToPlay(Menu* menu) {
    char path[256];
    FormatText(path, sizeof path, "data/%s/howto.png", Shared.languageCode);
    menu->howToPlayImage = LoadConverted(path, false);
    // A Menu is made again after every game and at every F9: say it once.
    static bool reported = false;
    if (menu->howToPlayImage == nullptr && !reported) {
        fprintf(stderr, "%s not found: the About screen shows the credits only\n", path);
        reported = true;
    }
}

void ScatterMenuStars(Menu* menu) {
    RandomStream& random = menu->decorationRandom;
    for (MenuStar& star : menu->stars) {
        star.x = static_cast<float>(random.Next() % 640);
        star.y = static_cast<float>(500 + random.Next() % 500);
        star.size = static_cast<float>(10 + random.Next() % 30);
        star.speed = star.size * 0.25f;
        star.spin = static_cast<float>(10 + random.Next() % 20);
        if (random.Next() % 100 > 50) {
            star.spin = -star.spin;
        }
    }
}

bool MenuStep(Menu* menu) {
    if (menuScreen == MenuScreen::HowToPlay) {
        DrawHowToPlay(menu);
    } else {
        DrawLowerHalf(menu);
        Blit(menu->titleImage, kScreenWidth, kLowerHalfTop, menu->backBuffer, 0, 0);
        MoveAndDrawStars(menu);
        DrawLitLabelOverStars(menu);
        DrawFinishedGameCard(menu);
    }
    ApplyFade(menu);
    DrawPointer(menu);
    if (menu->backBuffer != Shared.screen) {
        SDL_BlitSurface(menu->backBuffer, nullptr, Shared.screen, nullptr);
    }
    int x = 0;
    int y = 0;
    PointerPosition(x, y);
    if (menu->keyboardChoice && (x != menu->keyboardPointerX || y != menu->keyboardPointerY)) {
        menu->keyboardChoice = false;  // the pointer moved: it lights the buttons again
    }
    const int pointerButton = MenuButtonAt(menu, y);
    if (!menu->keyboardChoice) {
        menu->hoveredButton = pointerButton;
    }
    if (menuScreen == MenuScreen::FadedOut) {
        AppMode = static_cast<AppModeKind>(menu->action);
        if (menu->action != MenuAction::None) {
            ReleaseMenu(menu);
            return false;
        }
        return true;
    }
    menu->inputGuardMs = std::max(0, menu->inputGuardMs - Shared.frameClock.deltaMs);
    ReadMenuInput(menu, pointerButton);
    FollowFinishedGame(menu);
    return true;
}

void ShowFinishedGame(Menu* menu, const FinishedGame& game) {
    menu->finished = game;
    menu->finished.shown = true;
    menu->fadeInTo = MenuScreen::Scores;
    if (menuScreen != MenuScreen::FadeIn) {
        menuScreen = MenuScreen::Scores;
    }
    menu->inputGuardMs = kFinishedGameGuardMs;
}

MenuScreen ShownMenuScreen(const Menu* menu) {
    return menuScreen == MenuScreen::FadeIn ? menu->fadeInTo : menuScreen;
}

void IgnoreUntilReleased(Menu* menu, int button) {
    menu->ignoredButton = button;
}

void ReleaseMenu(Menu* menu) {
    if (menu == nullptr) {
        return;
    }
    FreeImage(menu->pointerImage);
    FreeImage(menu->titleImage);
    for (SDL_Surface*& image : menu->buttonImages) {
        FreeImage(image);
    }
    for (SDL_Surface*& image : menu->buttonLitImages) {
        FreeImage(image);
    }
    FreeImage(menu->fontImage);
    FreeImage(menu->creditsImage);
    FreeImage(menu->howToPlayImage);
    FreeImage(menu->scoresBackImage);
    FreeImage(menu->footerImage);
    FreeImage(menu->fontLitImage);
    FreeImage(menu->rowLitImage);
    FreeImage(menu->resultImage);
    FreeImage(menu->resultLineImage);
    if (menu->backBuffer != Shared.screen) {
        SDL_FreeSurface(menu->backBuffer);
    }
    menu->backBuffer = nullptr;
    // The music's destructor silences and frees the module along with the Menu.
    delete menu;
}
