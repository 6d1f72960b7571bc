// Message art. Panels are opaque rounded cards (their corners are transparent); announcement lines are
// outlined words with nothing around them, so the board shows through.
#include "message_art.h"

#include <cmath>
#include <string>

#include "draw.h"
#include "palette.h"
#include "png_writer.h"
#include "text_art.h"

namespace {

struct Mood {
    Colour frame, top, bottom;
};

void DrawPanel(AssetOutput& out, const std::string& path, const std::string& title,
               const std::string& subtitle, Mood mood, bool nameField) {
    Canvas c(380, 128);
    auto card = [](float x, float y) { return SdRoundBox(x, y, 190, 64, 188, 62, 14); };
    FillShape(c, card, Solid(Mix(mood.frame, kWhite, 0.3f)));
    FillShape(
        c, [&](float x, float y) { return card(x, y) + 3; },
        VerticalGradient(0, {30, 30, 76}, 128, {10, 10, 30}));
    StrokeShape(
        c, 0, 0, 380, 128, [&](float x, float y) { return card(x, y) + 5; }, Scale(mood.frame, 0.6f), 1.2f);
    FillShape(
        c, [&](float x, float y) { return std::max(card(x, y) + 4, y - 40); }, Solid(kWhite), 0.06f);

    TextStyle head;
    head.face = FontFace::Bold;
    head.size = FitSize(title, FontFace::Bold, 34, 340);
    head.fill = VerticalGradient(22, mood.top, 58, mood.bottom);
    head.outline = kInk;
    head.outlineWidth = 2.5f;
    head.shadowOffset = 2;
    head.shadow = {2, 2, 8};
    float headY = nameField ? 32.0f : 46.0f;
    DrawWordsCentred(c, title, 190, headY, head);
    TextStyle sub;
    sub.face = FontFace::Bold;
    sub.size = FitSize(subtitle, FontFace::Bold, 16, 340);
    sub.fill = Solid({200, 210, 255});
    sub.outline = kInk;
    sub.outlineWidth = 1.2f;
    DrawWordsCentred(c, subtitle, 190, nameField ? 70.0f : 92.0f, sub);
    if (nameField) {
        // The typed name is drawn by the game at panel (21, 101) in 16-pixel glyphs, up to 28 cells.
        auto field = [](float x, float y) { return SdRoundBox(x, y, 190, 109, 176, 13, 5); };
        FillShape(c, field, Solid({6, 6, 18}));
        StrokeShape(c, 0, 0, 380, 128, field, Mix(mood.frame, kWhite, 0.2f), 1.2f);
    }
    WritePng(out, path, c, KeyMode::BlackIsTransparent);
}

// Every announcement line is drawn at one size, so they read as one set. A line too long for the picture
// at that size is set in the condensed face, and squeezed sideways if even that is too wide: it keeps
// the others' height.
constexpr int kLineSize = 34;
constexpr int kLineWidth = 236;

void DrawLine(AssetOutput& out, const std::string& path, const std::string& text, Colour top, Colour bottom) {
    Canvas c(256, 64);
    TextStyle style;
    style.face = FontFace::Bold;
    style.size = kLineSize;
    style.fill = VerticalGradient(18, top, 46, bottom);
    style.outline = kInk;
    style.outlineWidth = 3;
    style.shadowOffset = 2;
    style.shadow = {20, 10, 30};
    TextMask mask = RenderText(text, style.face, style.size);
    if (mask.width > kLineWidth) {
        style.face = FontFace::CondensedBold;
        mask = RenderText(text, style.face, style.size);
    }
    if (mask.width > kLineWidth) {
        mask = SqueezeWidth(mask, kLineWidth);
    }
    DrawMask(c, mask, std::round(128 - float(mask.width) / 2), std::round(32 - float(mask.height) / 2),
             style);
    WritePng(out, path, c, KeyMode::BlackIsTransparent);
}

// The pause screen covers the whole board, so a paused game gives no time to study it: the board's own
// slots, dimmed, under a card with the word and how to go on.
void DrawPause(AssetOutput& out, const std::string& path, const LanguageWords& w) {
    Canvas c(480, 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 480; ++x) {
            float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            float dist = std::hypot(fx - 240, fy - 240) / 340.0f;
            Colour col = Scale(Mix({14, 14, 36}, {26, 22, 60}, 0.5f + 0.5f * std::sin(fy / 160.0f)),
                               1.0f - 0.6f * dist * dist);
            float cx = std::floor(fx / 32) * 32 + 16, cy = std::floor(fy / 32) * 32 + 16;
            if (SdRoundBox(fx, fy, cx, cy, 14.0f, 14.0f, 5.0f) < 0) {
                col = Scale(col, 0.7f);
            }
            c.Blend(x, y, col, 1);
        }
    }
    auto card = [](float x, float y) { return SdRoundBox(x, y, 240, 232, 190, 92, 16); };
    AddGlow(c, 0, 0, 480, 480, card, {90, 110, 255}, 24, 0.35f);
    FillShape(c, card, VerticalGradient(140, {34, 34, 86}, 324, {12, 12, 34}));
    StrokeShape(c, 0, 0, 480, 480, card, {140, 160, 255}, 2);
    StrokeShape(
        c, 0, 0, 480, 480, [&](float x, float y) { return card(x, y) + 5; }, {60, 70, 150}, 1.2f);
    // Two bars, the sign of a pause, above the word.
    for (int side = -1; side <= 1; side += 2) {
        float bx = 240 + float(side) * 14;
        FillShape(
            c, [=](float x, float y) { return SdRoundBox(x, y, bx, 178, 7, 20, 3); },
            VerticalGradient(158, {255, 250, 200}, 198, {255, 150, 20}));
    }
    TextStyle head;
    head.face = FontFace::Bold;
    head.size = FitSize(w.pauseTitle, FontFace::Bold, 44, 340);
    head.fill = VerticalGradient(214, {255, 250, 200}, 252, {255, 150, 20});
    head.outline = kInk;
    head.outlineWidth = 3;
    head.shadowOffset = 3;
    head.shadow = {2, 2, 8};
    DrawWordsCentred(c, w.pauseTitle, 240, 234, head);
    TextStyle sub;
    sub.face = FontFace::Bold;
    sub.size = FitSize(w.pauseResume, FontFace::Bold, 18, 340);
    sub.fill = Solid({220, 228, 255});
    sub.outline = kInk;
    sub.outlineWidth = 1.2f;
    DrawWordsCentred(c, w.pauseResume, 240, 276, sub);
    sub.size = FitSize(w.pauseQuit, FontFace::Bold, 14, 340);
    sub.fill = Solid({150, 160, 210});
    DrawWordsCentred(c, w.pauseQuit, 240, 300, sub);
    WritePng(out, path, c, KeyMode::Opaque);
}

}  // namespace

void WriteMessages(AssetOutput& out, const LanguageWords& w) {
    const std::string dir = std::string(w.code) + "/";
    const Mood gold = {{255, 190, 40}, {255, 250, 200}, {255, 150, 20}};
    const Mood red = {{230, 50, 60}, {255, 200, 190}, {230, 40, 50}};
    const Mood cyan = {{80, 200, 255}, {230, 255, 255}, {60, 180, 255}};
    DrawPanel(out, dir + "hiscore.png", w.hiscoreTitle, w.hiscorePrompt, cyan, true);
    // A game that is only sent (the board of the day, or a score below the table) claims no record.
    const Mood violet = {{150, 120, 255}, {240, 235, 255}, {160, 140, 255}};
    DrawPanel(out, dir + "entry.png", w.entryTitle, w.entryPrompt, violet, true);
    DrawPanel(out, dir + "wonlevel.png", w.wonLevel, w.wonLevelSub, gold, false);
    DrawPanel(out, dir + "loselevel.png", w.loseLevel, w.loseLevelSub, red, false);
    DrawPanel(out, dir + "gameover.png", w.gameOver, w.gameOverSub, red, false);
    DrawPanel(out, dir + "wongame.png", w.wonGame, w.wonGameSub, gold, false);

    DrawLine(out, dir + "perfect.png", w.perfect, {255, 255, 210}, {255, 170, 20});
    DrawLine(out, dir + "5000.png", w.points5000, {255, 255, 210}, {255, 170, 20});
    DrawLine(out, dir + "bonus2x.png", w.bonus2x, {255, 220, 220}, {235, 50, 60});
    DrawLine(out, dir + "bonusAddLine.png", w.bonusAddLine, {220, 255, 210}, {50, 190, 70});
    DrawLine(out, dir + "bonus500.png", "+500", {220, 235, 255}, {60, 120, 240});
    DrawLine(out, dir + "bonus1000.png", "+1000", {220, 235, 255}, {60, 120, 240});
    DrawLine(out, dir + "bonuslife.png", w.bonusLife, {255, 220, 230}, {230, 60, 120});
    DrawPause(out, dir + "pause.png", w);
}
