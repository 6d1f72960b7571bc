// The play session's frame step: group search, falling, lines, the end-of-level test, input, the idle
// penalty, the rolling score, drawing, Escape and the fades between levels.
#include "game/game.h"

#include <SDL.h>

#include <cstdlib>

#include "game/shared_state.h"
#include "platform/input.h"

int32_t settleFrames = 0;
int32_t lastBonusKind = 0;

namespace {

constexpr float kLineInterval = 200;
constexpr int32_t kMaxPendingLines = 15;
constexpr int32_t kSettleFrames = 15;

}  // namespace

Game* CreateGame() {
    Game* game = new Game();
    game->FillBoard();
    game->LoadResources(false);
    return game;
}

void DestroyGame(Game* game) {
    if (game == nullptr) {
        return;
    }
    game->music.Stop();
    game->FreeImages();
    // The samples are declared after the music, so they are destroyed first, from the last to the first.
    delete game;
}

void Game::StartFadeOut() {
    quitRequested = true;
    fadeLevel = 255;
    fadeStep = -1;
}

void Game::RemoveGroup() {
    int n = 0;
    int32_t bonus = 0;
    for (int i = 0; i < kCellCount; ++i) {
        if (highlight[i] == 0 || cells[i] == kEmptyCell) {
            continue;
        }
        int32_t value = cells[i];
        if (value == kDoubleBonus || value == kAddLineBonus || value == kPointsBonus) {
            bonus = value;
            doubleTimer = value == kDoubleBonus ? 255 : 0;
            addLineTimer = value == kAddLineBonus ? 255 : 0;
            pointsTimer = value == kPointsBonus ? 255 : 0;
        }
        cells[i] = kEmptyCell;
        ++n;
    }
    settleFrames = kSettleFrames;
    if (n == 0) {
        return;
    }
    const int32_t points = n * n;
    if (score <= kScoreCap) {
        score += points;
        levelPoints += points;
    }
    timeLeft = 4000;
    switch (bonus) {
        case kDoubleBonus:
            if (score <= kScoreCap) {
                score += points;
                levelPoints += points;
            }
            lastBonusKind = 1;
            doubleSound.Play();
            break;
        case kAddLineBonus:
            linesPending = static_cast<float>(n + 1 < kMaxPendingLines ? n + 1 : kMaxPendingLines);
            lastBonusKind = 5;
            break;
        case kPointsBonus: {
            const int32_t extra = rand() % 2 == 0 ? 1000 : 500;
            score += extra;
            levelPoints += extra;
            lastBonusKind = extra == 1000 ? 3 : 4;
            pointsSound.Play();
            break;
        }
        default:
            bipSound.Play();
            break;
    }
}

void Game::EndLevel(BoardOutcome outcome) {
    messageDelay = 5000;
    doubleTimer = addLineTimer = pointsTimer = 0;
    levelOver = true;
    messageX = -400;
    if (outcome == BoardOutcome::Cleared) {
        perfectFlag = true;
        bonus5000Flag = false;
        levelWon = true;
        perfectSound.Play();
        score += 10000;
        return;
    }
    perfectFlag = false;
    bonus5000Flag = levelPoints >= 5000;
    if (lives > 0) {
        levelLost = true;
        lostSound.Play();
    } else {
        StartGameOver();
    }
}

void Game::RestartLevel() {
    if (levelWon) {
        ++level;
    }
    if (levelLost) {
        --lives;
    }
    music.Stop();
    FreeImages();
    messageDelay = 0;
    levelPoints = 0;
    fadeStep = 1;
    messageX = -400;
    timeLeft = 10000;
    levelOver = enteringName = perfectFlag = gameOver = levelWon = levelLost = quitRequested = false;
    fading = true;
    FillBoard();
    LoadResources(false);
    fadeLevel = -80;
}

bool Game::PlayFrame() {
    const int32_t delta = FrameClock.deltaMs;

    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    const int n = MarkGroupAt(x, y);
    hoverPoints = n * n;

    StepGravity();
    StepColumns();

    if (levelOver && !enteringName) {
        messageDelay -= static_cast<float>(delta);
        if (!fading && messageDelay < 0) {
            fading = true;
            fadeLevel = 255;
            fadeStep = -1;
        }
    }

    if (linesPending != 0) {
        lineTimer -= static_cast<float>(delta);
        if (lineTimer < 0) {
            AddLine();
            linesPending -= 1;
            addLineSound.Play();
            lineTimer = kLineInterval;
        }
    }

    if (settleFrames > 0) {
        --settleFrames;
    } else if (!levelOver) {
        const BoardOutcome outcome = CheckBoard();
        if (outcome != BoardOutcome::MovesLeft) {
            EndLevel(outcome);
        }
    }

    doubleTimer -= delta / 10.0;
    addLineTimer -= delta / 10.0;
    pointsTimer -= delta / 10.0;

    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (fading || messageDelay > 0) {
            continue;
        }
        if (enteringName) {
            if (event.type == SDL_KEYDOWN) {
                EditName(event.key.keysym.unicode);
            }
        } else if (event.type == SDL_MOUSEBUTTONDOWN) {
            RemoveGroup();
        } else if (event.type == SDL_QUIT) {
            // Play stays live during this fade-out: only Escape and the end of a game stop input.
            StartFadeOut();
        }
    }

    if (!levelOver) {
        if (timeLeft < 0) {
            if (score > 0) {
                timeSound.Play();
            }
            score -= 100;
            levelPoints -= 100;
            timeLeft = 999;
        } else {
            timeLeft -= FrameClock.deltaMs;
        }
    }

    int32_t shown = shownScore;
    if (shown < score - 8) {
        shown += (score - shown) / 8;
    } else if (shown < score) {
        shown += 1;
    }
    if (shown > score + 8) {
        shown -= (shown - score) / 8;
    } else if (shown > score) {
        shown -= 1;
    }
    shownScore = shown;

    if (score < 0) {
        score = 0;
        levelPoints = 0;
    }
    if (shownScore < 0) {
        shownScore = 0;
    }

    Draw();

    SDL_PumpEvents();
    const Uint8* keys = GetHeldKeys();
    if (!fading && keys[SDLK_ESCAPE] != 0) {
        StartFadeOut();
        fading = true;
        return true;
    }
    if (fadeLevel > 255) {
        fading = false;
        fadeLevel = 256;
        fadeStep = 0;
        return true;
    }

    if (fadeLevel <= -100) {
        if (quitRequested) {
            return false;
        }
        RestartLevel();
    }
    return true;
}
