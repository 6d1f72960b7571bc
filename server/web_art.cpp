// The generator's web art inside the server (web_art.inc is made from <build>/web at build time).
#include "server/board_page.h"

namespace {

#include "web_art.inc"

}  // namespace

const char* LogoSvg() {
    return kLogoSvg;
}

const char* PaletteCss() {
    return kPaletteCss;
}
