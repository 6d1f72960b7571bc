// The team's logo: three tiles in a triangle, the team's name and a line of light, on black (the intro
// reveals it from black, so the black surround makes the reveal read as light coming on).
#include "logo_art.h"

#include <cmath>

#include "draw.h"
#include "palette.h"
#include "png_writer.h"
#include "text_art.h"

void WriteLogo(AssetOutput& out) {
    Canvas logo(640, 480);
    FillRect(logo, 0, 0, 640, 480, {0, 0, 0});
    AddGlow(
        logo, 0, 0, 640, 480, [](float x, float y) { return std::hypot(x - 320, (y - 200) * 1.2f) - 30; },
        {40, 30, 90}, 230, 0.8f);
    // Three tiles with their symbols: circle, triangle, diamond.
    struct Tile {
        float x, y;
        int colour;
    };
    const Tile tiles[3] = {{320, 120, 1}, {272, 200, 2}, {368, 200, 3}};
    for (const Tile& t : tiles) {
        BlockColours pal = BlockPalette(t.colour);
        auto box = [=](float x, float y) { return SdRoundBox(x, y, t.x, t.y, 40, 40, 12); };
        AddGlow(logo, int(t.x) - 80, int(t.y) - 80, int(t.x) + 80, int(t.y) + 80, box, pal.base, 30, 0.5f);
        FillShape(logo, box, Solid(pal.dark));
        FillShape(
            logo, [=](float x, float y) { return box(x, y) + 4; },
            [=](float x, float y) {
                float u = Clamp01(((x - t.x) + (y - t.y)) / 160 + 0.5f);
                return u < 0.5f ? Mix(pal.light, pal.base, u * 2) : Mix(pal.base, pal.dark, (u - 0.5f) * 2);
            });
        FillShape(
            logo,
            [=](float x, float y) { return std::max(box(x, y) + 5, SdCircle(x, y, t.x - 12, t.y - 60, 56)); },
            Solid(kWhite), 0.2f);
        auto symbol = [=](float x, float y) {
            if (t.colour == 1) {
                return SdCircle(x, y, t.x, t.y, 16);
            }
            if (t.colour == 2) {
                return SdPolygon(x, y, {{t.x, t.y - 20}, {t.x + 19, t.y + 14}, {t.x - 19, t.y + 14}});
            }
            return SdPolygon(x, y, {{t.x, t.y - 21}, {t.x + 18, t.y}, {t.x, t.y + 21}, {t.x - 18, t.y}});
        };
        FillShape(
            logo, [&](float x, float y) { return symbol(x - 3, y - 3); }, Solid(pal.dark), 0.8f);
        FillShape(logo, symbol, Solid(Mix(pal.light, kWhite, 0.5f)));
    }
    TextStyle name;
    name.face = FontFace::Bold;
    name.size = 54;
    name.fill = VerticalGradient(280, {255, 255, 255}, 330, {150, 200, 255});
    name.outline = {20, 20, 60};
    name.outlineWidth = 2;
    name.glowRadius = 10;
    name.glow = {80, 120, 255};
    DrawWordsCentred(logo, "QUZ TEAM", 320, 306, name);
    for (int x = 120; x < 520; ++x) {
        float t = 1 - std::fabs(float(x) - 320) / 200.0f;
        logo.Blend(x, 350, {170, 200, 255}, t);
        logo.Blend(x, 351, {60, 80, 200}, t * 0.6f);
    }
    TextStyle tag;
    tag.face = FontFace::Book;
    tag.size = 18;
    tag.fill = Solid({160, 170, 220});
    DrawWordsCentred(logo, "· MMXXVI ·", 320, 378, tag);
    WritePng(out, "logo.png", logo, KeyMode::Opaque);
}
