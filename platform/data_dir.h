// The game reads "data/..." relative to its working directory. A player may start the binary from
// anywhere, so when the working directory has no data/, the game moves to its own executable's folder.
#pragma once

// Returns true when data/ is reachable from the (possibly changed) working directory.
bool EnterDataDirectory(const char* argv0);
