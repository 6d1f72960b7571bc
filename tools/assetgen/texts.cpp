// Language texts: four lines each, only glyphs that the bitmap font has (letters, digits, . ! * - and
// the space), since the game draws them with it. The bottom line is drawn from x 0 with a 12-pixel advance,
// so it holds at most 53 characters; leading spaces centre it.
#include "texts.h"

#include <string>

void WriteLanguageTexts(AssetOutput& out) {
    const std::string french =
        "  CLIC OU ECHAP POUR REVENIR - F1 EFFACE LES SCORES\n"
        "RANG\n"
        "NOM\n"
        "SCORE\n";
    const std::string english =
        "  CLICK OR ESCAPE TO GO BACK - F1 RESETS THE TABLE\n"
        "RANK\n"
        "NAME\n"
        "SCORE\n";
    out.Write("text_fr.txt", french.data(), french.size());
    out.Write("text_en.txt", english.data(), english.size());
}
