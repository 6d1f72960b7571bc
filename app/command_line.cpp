// The program's command line (see command_line.h).
#include "app/command_line.h"

#include <cstring>
#include <filesystem>

#include "platform/data_dir.h"

namespace {

constexpr int kMaxReplaySpeed = 64;

bool ParseSpeed(const char* text, int& speed) {
    int value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > kMaxReplaySpeed) {
            return false;
        }
        value = value * 10 + (*c - '0');
    }
    if (*text == '\0' || value < 1 || value > kMaxReplaySpeed) {
        return false;
    }
    speed = value;
    return true;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const char* word = argv[i];
        if (strcmp(word, "-windowed") == 0) {
            line.windowed = true;
        } else if (strcmp(word, "--help") == 0 || strcmp(word, "--version") == 0) {
            // Help wins over the version line when both are asked for.
            if (line.info != InfoRequest::Help) {
                line.info = strcmp(word, "--help") == 0 ? InfoRequest::Help : InfoRequest::Version;
            }
        } else if (strcmp(word, "--replay") == 0) {
            if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0') {
                line.error = "--replay needs the name of a replay file";
            } else {
                line.replayPath = argv[++i];
            }
        } else if (strncmp(word, "--replay=", 9) == 0) {
            line.replayPath = word + 9;
            if (line.replayPath.empty()) {
                line.error = "--replay needs the name of a replay file";
            }
        } else if (strncmp(word, "--replay-speed=", 15) == 0) {
            if (!ParseSpeed(word + 15, line.replaySpeed)) {
                line.error = "--replay-speed takes a whole number from 1 to 64";
            }
        }
    }
    return line;
}

void ResolveReplayPath(CommandLine& commandLine) {
    if (commandLine.replayPath.empty() || std::filesystem::path(commandLine.replayPath).is_absolute()) {
        return;
    }
    const std::string resolved = StartFolderPath(commandLine.replayPath.c_str());
    // With the starting folder gone, the name stays as given: opening it will say so.
    if (!resolved.empty()) {
        commandLine.replayPath = resolved;
    }
}
