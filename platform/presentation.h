// How frames reach the screen under the 1.2 API on SDL2, chosen before SDL starts.
#pragma once

// Picks the cheapest way to present a frame, unless the user set these variables: SDL2's software
// renderer drawing straight into the window's framebuffer (no OpenGL, so no software GL rasteriser on
// machines without a graphics card). Full screen still scales the picture to the display, aspect kept.
// Call before SDL_Init.
void ChoosePresentation();

// The display's refresh rate as SDL reports it, or 0 when it reports none. Call after the video mode
// is set.
int DisplayRefreshRate();
