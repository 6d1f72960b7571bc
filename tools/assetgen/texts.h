// The language texts of the score screen, in French and English.
#pragma once

#include "output.h"

void WriteLanguageTexts(AssetOutput& out);
