// Shared helpers of the game tests (see game_test_support.h).
#include "game_test_support.h"


#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/presentation.h"

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
    ResetInput();
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
    InjectPointer(x, y);
}

void PushButton(int x, int y, int button) {
    InjectButton(button, true, x, y);
}

void PushRelease(int x, int y) {
    InjectButton(1, false, x, y);
}

void PushKey(InputKey key, uint32_t character) {
    InjectKey(key, true, character);
    InjectKey(key, false);
}

void PushText(uint32_t character) {
    InjectText(character);
}

void PushQuit() {
    InjectClose();
}

void GameSession::SetUp() {
    EnsureVideo();
    FlushEvents();
    Shared.frameClock.totalMs = 0;
    Shared.frameClock.deltaMs = 1;
    game = new Game();
    WarpTo(600, 10);  // over the panel: no group under the pointer
}

void GameSession::TearDown() {
    DestroyGame(game);
    game = nullptr;
    FlushEvents();
}

bool GameSession::Frame(int deltaMs) {
    if (deltaMs == kOneTick) {
        game->tickAccumulator = 0;
        deltaMs = 17;
    }
    Shared.frameClock.deltaMs = deltaMs;
    Shared.frameClock.totalMs += deltaMs;
    CollectInput(deltaMs);
    const bool goOn = game->PlayFrame();
    AfterFrame();
    return goOn;
}

bool GameSession::FinishFadeIn(int deltaMs) {
    for (int i = 0; i < 1000 && game->fadePhase == FadePhase::FadeIn; ++i) {
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

void GameSession::ClickCell(int column, int row, int button) {
    PushButton(CellCentre(column), CellCentre(row), button);
}
