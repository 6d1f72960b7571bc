// The music: an original six-channel piece (lead, echo, bass, chord stabs, kick and snare, hats) written
// as a tracker module to data/sound/1.zik.
#pragma once

#include "mod_writer.h"
#include "output.h"

ModSong ComposeSong();
void WriteMusic(AssetOutput& out);
