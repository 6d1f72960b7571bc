// The window and how the Screen reaches it. The game draws into one 640 by 480 XRGB8888 surface in
// system memory (the Screen); each frame it is copied into a streaming texture and drawn by an
// SDL_Renderer whose logical size is the picture's, so a full screen or a resized window scales it with
// black bars, aspect kept. Pointer positions are read back through the same mapping.
#pragma once

#include <SDL.h>

// The Screen's pixel format, whatever the display's: 32 bits, red, green, blue, the top byte unused.
inline constexpr Uint32 kScreenPixelFormat = SDL_PIXELFORMAT_XRGB8888;
// A new copy of the image in the Screen's format (a colour key carried over as the same colour), or
// null with SDL's error set. Images kept for drawing are converted once, so each copy is a plain one.
SDL_Surface* ConvertToScreenFormat(SDL_Surface* image);

// Picks the cheapest renderer unless the user set SDL's own variables: without a graphics card, SDL2's
// software renderer drawing straight into the window's framebuffer (no OpenGL, so no software GL
// rasteriser); everywhere, a renderer that can wait for the display's refresh should. Call before
// SDL_Init.
void ChoosePresentation();

// True when SDL started a video driver that shows nothing (dummy, offscreen) without being asked to by
// SDL_VIDEODRIVER: the player would get no window at all. Call after SDL_Init.
bool VideoDriverShowsNothing();

// Opens the window with the caption (full screen on the desktop's own mode, or a resizable 640 by 480
// window), its renderer and the Screen. Returns the Screen, or null with the reason in SDL_GetError().
SDL_Surface* OpenPresentation(const char* caption, bool fullScreen);
// Switches between full screen and the window; the Screen stays the same. False when SDL refused.
bool SetPresentationFullScreen(bool fullScreen);
// Puts the Screen on the display. Nothing happens before OpenPresentation.
void PresentScreen();
// Frees the Screen, the renderer and the window.
void ClosePresentation();

// The Screen OpenPresentation returned, or null.
SDL_Surface* PresentationScreen();
// The window, or null before OpenPresentation (and in tests that draw into a plain surface).
SDL_Window* PresentationWindow();
// Whether presenting waits for the display's refresh (the frame limiter then rarely sleeps).
bool PresentationWaitsForDisplay();
// The display's refresh rate as SDL reports it, or 0 when it reports none. Call after the window opens.
int DisplayRefreshRate();

// Window coordinates (as SDL_GetMouseState gives them) to the picture's, clamped into the picture.
void WindowToPicture(int windowX, int windowY, int* x, int* y);
// The picture's coordinates to the window's (the inverse, for moving the pointer).
void PictureToWindow(int x, int y, int* windowX, int* windowY);
