// Wipe map file reading (see wipe_map_file.h).
#include "gfx/wipe_map_file.h"

#include <cstdio>
#include <cstring>

#include "gfx/wipe.h"

bool ReadWipeMapFile(const char* path, Uint8* map) {
    size_t got = 0;
    FILE* file = fopen(path, "rb");
    if (file != nullptr) {
        got = fread(map, 1, kWipeMapSize, file);
        fclose(file);
    }
    memset(map + got, 0, kWipeMapSize - got);
    return got == kWipeMapSize;
}
