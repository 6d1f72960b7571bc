// Asset generator: writes every file of the game's data/ folder and, given an icons folder, the desktop's
// application icons, and given a web folder, the leaderboard page's art.
// Usage: assetgen <data dir> <font dir> [<icons dir> [<web dir>]]
#include <cstdio>
#include <string>

#include "blocks.h"
#include "board_art.h"
#include "glyph_strips.h"
#include "icon.h"
#include "language.h"
#include "logo_art.h"
#include "menu_art.h"
#include "message_art.h"
#include "music.h"
#include "output.h"
#include "panel_art.h"
#include "sound_effects.h"
#include "text_art.h"
#include "texts.h"
#include "web_art.h"
#include "wipe_map.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: assetgen <data dir> <font dir> [<icons dir> [<web dir>]]\n");
        return 2;
    }
    AssetOutput out(argv[1]);
    if (!OpenFonts(argv[2])) {
        return 1;
    }
    WriteLanguageTexts(out);
    WriteIcon(out);
    WriteBlockStrips(out);
    WriteBoardArt(out);
    WriteGlyphStrips(out);
    WriteMenuTitle(out);
    WriteScoreScreenArt(out);
    WriteLogo(out);
    WriteWipeMap(out);
    WriteSoundEffects(out);
    WriteMusic(out);
    for (const LanguageWords* words : {&FrenchWords(), &EnglishWords()}) {
        WritePanel(out, *words);
        WriteMenuPictures(out, *words);
        WriteHowToPlay(out, *words);
        WriteMessages(out, *words);
    }
    CloseFonts();
    bool iconsFailed = false;
    if (argc > 3) {
        AssetOutput icons(argv[3]);
        WriteAppIcons(icons);
        iconsFailed = icons.Failed();
    }
    bool webFailed = false;
    if (argc > 4) {
        AssetOutput web(argv[4]);
        WriteWebArt(web);
        webFailed = web.Failed();
    }
    return out.Failed() || iconsFailed || webFailed ? 1 : 0;
}
