// Shared helpers of the game tests (see game_test_support.h).
#include "game_test_support.h"

#include "game/shared_state.h"
#include "gfx/font.h"
#include "net/score_client.h"
#include "platform/input.h"

void EnsureVideo() {
    // Other suites of this program may have shut SDL down: start it again with a fresh Screen.
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
    }
    Shared.screen = SDL_GetVideoSurface();
    if (Shared.screen == nullptr) {
        Shared.screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_SWSURFACE);
        ASSERT_NE(Shared.screen, nullptr) << SDL_GetError();
    }
    SDL_EnableUNICODE(1);
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
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
}

void PushButton(int x, int y, Uint8 button) {
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
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

void PushKey(SDLKey sym, Uint16 unicode) {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = sym;
    event.key.keysym.unicode = unicode;
    SDL_PushEvent(&event);
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
    // No game of a test goes to a web side it does not own (the build's default is a real server's).
    submitChoice = SubmitChoice{};
    submitChoice.off = true;
    SetDefaultScoreSettings();
    game = new Game();
    SDL_WarpMouse(600, 10);  // over the panel: no group under the pointer
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
