// `quz --replay FILE`: a recorded game shown in the window as it was played, by the real game screen fed
// with the replay's commands instead of the player's input. Space pauses, Right doubles the speed (up to
// 64 times), Escape or the window's close ends it. When the game reaches its end (its last fade-out
// begins) the picture stays for a few seconds, then the viewer ends and the program quits.
#pragma once

#include <string>

#include "core/replay_codec.h"

struct ReplayViewer;

// Reads the replay to show. False, with the reason in `problem` (what is wrong with the file, or the two
// rules versions when it was played under other rules), when it cannot be shown.
bool LoadReplayToShow(const std::string& path, quz::core::Replay& replay, std::string& problem);

// The game screen set up for the replay (resources loaded, music started); null when the game's
// resources cannot be loaded. speed: 1 to 64.
ReplayViewer* CreateReplayViewer(const quz::core::Replay& replay, int speed);
// One frame: the viewer's keys, the ticks real time (times the speed) asks for, the game screen drawn.
// False once the replay is over.
bool ReplayViewerFrame(ReplayViewer* viewer);
void DestroyReplayViewer(ReplayViewer* viewer);
