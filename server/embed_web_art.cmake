# Writes the generator's logo and palette into a header the server compiles in:
#   cmake -DLOGO=... -DPALETTE=... -DOUT=... -P embed_web_art.cmake
file(READ ${LOGO} logo)
file(READ ${PALETTE} palette)
file(WRITE ${OUT}.tmp "// Made by server/embed_web_art.cmake from the generator's web art.\n"
     "constexpr char kLogoSvg[] = R\"quzart(${logo})quzart\";\n"
     "constexpr char kPaletteCss[] = R\"quzart(${palette})quzart\";\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
