// The panel: the game's name at the top, then framed wells exactly where the digits are drawn (lives,
// level, the level's points with the score, the seconds left), labelled in the panel's language, and a
// legend of the three bonus blocks at the bottom.
#include "panel_art.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "blocks.h"
#include "draw.h"
#include "palette.h"
#include "png_writer.h"
#include "text_art.h"

namespace {

// A recessed, framed well around the box (x, y, w, h) plus a margin.
void DrawWell(Canvas& c, int x, int y, int w, int h, int margin) {
    float cx = float(x) + float(w) / 2, cy = float(y) + float(h) / 2;
    float hw = float(w) / 2 + float(margin), hh = float(h) / 2 + float(margin);
    auto box = [=](float px, float py) { return SdRoundBox(px, py, cx, cy, hw, hh, 6); };
    int x0 = x - margin - 8, y0 = y - margin - 8, x1 = x + w + margin + 8, y1 = y + h + margin + 8;
    AddGlow(c, x0, y0, x1, y1, box, {60, 90, 220}, 6, 0.35f);
    FillShape(c, x0, y0, x1, y1, box, VerticalGradient(cy - hh, {6, 8, 20}, cy + hh, {16, 20, 44}));
    StrokeShape(c, x0, y0, x1, y1, box, {120, 150, 255}, 1.6f);
    StrokeShape(
        c, x0, y0, x1, y1, [=](float px, float py) { return box(px, py) + 2.5f; }, {40, 50, 110}, 1.0f);
}

TextStyle LabelStyle(int size) {
    TextStyle s;
    s.face = FontFace::Bold;
    s.size = size;
    s.fill = Solid({190, 205, 255});
    s.outline = kInk;
    s.outlineWidth = 1.0f;
    return s;
}

void DrawHeart(Canvas& c, float cx, float cy, float s) {
    auto heart = [=](float x, float y) {
        float l = SdCircle(x, y, cx - s * 0.5f, cy - s * 0.2f, s * 0.55f);
        float r = SdCircle(x, y, cx + s * 0.5f, cy - s * 0.2f, s * 0.55f);
        float v = SdPolygon(x, y, {{cx - s * 1.02f, cy}, {cx + s * 1.02f, cy}, {cx, cy + s * 1.1f}});
        return std::min(std::min(l, r), v);
    };
    FillShape(c, heart, Solid(kInk));
    FillShape(
        c, [&](float x, float y) { return heart(x, y) + 1.2f; },
        VerticalGradient(cy - s, {255, 120, 130}, cy + s, {190, 20, 50}));
}

}  // namespace

void WritePanel(AssetOutput& out, const LanguageWords& words) {
    Canvas panel(160, 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 160; ++x) {
            float fy = float(y) + 0.5f, fx = float(x) + 0.5f;
            Colour c = Mix({24, 26, 64}, {10, 10, 30}, fy / 480.0f);
            // Faint diagonal stripes for texture.
            float stripe = 0.5f + 0.5f * std::sin((fx + fy) * 0.35f);
            c = Add(c, Scale({5, 5, 12}, stripe));
            panel.Blend(x, y, c, 1);
        }
    }
    // Separator against the board: a bright line with a glow.
    AddGlow(
        panel, 0, 0, 16, 480, [](float x, float) { return x - 2.5f; }, {80, 120, 255}, 10, 0.5f);
    FillRect(panel, 0, 0, 2, 480, {150, 180, 255});
    FillRect(panel, 2, 0, 1, 480, {40, 50, 120});

    // Name of the game with three small blocks.
    TextStyle title;
    title.face = FontFace::Bold;
    title.size = 44;
    title.fill = VerticalGradient(14, {255, 250, 200}, 58, {255, 150, 30});
    title.outline = {40, 10, 40};
    title.outlineWidth = 2.5f;
    title.shadowOffset = 3;
    title.shadow = {4, 4, 10};
    DrawWordsCentred(panel, "QUZ", 82, 38, title);
    for (int i = 0; i < 3; ++i) {
        PaintBlock(panel, 32 + i * 34, 66, i + 1, 0, 3, false);
    }

    DrawWordsCentred(panel, words.lives, 82, 104, LabelStyle(14));
    DrawWell(panel, kLivesSlot.x, kLivesSlot.y, kLivesSlot.w, kLivesSlot.h, 5);
    DrawHeart(panel, 36, 135, 8);

    DrawWordsCentred(panel, words.level, 82, 177, LabelStyle(14));
    DrawWell(panel, kLevelSlot.x, kLevelSlot.y, kLevelSlot.w, kLevelSlot.h, 5);

    DrawWordsCentred(panel, words.score, 82, 242, LabelStyle(14));
    // One well holds the level's points (small digits, top right) and the score under them.
    {
        int left = std::min(kScoreSlot.x, kLevelPointsSlot.x);
        int right = std::max(kScoreSlot.x + kScoreSlot.w, kLevelPointsSlot.x + kLevelPointsSlot.w);
        int bottom = kScoreSlot.y + kScoreSlot.h;
        DrawWell(panel, left, kLevelPointsSlot.y, right - left, bottom - kLevelPointsSlot.y, 5);
    }
    TextStyle small =
        LabelStyle(FitSize(words.levelPoints, FontFace::Book, 10, kLevelPointsSlot.x - kScoreSlot.x - 6));
    small.face = FontFace::Book;
    small.fill = Solid({150, 170, 230});
    small.outlineWidth = 0;
    DrawWords(panel, words.levelPoints, float(kScoreSlot.x + 1), float(kLevelPointsSlot.y - 3), small);

    DrawWordsCentred(panel, words.time, 82, 322, LabelStyle(14));
    DrawWell(panel, kSecondsSlot.x, kSecondsSlot.y, kSecondsSlot.w, kSecondsSlot.h, 5);
    // A small clock beside the seconds.
    FillShape(
        panel, [](float x, float y) { return SdCircle(x, y, 36, 351, 9); }, Solid(kInk));
    FillShape(
        panel, [](float x, float y) { return SdCircle(x, y, 36, 351, 7.8f); }, Solid({210, 225, 255}));
    FillShape(
        panel,
        [](float x, float y) {
            return SdSegment(x, y, {36, 351}, {36, 345}, 0.9f);
        },
        Solid(kInk));
    FillShape(
        panel,
        [](float x, float y) {
            return SdSegment(x, y, {36, 351}, {40.5f, 351}, 0.9f);
        },
        Solid(kInk));

    // Legend of the bonus blocks.
    FillRect(panel, 14, 384, 132, 1, {70, 90, 180});
    const char* legend[3] = {words.legendDouble, words.legendLines, words.legendPoints};
    for (int i = 0; i < 3; ++i) {
        int y = 390 + i * 29;
        PaintBlock(panel, 10, y - 2, i + 1, 17 + i, 10, false);
        TextStyle s = LabelStyle(FitSize(legend[i], FontFace::CondensedBold, 11, 104));
        s.face = FontFace::CondensedBold;
        s.fill = Solid({220, 225, 255});
        DrawWords(panel, legend[i], 48, float(y + 7), s);
    }
    WritePng(out, std::string(words.code) + "/right.png", panel, KeyMode::Opaque);
}
