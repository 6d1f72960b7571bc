// Finding the starting folder's files, the per-user configuration and the game's data (see data_dir.h).
#include "platform/data_dir.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>

#include "platform/native_path.h"
#else
#include <unistd.h>
#endif

#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

#ifndef QUZ_INSTALLED_GAME_DIR
#define QUZ_INSTALLED_GAME_DIR ""
#endif

namespace {

// Every data folder the game writes has its pointer image; a folder that merely happens to be called
// data (a player's home often has one) does not.
constexpr char kDataMarker[] = "data/mouse.png";

bool startFolderKnown = false;
bool startFolderTried = false;
std::string startFolder;

#ifdef _WIN32

bool HasType(const std::string& path, unsigned type) {
    struct _stat64 info {};
    return !path.empty() && _wstat64(WideText(path.c_str()).c_str(), &info) == 0 &&
           (info.st_mode & _S_IFMT) == type;
}

bool IsFolder(const std::string& path) {
    return HasType(path, _S_IFDIR);
}

bool IsFile(const std::string& path) {
    return HasType(path, _S_IFREG);
}

bool ChangeFolder(const std::string& path) {
    return _wchdir(WideText(path.c_str()).c_str()) == 0;
}

#else

bool IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool ChangeFolder(const std::string& path) {
    return chdir(path.c_str()) == 0;
}

#endif

bool IsAbsolute(const char* path) {
#ifdef _WIN32
    return path != nullptr && path[0] != '\0' && (path[0] == '\\' || path[0] == '/' || path[1] == ':');
#else
    return path != nullptr && path[0] == '/';
#endif
}

std::string Join(const std::string& folder, const char* name) {
    if (folder.empty()) {
        return name;
    }
    char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

// The folder part of a path; "" when the path names no folder. A path in the root keeps its slash.
std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) {
        return "";
    }
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string ExecutablePath(const char* argv0) {
#ifdef _WIN32
    // Long paths: the module's name may be longer than MAX_PATH.
    std::wstring path(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length > 0 && length < path.size()) {
        path.resize(length);
        return Utf8Text(path.c_str());
    }
#else
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) {
        return std::string(path, static_cast<size_t>(length));
    }
#endif
    // Without /proc the invoked name still locates the executable when it was given with a folder.
    return argv0 != nullptr ? argv0 : "";
}

std::string CurrentFolder() {
#ifdef _WIN32
    wchar_t* path = _wgetcwd(nullptr, 0);
    if (path == nullptr) {
        return "";
    }
    std::string folder = Utf8Text(path);
    free(path);
    return folder;
#else
    char path[PATH_MAX + 1] = {};
    if (getcwd(path, sizeof path) == nullptr) {
        return "";
    }
    return path;
#endif
}

}  // namespace

const char* InstalledGameFolder() {
    return QUZ_INSTALLED_GAME_DIR;
}

bool RememberStartFolder() {
    if (!startFolderTried) {
        startFolderTried = true;
        startFolder = CurrentFolder();
        startFolderKnown = !startFolder.empty();
    }
    return startFolderKnown;
}

std::string StartFolderPath(const char* name) {
    RememberStartFolder();
    return startFolderKnown ? Join(startFolder, name) : std::string();
}

#ifdef _WIN32

// Windows keeps a user's settings and data of a program in one roaming folder.
std::string UserFolder(const char* /*variable*/, const char* /*homeDefault*/) {
    std::string appData;
    if (!GetEnvironmentText("APPDATA", appData) || !IsAbsolute(appData.c_str())) {
        return "";
    }
    return appData + "\\quz";
}

#else

std::string UserFolder(const char* variable, const char* homeDefault) {
    // The base-directory rules ignore a relative value: it would depend on where the game was started.
    const char* value = getenv(variable);
    if (IsAbsolute(value)) {
        return Join(value, "quz");
    }
    const char* home = getenv("HOME");
    if (!IsAbsolute(home)) {
        return "";
    }
    return Join(Join(home, homeDefault), "quz");
}

#endif

std::string ConfigFileIn(const std::string& folder) {
    std::string local = folder.empty() ? std::string() : Join(folder, "quz.ini");
    if (IsFile(local)) {
        return local;
    }
    std::string user = UserFolder("XDG_CONFIG_HOME", ".config");
    return user.empty() ? local : Join(user, "quz.ini");
}

std::string ConfigFilePath() {
    RememberStartFolder();
    return ConfigFileIn(startFolder);
}

std::vector<std::string> DataFolderCandidates(const std::string& startFolderPath,
                                              const std::string& executablePath,
                                              const std::string& installedFolder) {
    std::vector<std::string> folders;
    auto add = [&folders](const std::string& folder) {
        if (folder.empty()) {
            return;
        }
        for (const std::string& known : folders) {
            if (known == folder) {
                return;
            }
        }
        folders.push_back(folder);
    };
    add(startFolderPath);
    std::string executableFolder = FolderOf(executablePath);
    add(executableFolder);
    // <prefix>/games/quz finds <prefix>/share/games/quz wherever the prefix was unpacked.
    std::string prefix = FolderOf(executableFolder);
    if (!prefix.empty()) {
        add(Join(prefix, "share/games/quz"));
    }
    add(installedFolder);
    return folders;
}

bool HoldsGameData(const std::string& folder) {
    return IsFolder(Join(folder, "data")) && IsFile(Join(folder, kDataMarker));
}

bool EnterDataDirectory(const char* argv0, std::string& tried) {
    RememberStartFolder();
    tried.clear();
    // An unknown starting folder is still the working directory: look there first all the same.
    std::string start = startFolderKnown ? startFolder : std::string(".");
    for (const std::string& folder :
         DataFolderCandidates(start, ExecutablePath(argv0), InstalledGameFolder())) {
        if (HoldsGameData(folder) && (folder == start || ChangeFolder(folder))) {
            return true;
        }
        if (!tried.empty()) {
            tried += ", ";
        }
        tried += Join(folder, "data");
    }
    return false;
}
