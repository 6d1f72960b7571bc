// Wipe map file reading (see wipe_map_file.h).
#include "gfx/wipe_map_file.h"

#include <cstdio>
#include <cstring>

#include "gfx/wipe.h"
#include "platform/regular_file.h"

bool ReadWipeMapFile(const char* path, Uint8* map) {
    size_t got = 0;
    FILE* file = OpenRegularFile(path);
    if (file != nullptr) {
        got = fread(map, 1, kWipeMapSize, file);
        fclose(file);
    }
    memset(map + got, 0, kWipeMapSize - got);
    return got == kWipeMapSize;
}

bool LoadWipeMap(const char* path, Uint8* map) {
    if (ReadWipeMapFile(path, map)) {
        return true;
    }
    fprintf(stderr, "wipe map %s missing or short: fades are instant\n", path);
    return false;
}
