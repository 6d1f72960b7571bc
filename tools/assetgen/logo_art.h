// The maker's logo shown full screen before the menu (640 by 480).
#pragma once

#include "output.h"

void WriteLogo(AssetOutput& out);
