// Where standard output and error go (see standard_streams.h).
#include "platform/standard_streams.h"

#ifdef _WIN32
#include <cstdio>
#include <cstdlib>

#include "platform/data_dir.h"
#include "platform/native_path.h"
#include "platform/user_files.h"

namespace {

std::string outputPath;
std::string errorPath;

bool IsEmpty(FILE* stream) {
    return fseek(stream, 0, SEEK_END) == 0 && ftell(stream) == 0;
}

void RemoveIfEmpty(FILE* stream, const std::string& path) {
    fflush(stream);
    if (IsEmpty(stream)) {
        fclose(stream);
        RemoveFile(path.c_str());
    }
}

void RemoveEmptyFiles() {
    RemoveIfEmpty(stdout, outputPath);
    RemoveIfEmpty(stderr, errorPath);
}

}  // namespace

std::string RedirectStandardStreams() {
    std::string folder = UserFolder("XDG_DATA_HOME", ".local/share");
    if (folder.empty() || !MakeDirectories(folder.c_str())) {
        return "";
    }
    outputPath = folder + "\\stdout.txt";
    errorPath = folder + "\\stderr.txt";
    if (_wfreopen(WideText(outputPath.c_str()).c_str(), L"w", stdout) == nullptr ||
        _wfreopen(WideText(errorPath.c_str()).c_str(), L"w", stderr) == nullptr) {
        return "";
    }
    // Nothing is lost when the game is ended from outside: every line is in the file at once.
    setvbuf(stdout, nullptr, _IONBF, 0);
    setvbuf(stderr, nullptr, _IONBF, 0);
    atexit(RemoveEmptyFiles);
    return folder;
}

#else

std::string RedirectStandardStreams() {
    return "";
}

#endif
