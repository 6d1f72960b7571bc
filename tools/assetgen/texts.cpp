// Language texts: four lines each, only glyphs that the bitmap font has (letters, digits, . ! * - and
// the space), since the game draws them with it. The bottom line is drawn from x 0 with a 12-pixel advance:
// it is kept short and centred by leading spaces, so it stands clear of both edges of the screen.
#include "texts.h"

#include <string>

namespace {

constexpr size_t kScreenCells = 640 / 12;

// The line with enough leading spaces to centre it on the screen.
std::string Centred(const std::string& line) {
    size_t pad = line.size() < kScreenCells ? (kScreenCells - line.size()) / 2 : 0;
    return std::string(pad, ' ') + line;
}

}  // namespace

void WriteLanguageTexts(AssetOutput& out) {
    const std::string french = Centred("CLIC OU ECHAP - RETOUR    F1 - EFFACER") +
                               "\n"
                               "RANG\n"
                               "NOM\n"
                               "SCORE\n";
    const std::string english = Centred("CLICK OR ESCAPE - BACK    F1 - RESET") +
                                "\n"
                                "RANK\n"
                                "NAME\n"
                                "SCORE\n";
    out.Write("text_fr.txt", french.data(), french.size());
    out.Write("text_en.txt", english.data(), english.size());
}
