// The colours shared by the pictures: the three block colours, gold for bonuses and highlights, and the
// dark blues of the backgrounds.
#pragma once

#include "canvas.h"

struct BlockColours {
    Colour light, base, dark;
};

// Colour 1 red, 2 green, 3 blue, in cell-value order.
inline BlockColours BlockPalette(int colour) {
    switch (colour) {
        case 1:
            return {{255, 150, 140}, {222, 52, 60}, {104, 14, 30}};
        case 2:
            return {{180, 255, 150}, {54, 192, 76}, {14, 84, 36}};
        default:
            return {{160, 210, 255}, {56, 116, 236}, {16, 36, 116}};
    }
}

constexpr Colour kGold = {255, 204, 64};
constexpr Colour kGoldDark = {150, 92, 10};
constexpr Colour kNight = {10, 12, 28};    // deepest background
constexpr Colour kDusk = {28, 30, 70};     // lighter background
constexpr Colour kFrame = {90, 110, 200};  // panel frames
constexpr Colour kInk = {12, 12, 20};      // outlines: near-black, never the key colour
constexpr Colour kWhite = {255, 255, 255};
constexpr Colour kCyan = {120, 230, 255};
