// Regular-file opening (see regular_file.h).
#include "platform/regular_file.h"

#include <SDL_image.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>

#include "platform/native_path.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef _WIN32

bool IsRegularFile(const char* path) {
    struct _stat64 info {};
    return path != nullptr && _wstat64(WideText(path).c_str(), &info) == 0 &&
           (info.st_mode & _S_IFMT) == _S_IFREG;
}

FILE* OpenRegularFile(const char* path, const char* mode) {
    // Windows has no FIFOs in the file system; device names such as CON are not regular files.
    if (!IsRegularFile(path)) {
        return nullptr;
    }
    return _wfopen(WideText(path).c_str(), WideText(mode).c_str());
}

#else

bool IsRegularFile(const char* path) {
    struct stat info {};
    return path != nullptr && stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

FILE* OpenRegularFile(const char* path, const char* mode) {
    if (path == nullptr) {
        return nullptr;
    }
    // O_NONBLOCK makes the open of a FIFO with no writer return at once; the type is then checked on
    // the descriptor itself, so nothing can be swapped in between the check and the read.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    FILE* file = fdopen(fd, mode);
    if (file == nullptr) {
        close(fd);
    }
    return file;
}

#endif

SDL_RWops* OpenRegularFileStream(const char* path) {
    FILE* file = OpenRegularFile(path);
    if (file == nullptr) {
        SDL_SetError("Couldn't open %s", path != nullptr ? path : "(null)");
        return nullptr;
    }
    SDL_RWops* stream = SDL_RWFromFP(file, SDL_TRUE);
    if (stream == nullptr) {
        fclose(file);
    }
    return stream;
}

SDL_Surface* LoadRegularImage(const char* path) {
    SDL_RWops* stream = OpenRegularFileStream(path);
    if (stream == nullptr) {
        return nullptr;
    }
    // The loader closes the stream (and the file) whether or not the image could be read.
    return IMG_Load_RW(stream, 1);
}
