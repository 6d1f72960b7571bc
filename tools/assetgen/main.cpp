// Asset generator: writes every file of the game's data/ folder. Usage: assetgen <data dir> <font dir>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "icon.h"
#include "output.h"
#include "texts.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: assetgen <data dir> <font dir>\n");
        return 2;
    }
    AssetOutput out(argv[1]);
    WriteLanguageTexts(out);
    WriteIcon(out);
    return out.Failed() ? 1 : 0;
}
