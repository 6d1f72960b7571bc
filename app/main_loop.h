// The one frame loop of the program, and the full-screen toggle.
#pragma once

// What the loop runs in the next frame. Start-up sets it, the menu hands it a choice, a game's end
// brings the menu back; only app/ reads it.
// InDailyGame is a game of the board of the day: the same as InGame but for the game it starts.
// ShowingReplay: `quz --replay`, a recorded game in place of the menu, until the program quits.
enum class AppModeKind : int { InMenu = 0, InGame = 1, Quit = 2, InDailyGame = 3, ShowingReplay = 4 };
extern AppModeKind AppMode;

// Runs frames until AppMode is Quit after a frame.
void RunMainLoop();
// One frame: frame clock, input (F12 and F9 taken here), the menu or game step, the flip. Returns false once
// AppMode is Quit.
bool RunMainLoopFrame();
// Switches between full screen and a window; keeps the current mode when the new one cannot be set.
void ToggleFullScreen();
// Creates the Menu the loop owns unless one exists (start-up, and the first menu frame after a game).
void EnsureMenu();
// The Menu the loop owns, or null.
struct Menu* CurrentMenu();
// Hands the loop a replay to show (it owns it from then on) and sets AppMode to ShowingReplay.
void ShowReplay(struct ReplayViewer* viewer);
// Releases the Menu, Game or replay the loop still owns (shut-down).
void ReleaseMainLoopObjects();
