// Menu art. All strips share one backdrop computed from the screen y, so the title, the buttons and the
// footer join without seams. Button faces stay narrow in the middle and the sides stay dark and quiet,
// because yellow stars rise over the whole menu.
#include "menu_art.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "blocks.h"
#include "draw.h"
#include "palette.h"
#include "png_writer.h"
#include "text_art.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kMenuBandTop = 251;
constexpr int kMenuBandHeight = 38;

Colour Backdrop(float x, float screenY) {
    float t = screenY / 480.0f;
    Colour c =
        t < 0.5f ? Mix({8, 8, 26}, {30, 22, 72}, t * 2) : Mix({30, 22, 72}, {10, 10, 30}, (t - 0.5f) * 2);
    float side = std::fabs(x - 320) / 320.0f;
    c = Scale(c, 1.0f - 0.35f * side * side);
    // A faint perspective grid in the lower half, like a floor under the title.
    if (screenY > 200) {
        float depth = (screenY - 200) / 280.0f;
        float gx = (x - 320) / (0.3f + depth) / 40.0f;
        float lineX = std::fabs(gx - std::round(gx));
        float gy = std::log(1 + depth * 8) * 3.0f;
        float lineY = std::fabs(gy - std::round(gy));
        float grid =
            std::max(SmoothStep(0.06f, 0.0f, lineX * (0.6f + depth)), SmoothStep(0.05f, 0.0f, lineY));
        c = Add(c, Scale({30, 30, 80}, grid * (0.25f + 0.35f * depth)));
    }
    return c;
}

void PaintBackdrop(Canvas& canvas, int screenY) {
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            canvas.Blend(x, y, Backdrop(float(x) + 0.5f, float(screenY + y) + 0.5f), 1);
        }
    }
}

// A large tile like the board's blocks, for the title.
void BigTile(Canvas& c, float cx, float cy, float half, int colour, float tilt) {
    BlockColours pal = BlockPalette(colour);
    auto rot = [=](float x, float y, float& rx, float& ry) {
        float cs = std::cos(tilt), sn = std::sin(tilt);
        rx = cx + (x - cx) * cs + (y - cy) * sn;
        ry = cy - (x - cx) * sn + (y - cy) * cs;
    };
    auto tile = [=](float x, float y) {
        float rx, ry;
        rot(x, y, rx, ry);
        return SdRoundBox(rx, ry, cx, cy, half, half, half * 0.3f);
    };
    int x0 = int(cx - half * 1.6f), y0 = int(cy - half * 1.6f), x1 = int(cx + half * 1.6f),
        y1 = int(cy + half * 1.6f);
    AddGlow(c, x0, y0, x1, y1, tile, pal.base, half * 0.5f, 0.5f);
    FillShape(c, x0, y0, x1, y1, tile, Solid(pal.dark));
    FillShape(
        c, x0, y0, x1, y1, [&](float x, float y) { return tile(x, y) + half * 0.12f; },
        [=](float x, float y) {
            float u = Clamp01(((x - cx) + (y - cy)) / (4 * half) + 0.5f);
            return u < 0.5f ? Mix(pal.light, pal.base, u * 2) : Mix(pal.base, pal.dark, (u - 0.5f) * 2);
        });
    FillShape(
        c, x0, y0, x1, y1,
        [&](float x, float y) {
            return std::max(tile(x, y) + half * 0.15f,
                            SdCircle(x, y, cx - half * 0.3f, cy - half * 1.4f, half * 1.3f));
        },
        Solid(kWhite), 0.2f);
    float s = half * 0.45f;
    auto symbol = [=](float x, float y) {
        float rx, ry;
        rot(x, y, rx, ry);
        if (colour == 1) {
            return SdCircle(rx, ry, cx, cy, s * 0.85f);
        }
        if (colour == 2) {
            return SdPolygon(rx, ry,
                             {{cx, cy - s * 1.05f}, {cx + s, cy + s * 0.75f}, {cx - s, cy + s * 0.75f}});
        }
        return SdPolygon(
            rx, ry, {{cx, cy - s * 1.1f}, {cx + s * 0.95f, cy}, {cx, cy + s * 1.1f}, {cx - s * 0.95f, cy}});
    };
    FillShape(
        c, x0, y0, x1, y1, [&](float x, float y) { return symbol(x - 2, y - 2); }, Solid(pal.dark), 0.8f);
    FillShape(c, x0, y0, x1, y1, symbol, Solid(Mix(pal.light, kWhite, 0.5f)));
}

void DrawTitleWord(Canvas& c, const std::string& word, float cx, float cy, int size) {
    TextStyle style;
    style.face = FontFace::Bold;
    style.size = size;
    style.fill = [=](float, float y) {
        float t = Clamp01((y - (cy - float(size) * 0.36f)) / (float(size) * 0.72f));
        Colour top = {255, 252, 210}, mid = {255, 196, 40}, bottom = {236, 84, 20};
        Colour col = t < 0.5f ? Mix(top, mid, t * 2) : Mix(mid, bottom, (t - 0.5f) * 2);
        // A chrome line across the middle of the letters.
        float band = std::exp(-std::pow((t - 0.48f) * 14, 2.0f));
        return Mix(col, kWhite, band * 0.5f);
    };
    style.outline = {46, 10, 60};
    style.outlineWidth = 5;
    style.shadowOffset = 6;
    style.shadow = {4, 2, 12};
    style.glowRadius = 14;
    style.glow = {255, 120, 40};
    DrawWordsCentred(c, word, cx, cy, style);
}

void DrawButton(Canvas& c, const std::string& label, bool lit) {
    float cx = 320, cy = float(c.Height()) / 2;
    float hw = 150, hh = float(c.Height()) / 2 - 4;
    auto pill = [=](float x, float y) { return SdRoundBox(x, y, cx, cy, hw, hh, hh); };
    if (lit) {
        AddGlow(c, 0, 0, 640, c.Height(), pill, {255, 170, 40}, 10, 0.6f);
        FillShape(c, pill, VerticalGradient(cy - hh, {255, 236, 140}, cy + hh, {230, 110, 20}));
        FillShape(
            c, [&](float x, float y) { return std::max(pill(x, y) + 2, y - cy); }, Solid(kWhite), 0.3f);
        StrokeShape(c, 0, 0, 640, c.Height(), pill, {255, 250, 220}, 1.5f);
        for (int side = -1; side <= 1; side += 2) {
            float ax = cx + float(side) * (hw + 22);
            FillShape(
                c,
                [=](float x, float y) {
                    return SdPolygon(x, y,
                                     {{ax - float(side) * 8, cy - 8},
                                      {ax + float(side) * 6, cy},
                                      {ax - float(side) * 8, cy + 8}});
                },
                Solid({255, 220, 80}));
        }
    } else {
        FillShape(c, pill, VerticalGradient(cy - hh, {40, 44, 110}, cy + hh, {14, 14, 44}));
        FillShape(
            c, [&](float x, float y) { return std::max(pill(x, y) + 2, y - cy); }, Solid(kWhite), 0.08f);
        StrokeShape(c, 0, 0, 640, c.Height(), pill, {110, 130, 240}, 1.5f);
    }
    TextStyle style;
    style.face = FontFace::Bold;
    style.size = FitSize(label, FontFace::Bold, 19, int(2 * hw - 30));
    style.fill = lit ? VerticalGradient(cy - 10, {90, 20, 10}, cy + 10, {40, 6, 20})
                     : VerticalGradient(cy - 10, {255, 255, 255}, cy + 10, {150, 200, 255});
    style.outline = lit ? Colour{255, 240, 200} : kInk;
    style.outlineWidth = lit ? 0.0f : 1.5f;
    DrawWordsCentred(c, label, cx, cy, style);
}

TextStyle PlainText(int size, Colour colour) {
    TextStyle s;
    s.face = FontFace::Bold;
    s.size = size;
    s.fill = Solid(colour);
    s.outline = kInk;
    s.outlineWidth = 1.5f;
    return s;
}

// A framed card centred across the canvas, darkening downwards, for the About screen's pages.
void PaintCard(Canvas& canvas, float cy, float halfW, float halfH, float opacity) {
    auto card = [=](float x, float y) { return SdRoundBox(x, y, 320, cy, halfW, halfH, 14); };
    FillShape(canvas, card, VerticalGradient(cy - halfH, {24, 24, 70}, cy + halfH, {10, 10, 34}), opacity);
    StrokeShape(canvas, 0, 0, canvas.Width(), canvas.Height(), card, {120, 140, 255}, 2);
}

// A page's heading in warm gold, its top 26 pixels down.
TextStyle HeadingStyle(int size) {
    TextStyle heading = PlainText(size, {255, 200, 60});
    heading.fill = VerticalGradient(26, {255, 250, 200}, float(26 + size), {255, 150, 30});
    heading.outlineWidth = 2.5f;
    return heading;
}

}  // namespace

void WriteMenuTitle(AssetOutput& out) {
    Canvas title(640, 251);
    PaintBackdrop(title, 0);
    // A soft halo behind the word.
    AddGlow(
        title, 0, 0, 640, 251, [](float x, float y) { return std::hypot((x - 320) * 0.5f, y - 105) - 40; },
        {90, 40, 160}, 90, 0.6f);
    DrawTitleWord(title, "QUZ", 320, 104, 150);
    // Three tiles, the three symbols, under the word.
    BigTile(title, 248, 208, 19, 1, -0.12f);
    BigTile(title, 320, 212, 19, 2, 0.0f);
    BigTile(title, 392, 208, 19, 3, 0.12f);
    // A thin light line closes the title over the buttons.
    for (int x = 0; x < 640; ++x) {
        float t = 1 - std::fabs(float(x) - 320) / 320.0f;
        title.Blend(x, 249, {140, 150, 255}, t * t * 0.7f);
        title.Blend(x, 250, {40, 40, 110}, t * t * 0.7f);
    }
    WritePng(out, "title.png", title, KeyMode::Opaque);
}

void WriteMenuPictures(AssetOutput& out, const LanguageWords& words) {
    const std::string dir = std::string(words.code) + "/";
    // Five bands of 38 pixels from the title's edge at 251, then the footer from 441 to the bottom.
    const char* labels[5] = {words.play, words.daily, words.scores, words.about, words.exit};
    const char* names[5] = {"play", "daily", "scores", "about", "exit"};
    for (int i = 0; i < 5; ++i) {
        const int top = kMenuBandTop + i * kMenuBandHeight;
        const int height = kMenuBandHeight;
        for (int lit = 0; lit < 2; ++lit) {
            Canvas button(640, height);
            PaintBackdrop(button, top);
            DrawButton(button, labels[i], lit != 0);
            WritePng(out, dir + (lit ? "s" : "") + names[i] + ".png", button, KeyMode::Opaque);
        }
    }

    const int footerTop = kMenuBandTop + 5 * kMenuBandHeight;
    Canvas footer(640, 480 - footerTop);
    PaintBackdrop(footer, footerTop);
    for (int x = 0; x < 640; ++x) {
        float t = 1 - std::fabs(float(x) - 320) / 320.0f;
        footer.Blend(x, 7, {110, 120, 230}, t * 0.6f);
    }
    DrawWordsCentred(footer, words.copyright, 320, 24, PlainText(13, {170, 180, 230}));
    WritePng(out, dir + "copyright.png", footer, KeyMode::Opaque);

    // Credits: a framed card.
    Canvas credits(640, 229);
    PaintBackdrop(credits, 251);
    PaintCard(credits, 112, 270, 100, 0.92f);
    DrawWordsCentred(credits, words.credits[0], 320, 42, HeadingStyle(30));
    DrawWordsCentred(credits, words.credits[1], 320, 88, PlainText(20, {230, 235, 255}));
    DrawWordsCentred(credits, words.credits[2], 320, 122, PlainText(16, {170, 200, 255}));
    DrawWordsCentred(credits, words.credits[3], 320, 144, PlainText(16, {170, 200, 255}));
    DrawWordsCentred(credits, words.credits[4], 320, 186, PlainText(13, {140, 150, 200}));
    for (int i = 0; i < 3; ++i) {
        PaintBlock(credits, 72 + i * 0, 30 + i * 34, i + 1, 0, 4, false);
        PaintBlock(credits, 536, 30 + i * 34, 3 - i, 0, 4, false);
    }
    WritePng(out, dir + "credits.png", credits, KeyMode::Opaque);

    // Score screen. The game sways row i (rank i + 1) sideways by up to i + 2 pixels, so each row's bar is
    // as wide as its whole sway plus a margin: the bars widen row by row into a fan, and the motion reads
    // as part of the design. Headings at y 270, rows every 16 pixels from y 302 (ranks at x 64, names at
    // 128, scores at 528, six 12-pixel cells), bottom line at y 456 (8 pixels clear of the window's edge);
    // this picture starts at y 251. The frame ends above the bottom line, its corners tight enough to stay
    // clear of the last rows.
    Canvas scores(640, 229);
    PaintBackdrop(scores, 251);
    auto table = [](float x, float y) { return SdRoundBox(x, y, 320, 104, 313, 96, 6); };
    FillShape(scores, table, Solid({12, 12, 36}), 0.9f);
    StrokeShape(scores, 0, 0, 640, 229, table, {120, 140, 255}, 2);
    FillShape(
        scores, [](float x, float y) { return SdRoundBox(x, y, 330, 27, 294, 11, 6); },
        VerticalGradient(16, {70, 60, 150}, 38, {36, 30, 90}));
    constexpr float kRowLeft = 54, kRowRight = 614;  // a row's text at rest (64 to 604) and a margin
    for (int row = 0; row < 9; ++row) {
        float y = 51 + 16 * float(row) + 8;
        float centre = (kRowLeft + kRowRight) / 2;
        float half = (kRowRight - kRowLeft) / 2 + float(row + 2);
        Colour stripe = row % 2 == 0 ? Colour{28, 30, 72} : Colour{18, 18, 50};
        FillShape(
            scores, [=](float x, float py) { return SdRoundBox(x, py, centre, y, half, 7.5f, 4); },
            Solid(stripe));
    }
    // Trophy colours for the first three ranks: a small bar left of their rows, clear of their sway.
    const Colour medals[3] = {{255, 204, 64}, {200, 210, 230}, {210, 130, 70}};
    for (int row = 0; row < 3; ++row) {
        FillShape(
            scores, [=](float x, float y) { return SdRoundBox(x, y, 34, float(51 + 16 * row) + 8, 6, 5, 2); },
            Solid(medals[row]));
    }
    WritePng(out, dir + "bottom.png", scores, KeyMode::Opaque);
}

void WriteScoreScreenArt(AssetOutput& out) {
    // The new entry's row, lit: a bar over the widest of the table's stripes (x 40 to 620 at rest, drawn
    // from x 36), two pixels taller than a row above and below, with a bright edge.
    Canvas row(588, 20);
    auto bar = [](float x, float y) { return SdRoundBox(x, y, 294, 10, 290, 9, 5); };
    AddGlow(row, 0, 0, 588, 20, bar, {60, 160, 255}, 3, 0.5f);
    FillShape(row, bar, VerticalGradient(1, {44, 84, 170}, 19, {18, 34, 96}));
    StrokeShape(row, 0, 0, 588, 20, bar, {150, 230, 255}, 1.5f);
    WritePng(out, "scorelit.png", row, KeyMode::BlackIsTransparent);

    // The card of a finished game over the foot of the title: two lines of the bitmap font (the game's
    // result, the score server's answer) or one. 576 pixels wide, 48 cells of text; drawn centred.
    for (int lines = 1; lines <= 2; ++lines) {
        const int height = lines == 2 ? 56 : 34;
        Canvas card(576, height);
        const float halfH = float(height) / 2 - 2;
        auto box = [=](float x, float y) { return SdRoundBox(x, y, 288, float(height) / 2, 284, halfH, 10); };
        AddGlow(card, 0, 0, 576, height, box, {90, 120, 255}, 2, 0.6f);
        FillShape(card, box, VerticalGradient(2, {30, 34, 92}, float(height - 2), {12, 12, 40}));
        FillShape(
            card, [&](float x, float y) { return std::max(box(x, y) + 3, y - float(height) / 2); },
            Solid(kWhite), 0.05f);
        StrokeShape(card, 0, 0, 576, height, box, {150, 200, 255}, 2);
        WritePng(out, lines == 2 ? "result.png" : "result1.png", card, KeyMode::BlackIsTransparent);
    }
}

// The About screen's second page: the rules and the keys, on the whole screen so that every line can be
// large enough to read at 640 by 480. Each bonus block is shown as the board draws it.
void WriteHowToPlay(AssetOutput& out, const LanguageWords& words) {
    Canvas page(640, 480);
    PaintBackdrop(page, 0);
    PaintCard(page, 240, 306, 228, 0.94f);
    DrawWordsCentred(page, words.howToTitle, 320, 40, HeadingStyle(28));

    constexpr int kTextWidth = 580;
    const Colour body = {230, 235, 255};
    const Colour accent = {170, 200, 255};
    auto line = [&](const char* text, float y, Colour colour, int size) {
        DrawWordsCentred(page, text, 320, y,
                         PlainText(FitSize(text, FontFace::Bold, size, kTextWidth), colour));
    };
    line(words.howToGoal[0], 82, body, 16);
    line(words.howToGoal[1], 103, body, 16);
    line(words.howToScoring, 132, {255, 228, 145}, 16);
    for (int i = 0; i < 3; ++i) {
        const int y = 154 + i * 38;
        PaintBlock(page, 96, y, i + 1, 17 + i, 4, false);
        const int size = FitSize(words.howToBonus[i], FontFace::Bold, 16, 440);
        DrawWords(page, words.howToBonus[i], 142, float(y + 8), PlainText(size, body));
    }
    line(words.howToTimer[0], 284, accent, 15);
    line(words.howToTimer[1], 305, accent, 15);
    line(words.howToLevels[0], 336, body, 15);
    line(words.howToLevels[1], 357, body, 15);
    FillRect(page, 60, 376, 520, 1, {70, 90, 180});
    line(words.howToKeys[0], 394, accent, 14);
    line(words.howToKeys[1], 414, accent, 14);
    line(words.howToKeys[2], 434, accent, 14);
    DrawWordsCentred(page, words.howToBack, 320, 458, PlainText(13, {140, 150, 200}));
    WritePng(out, std::string(words.code) + "/howto.png", page, KeyMode::Opaque);
}
