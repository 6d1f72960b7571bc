// Shared helpers of the game tests (see game_test_support.h).
#include "game_test_support.h"

#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/input.h"
#include "platform/presentation.h"

void Utf8Of(unsigned int character, char* out) {
    if (character < 0x80) {
        out[0] = static_cast<char>(character);
        out[1] = '\0';
    } else if (character < 0x800) {
        out[0] = static_cast<char>(0xC0 | (character >> 6));
        out[1] = static_cast<char>(0x80 | (character & 0x3F));
        out[2] = '\0';
    } else {
        out[0] = static_cast<char>(0xE0 | (character >> 12));
        out[1] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (character & 0x3F));
        out[3] = '\0';
    }
}

void EnsureVideo() {
    // Other suites of this program may have shut SDL down: start it again with a fresh Screen.
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
    }
    Shared.screen = PresentationScreen();
    if (Shared.screen == nullptr) {
        Shared.screen = OpenPresentation("test", false);
        ASSERT_NE(Shared.screen, nullptr) << SDL_GetError();
    }
    InitFont();
}

void FlushEvents() {
    SDL_Event event;
    SDL_PumpEvents();
    while (SDL_PollEvent(&event) != 0) {
    }
}

void Put(Game& game, int column, int row, int32_t value) {
    game.cells[CellIndex(column, row)] = value;
}

void ClearBoard(Game& game) {
    for (int32_t& v : game.cells) {
        v = kEmptyCell;
    }
}

void FillWithoutMoves(Game& game) {
    for (int column = 0; column < kBoardSize; ++column) {
        for (int row = 0; row < kBoardSize; ++row) {
            Put(game, column, row, 1 + (column + row) % 3);
        }
    }
}

void WarpTo(int x, int y) {
    WarpPointer(x, y);
}

void PushButton(int x, int y, Uint8 button) {
    WarpPointer(x, y);
    if (button == kWheelUpButton || button == kWheelDownButton) {
        SDL_Event wheel = {};
        wheel.type = SDL_MOUSEWHEEL;
        wheel.wheel.y = button == kWheelUpButton ? 1 : -1;
        SDL_PushEvent(&wheel);
        return;
    }
    SDL_Event event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = button;
    event.button.state = SDL_PRESSED;
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    SDL_PushEvent(&event);
}

void PushRelease(int x, int y) {
    SDL_Event event = {};
    event.type = SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    SDL_PushEvent(&event);
}

void PushKey(SDL_Keycode sym, Uint16 unicode) {
    // Return and Backspace type no text: the name entry reads them as the keys they are.
    if (unicode == 13 && sym != SDLK_KP_ENTER) {
        sym = SDLK_RETURN;
    } else if (unicode == 8) {
        sym = SDLK_BACKSPACE;
    }
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = sym;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
    SDL_PushEvent(&event);
    // A printable key also types its character, as the keyboard layout composed it.
    if (unicode >= 32 && unicode != 127) {
        SDL_Event typed = {};
        typed.type = SDL_TEXTINPUT;
        Utf8Of(unicode, typed.text.text);
        SDL_PushEvent(&typed);
    }
}

void PushQuit() {
    SDL_Event event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

void GameSession::SetUp() {
    EnsureVideo();
    FlushEvents();
    ReleaseAllKeys();
    OverrideAppFocusState(-1);
    Shared.frameClock.totalMs = 0;
    Shared.frameClock.deltaMs = 1;
    game = new Game();
    WarpPointer(600, 10);  // over the panel: no group under the pointer
}

void GameSession::TearDown() {
    DestroyGame(game);
    game = nullptr;
    ReleaseAllKeys();
    FlushEvents();
}

bool GameSession::Frame(int deltaMs) {
    Shared.frameClock.deltaMs = deltaMs;
    Shared.frameClock.totalMs += deltaMs;
    return game->PlayFrame();
}

bool GameSession::FinishFadeIn(int deltaMs) {
    for (int i = 0; i < 100 && game->fadePhase == FadePhase::FadeIn; ++i) {
        Frame(deltaMs);
    }
    return game->fadePhase == FadePhase::Shown;
}

int GameSession::RunToEnd(int deltaMs, int limit) {
    for (int i = 1; i <= limit; ++i) {
        if (!Frame(deltaMs)) {
            return i;
        }
    }
    return -1;
}

void GameSession::ClickCell(int column, int row, Uint8 button) {
    PushButton(CellCentre(column), CellCentre(row), button);
}
