// Message art. Panels are opaque rounded cards (their corners are transparent); announcement lines are
// outlined words with nothing around them, so the board shows through.
#include "message_art.h"

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

void DrawLine(AssetOutput& out, const std::string& path, const std::string& text, Colour top, Colour bottom) {
    Canvas c(256, 64);
    TextStyle style;
    style.face = FontFace::Bold;
    style.size = FitSize(text, FontFace::Bold, 34, 236);
    style.fill = VerticalGradient(18, top, 46, bottom);
    style.outline = kInk;
    style.outlineWidth = 3;
    style.shadowOffset = 2;
    style.shadow = {20, 10, 30};
    DrawWordsCentred(c, text, 128, 32, style);
    WritePng(out, path, c, KeyMode::BlackIsTransparent);
}

}  // namespace

void WriteMessages(AssetOutput& out, const LanguageWords& w) {
    const std::string dir = std::string(w.code) + "/";
    const Mood gold = {{255, 190, 40}, {255, 250, 200}, {255, 150, 20}};
    const Mood red = {{230, 50, 60}, {255, 200, 190}, {230, 40, 50}};
    const Mood cyan = {{80, 200, 255}, {230, 255, 255}, {60, 180, 255}};
    DrawPanel(out, dir + "hiscore.png", w.hiscoreTitle, w.hiscorePrompt, cyan, true);
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
}
