// Helpers shared by the app tests: a dummy-driver Screen, a scratch working directory, and small images.
#pragma once

#include <SDL.h>

#include <string>

// Runs the test body in a fresh empty directory and returns to the build folder afterwards.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    // Writes a plain w by h image at path (under the scratch directory); the loader reads it whatever
    // its name says.
    static void WriteImage(const std::string& path, int w, int h);

  private:
    std::string previous_;
    std::string path_;
};

// Starts SDL's video (dummy driver under CTest) with a 640 by 480 software Screen, or keeps the one a
// previous test left open. Tests leave it open.
bool OpenTestScreen();
