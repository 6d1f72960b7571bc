// Language texts: four lines each, only glyphs that the bitmap font has (letters, digits, . ! * - and
// the space), since the game draws them with it.
#include "texts.h"

#include <string>

void WriteLanguageTexts(AssetOutput& out) {
    const std::string french =
        "CLIQUEZ OU ECHAP POUR REVENIR  -  F1 REMET LES SCORES A ZERO\n"
        "RANG\n"
        "NOM\n"
        "SCORE\n";
    const std::string english =
        "CLICK OR PRESS ESCAPE TO GO BACK  -  F1 RESETS THE TABLE\n"
        "RANK\n"
        "NAME\n"
        "SCORE\n";
    out.Write("text_fr.txt", french.data(), french.size());
    out.Write("text_en.txt", english.data(), english.size());
}
