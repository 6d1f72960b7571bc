// The program's command line. Arguments are taken in any order; an argument the game does not know is
// ignored, as it always was.
#pragma once

#include <string>

// "--help" or "--version" asks for information instead of a game.
enum class InfoRequest { None, Help, Version };

struct CommandLine {
    bool windowed = false;  // "-windowed", exactly
    InfoRequest info = InfoRequest::None;
    // "--replay FILE" (or "--replay=FILE"): show that replay instead of the menu, then quit. The name as
    // given; ResolveReplayPath makes it absolute before start-up changes folder.
    std::string replayPath;
    // "--replay-speed=N": the replay starts N times as fast (1 to 64), so a test need not watch minutes.
    int replaySpeed = 1;
    // A line for the player when the command line cannot be followed (a --replay without its file, a
    // speed out of range); the game then does not start.
    std::string error;
};

CommandLine ParseCommandLine(int argc, char** argv);

// The replay's name made absolute against the starting folder (call after RememberStartFolder).
void ResolveReplayPath(CommandLine& commandLine);
