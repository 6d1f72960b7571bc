// Temporary folder and files (see temp_dir.h).
#include "platform/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/native_path.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32

bool GetTempDirectory(char* out, size_t size) {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) {
        return false;
    }
    return CopyText(out, size, Utf8Text(path).c_str());
}

FILE* CreateTempFile(const char* path) {
    return _wfopen(WideText(path).c_str(), L"wb");
}

#else

namespace {

// The folder must be ours alone: a real folder (not a link to one), owned by us, closed to others.
bool IsPrivateFolder(const char* path) {
    struct stat info {};
    if (lstat(path, &info) != 0) {
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        // Ours, but left open (an old umask, a user's chmod): close it rather than give up.
        return chmod(path, 0700) == 0;
    }
    return true;
}

}  // namespace

bool GetTempDirectory(char* out, size_t size) {
    const char* base = getenv("TMPDIR");
    if (base == nullptr || base[0] == '\0') {
        base = "/tmp";
    }
    size_t baseLength = strlen(base);
    while (baseLength > 1 && base[baseLength - 1] == '/') {
        --baseLength;
    }
    char folder[4096];
    if (!FormatText(folder, sizeof folder, "%.*s/quz-%u", static_cast<int>(baseLength), base,
                    static_cast<unsigned>(geteuid()))) {
        return false;
    }
    if (mkdir(folder, 0700) != 0 && errno != EEXIST) {
        return false;
    }
    if (!IsPrivateFolder(folder)) {
        return false;
    }
    return FormatText(out, size, "%s/", folder);
}

FILE* CreateTempFile(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == ELOOP) {
        // A link where our file belongs: take the link away (never its target) and make our own file.
        if (unlink(path) != 0) {
            return nullptr;
        }
        fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    }
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
    }
    return file;
}

#endif
