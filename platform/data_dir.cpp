// Finding data/ (see data_dir.h).
#include "platform/data_dir.h"

#include <sys/stat.h>

#include <climits>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#define chdir _chdir
#else
#include <unistd.h>
#endif

namespace {

bool HasDataDirectory() {
    struct stat info {};
    return stat("data", &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ExecutablePath(const char* argv0) {
#ifdef _WIN32
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        return path;
    }
#else
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) {
        return std::string(path, static_cast<size_t>(length));
    }
#endif
    return argv0 != nullptr ? argv0 : "";
}

}  // namespace

bool EnterDataDirectory(const char* argv0) {
    if (HasDataDirectory()) {
        return true;
    }
    std::string executable = ExecutablePath(argv0);
    size_t slash = executable.find_last_of("/\\");
    if (slash == std::string::npos) {
        return false;
    }
    // A binary in the root folder keeps its slash.
    std::string folder = executable.substr(0, slash == 0 ? 1 : slash);
    return chdir(folder.c_str()) == 0 && HasDataDirectory();
}
