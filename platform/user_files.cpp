// The player's own files (see user_files.h).
#include "platform/user_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text.h"

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

#include "platform/native_path.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

constexpr char kSeparator = '\\';

bool IsAbsolute(const char* path) {
    return path != nullptr && ((path[0] != '\0' && path[1] == ':') || (path[0] == '\\' && path[1] == '\\'));
}

// Where MakeDirectories starts creating: past "C:\" or "\\server\share\", which cannot be made.
size_t FirstMadeComponent(const char* path) {
    if (path[0] != '\0' && path[1] == ':') {
        return path[2] == '\\' || path[2] == '/' ? 3 : 2;
    }
    if ((path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
        size_t separators = 0;
        for (size_t i = 2; path[i] != '\0'; ++i) {
            if ((path[i] == '\\' || path[i] == '/') && ++separators == 2) {
                return i + 1;
            }
        }
        return strlen(path);
    }
    return 1;
}

int MakeOneDirectory(const char* path) {
    return _wmkdir(WideText(path).c_str());
}

bool IsFolderAt(const char* path) {
    struct _stat64 info {};
    return _wstat64(WideText(path).c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR;
}

// The C library's _mktemp_s tests its candidates by their ANSI names, which are wrong under a folder
// named outside the code page: names are drawn here and the exclusive create is the test.
int CreateTempSystem(char* pathTemplate) {
    size_t length = strlen(pathTemplate);
    if (length < 6 || strcmp(pathTemplate + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return -1;
    }
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned long long seed = GetTickCount64() ^
                              (static_cast<unsigned long long>(GetCurrentProcessId()) << 20) ^
                              reinterpret_cast<uintptr_t>(pathTemplate);
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned long long bits = seed + static_cast<unsigned long long>(attempt) * 0x9E3779B97F4A7C15ull;
        for (size_t i = length - 6; i < length; ++i) {
            pathTemplate[i] = kLetters[bits % 36];
            bits /= 36;
        }
        int fd = _wopen(WideText(pathTemplate).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                        _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

long WriteSystem(int fd, const void* bytes, size_t count) {
    return _write(fd, bytes, static_cast<unsigned>(count > 0x40000000u ? 0x40000000u : count));
}

int FlushSystem(int fd) {
    return _commit(fd);
}

int CloseSystem(int fd) {
    return _close(fd);
}

int RenameSystem(const char* from, const char* to) {
    if (MoveFileExW(WideText(from).c_str(), WideText(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return -1;
}

void SyncFolderOf(const char*) {}

bool NameTaken(const char* path) {
    struct _stat64 info {};
    return _wstat64(WideText(path).c_str(), &info) == 0;
}

int RemoveSystem(const char* path) {
    return _wunlink(WideText(path).c_str());
}

#else

constexpr char kSeparator = '/';

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

size_t FirstMadeComponent(const char*) {
    return 1;
}

int MakeOneDirectory(const char* path) {
    return mkdir(path, 0700);
}

bool IsFolderAt(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

int CreateTempSystem(char* pathTemplate) {
    return mkstemp(pathTemplate);
}

long WriteSystem(int fd, const void* bytes, size_t count) {
    return static_cast<long>(write(fd, bytes, count));
}

int FlushSystem(int fd) {
    return fsync(fd);
}

int CloseSystem(int fd) {
    return close(fd);
}

int RenameSystem(const char* from, const char* to) {
    return ::rename(from, to);
}

// The rename itself is only durable once the folder's entry is on the disk too. Best effort: the new file
// is already in place whatever this gives.
void SyncFolderOf(const char* path) {
    char folder[4096];
    if (!CopyText(folder, path)) {
        return;
    }
    char* slash = strrchr(folder, '/');
    if (slash == nullptr) {
        CopyText(folder, ".");
    } else {
        slash[slash == folder ? 1 : 0] = '\0';
    }
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

bool NameTaken(const char* path) {
    struct stat info {};
    return lstat(path, &info) == 0;
}

int RemoveSystem(const char* path) {
    return unlink(path);
}

#endif

const FileWriteSteps systemSteps = {CreateTempSystem, WriteSystem, FlushSystem, CloseSystem, RenameSystem};

}  // namespace

bool GetUserDataDirectory(char* out, size_t size) {
#ifdef _WIN32
    std::string appData;
    return GetEnvironmentText("APPDATA", appData) && IsAbsolute(appData.c_str()) &&
           FormatText(out, size, "%s\\quz", appData.c_str());
#else
    // An XDG variable that is not an absolute path is to be ignored, as if it were not set.
    const char* dataHome = getenv("XDG_DATA_HOME");
    if (IsAbsolute(dataHome)) {
        return FormatText(out, size, "%s/quz", dataHome);
    }
    const char* home = getenv("HOME");
    return IsAbsolute(home) && FormatText(out, size, "%s/.local/share/quz", home);
#endif
}

bool MakeDirectories(const char* path) {
    char partial[4096];
    if (!CopyText(partial, path) || partial[0] == '\0') {
        return false;
    }
    // Each parent in turn, from the root down; one that already exists is fine.
    for (char* c = partial + FirstMadeComponent(partial); *c != '\0'; ++c) {
        if (*c == '/' || *c == kSeparator) {
            const char kept = *c;
            *c = '\0';
            if (MakeOneDirectory(partial) != 0 && errno != EEXIST) {
                return false;
            }
            *c = kept;
        }
    }
    if (MakeOneDirectory(partial) != 0 && errno != EEXIST) {
        return false;
    }
    return IsFolderAt(partial);
}

ReadFileResult ReadRegularFile(const char* path, void* bytes, size_t capacity, size_t* size) {
    *size = 0;
#ifdef _WIN32
    std::wstring widePath = WideText(path);
    struct _stat64 info {};
    if (_wstat64(widePath.c_str(), &info) != 0) {
        return errno == ENOENT ? ReadFileResult::Missing : ReadFileResult::Unreadable;
    }
    if ((info.st_mode & _S_IFMT) != _S_IFREG) {
        return ReadFileResult::NotRegular;
    }
    int fd = _wopen(widePath.c_str(), _O_RDONLY | _O_BINARY);
#else
    struct stat info {};
    if (lstat(path, &info) != 0) {
        // A file under a name that is no folder is not there either.
        return errno == ENOENT || errno == ENOTDIR ? ReadFileResult::Missing : ReadFileResult::Unreadable;
    }
    if (S_ISLNK(info.st_mode) && stat(path, &info) != 0) {
        return ReadFileResult::Unreadable;  // a link to nothing
    }
    if (!S_ISREG(info.st_mode)) {
        return ReadFileResult::NotRegular;
    }
    // Non-blocking, and checked again once open: the name may have been swapped for a FIFO in between.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return ReadFileResult::NotRegular;
    }
#endif
    if (fd < 0) {
        return ReadFileResult::Unreadable;
    }
    auto* out = static_cast<unsigned char*>(bytes);
    size_t got = 0;
    ReadFileResult result = ReadFileResult::Read;
    for (;;) {
        unsigned char probe = 0;
        // One byte past the capacity tells a file that fits exactly from one that is too long.
        void* target = got < capacity ? static_cast<void*>(out + got) : static_cast<void*>(&probe);
        size_t room = got < capacity ? capacity - got : 1;
#ifdef _WIN32
        long n = _read(fd, target, static_cast<unsigned>(room > 0x40000000u ? 0x40000000u : room));
#else
        long n = static_cast<long>(read(fd, target, room));
        if (n < 0 && errno == EINTR) {
            continue;
        }
#endif
        if (n < 0) {
            result = ReadFileResult::Unreadable;
            break;
        }
        if (n == 0) {
            break;
        }
        if (got >= capacity) {
            result = ReadFileResult::TooBig;
            break;
        }
        got += static_cast<size_t>(n);
    }
    CloseSystem(fd);
    *size = got;
    return result;
}

const FileWriteSteps& SystemFileWriteSteps() {
    return systemSteps;
}

bool WriteFileAtomically(const char* path, const void* bytes, size_t size, const FileWriteSteps& steps) {
    char temp[4096];
    if (!FormatText(temp, sizeof temp, "%s.XXXXXX", path)) {
        errno = ENAMETOOLONG;
        return false;
    }
    int fd = steps.createTemp(temp);
    if (fd < 0) {
        return false;
    }
    const auto* in = static_cast<const unsigned char*>(bytes);
    size_t written = 0;
    bool ok = true;
    while (ok && written < size) {
        long n = steps.write(fd, in + written, size - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            ok = false;
        } else {
            written += static_cast<size_t>(n);
        }
    }
    ok = ok && steps.flush(fd) == 0;
    // A close can report a write that failed late (on network file systems): it counts like the write.
    int savedErrno = errno;
    ok = steps.close(fd) == 0 && ok;
    if (ok) {
        ok = steps.rename(temp, path) == 0;
        savedErrno = errno;
    }
    if (!ok) {
        RemoveSystem(temp);
        errno = savedErrno;
        return false;
    }
    SyncFolderOf(path);
    return true;
}

bool MoveFileAside(const char* path, const char* suffix, char* movedTo, size_t movedToSize) {
    char target[4096];
    for (int attempt = 0; attempt < 100; ++attempt) {
        bool fits = attempt == 0 ? FormatText(target, sizeof target, "%s%s", path, suffix)
                                 : FormatText(target, sizeof target, "%s%s.%d", path, suffix, attempt);
        if (!fits) {
            return false;
        }
        if (NameTaken(target)) {
            continue;
        }
        if (RenameSystem(path, target) != 0) {
            return false;
        }
        CopyText(movedTo, movedToSize, target);
        return true;
    }
    return false;
}

int RemoveFile(const char* path) {
    return RemoveSystem(path);
}
