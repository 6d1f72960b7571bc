// The leaderboard page's art (see web_art.h). The logo spells QUZ in the board's own blocks, one colour a
// letter in the order of the title's three tiles, each block lit from the top left like the game's.
#include "web_art.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "palette.h"

namespace {

constexpr int kCell = 22;   // one block and its gap
constexpr int kBlock = 20;  // the block itself
// Five by five, '#' a block.
constexpr const char* kLetters[3][5] = {
    {".###.", "#...#", "#...#", "#..#.", ".##.#"},
    {"#...#", "#...#", "#...#", "#...#", ".###."},
    {"#####", "...#.", "..#..", ".#...", "#####"},
};

std::string Hex(Colour c) {
    auto byte = [](float value) {
        return static_cast<unsigned>(std::lround(std::clamp(value, 0.0f, 255.0f)));
    };
    char text[8];
    snprintf(text, sizeof text, "#%02x%02x%02x", byte(c.r), byte(c.g), byte(c.b));
    return text;
}

std::string LogoSvg() {
    const int width = 3 * 5 * kCell + 2 * kCell - (kCell - kBlock);
    const int height = 5 * kCell - (kCell - kBlock);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + std::to_string(width) +
                      " " + std::to_string(height) + "\" role=\"img\" aria-label=\"QUZ\"><defs>";
    for (int colour = 1; colour <= 3; ++colour) {
        const BlockColours pal = BlockPalette(colour);
        svg += "<linearGradient id=\"b" + std::to_string(colour) +
               "\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\"><stop offset=\"0\" stop-color=\"" + Hex(pal.light) +
               "\"/><stop offset=\".45\" stop-color=\"" + Hex(pal.base) +
               "\"/><stop offset=\"1\" stop-color=\"" + Hex(pal.dark) + "\"/></linearGradient>";
    }
    svg += "</defs>";
    for (int letter = 0; letter < 3; ++letter) {
        const BlockColours pal = BlockPalette(letter + 1);
        const int left = letter * 6 * kCell;
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 5; ++column) {
                if (kLetters[letter][row][column] != '#') {
                    continue;
                }
                const std::string x = std::to_string(left + column * kCell);
                const std::string y = std::to_string(row * kCell);
                svg.append("<rect x=\"").append(x).append("\" y=\"").append(y);
                svg.append("\" width=\"20\" height=\"20\" rx=\"5\" fill=\"url(#b")
                    .append(std::to_string(letter + 1))
                    .append(")\" stroke=\"")
                    .append(Hex(pal.dark))
                    .append("\" stroke-width=\"1\"/>");
                // The shine every block of the board has in its top-left corner.
                svg.append("<rect x=\"").append(std::to_string(left + column * kCell + 3)).append("\" y=\"");
                svg.append(std::to_string(row * kCell + 3))
                    .append("\" width=\"9\" height=\"5\" rx=\"2.5\" fill=\"#ffffff\" fill-opacity=\".35\"/>");
            }
        }
    }
    svg += "</svg>\n";
    return svg;
}

std::string PaletteCss() {
    std::string css = ":root{";
    auto property = [&css](const char* name, Colour c) {
        css += std::string("--") + name + ":" + Hex(c) + ";";
    };
    property("night", kNight);
    property("dusk", kDusk);
    property("frame", kFrame);
    property("gold", kGold);
    property("gold-dark", kGoldDark);
    property("ink", kInk);
    property("cyan", kCyan);
    const char* names[3] = {"red", "green", "blue"};
    for (int colour = 1; colour <= 3; ++colour) {
        const BlockColours pal = BlockPalette(colour);
        property(names[colour - 1], pal.base);
        property((std::string(names[colour - 1]) + "-light").c_str(), pal.light);
        property((std::string(names[colour - 1]) + "-dark").c_str(), pal.dark);
    }
    css += "}\n";
    return css;
}

}  // namespace

void WriteWebArt(AssetOutput& out) {
    const std::string logo = LogoSvg();
    const std::string palette = PaletteCss();
    out.Write("logo.svg", logo.data(), logo.size());
    out.Write("palette.css", palette.data(), palette.size());
}
