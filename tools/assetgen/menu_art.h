// The menu's pictures: title (640 by 251), buttons plain and lit (640 by 43 for play, 42 for the others),
// footer (640 by 60), credits and score-screen background (640 by 229), the how-to-play page (640 by
// 480); per language where words appear.
#pragma once

#include "language.h"
#include "output.h"

void WriteMenuTitle(AssetOutput& out);
// The score screen's lit row (scorelit.png) and the cards of a finished game's result (result.png, two
// lines; result1.png, one line).
void WriteScoreScreenArt(AssetOutput& out);
void WriteMenuPictures(AssetOutput& out, const LanguageWords& words);
// The About screen's second page, how to play (640 by 480).
void WriteHowToPlay(AssetOutput& out, const LanguageWords& words);
