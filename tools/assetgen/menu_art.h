// The menu's pictures: title (640 by 251), buttons plain and lit (640 by 43 for play, 42 for the others),
// footer (640 by 60), credits and score-screen background (640 by 229); per language where words appear.
#pragma once

#include "language.h"
#include "output.h"

void WriteMenuTitle(AssetOutput& out);
void WriteMenuPictures(AssetOutput& out, const LanguageWords& words);
