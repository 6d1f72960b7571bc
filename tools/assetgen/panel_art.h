// The game panel (160 by 480, drawn right of the board), one per language.
#pragma once

#include "language.h"
#include "output.h"

// Where the game draws its numbers, in panel coordinates (the panel sits at x 480).
struct PanelSlot {
    int x, y, w, h;
};
constexpr int kPanelLeft = 480;
constexpr PanelSlot kLivesSlot = {544 - kPanelLeft, 122, 40, 28};
constexpr PanelSlot kLevelSlot = {544 - kPanelLeft, 195, 40, 28};
constexpr PanelSlot kLevelPointsSlot = {586 - kPanelLeft, 264, 40, 7};
constexpr PanelSlot kScoreSlot = {500 - kPanelLeft, 277, 120, 28};
constexpr PanelSlot kSecondsSlot = {550 - kPanelLeft, 337, 40, 28};

void WritePanel(AssetOutput& out, const LanguageWords& words);
