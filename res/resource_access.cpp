// Resource paths, zip members and the temporary file (see resource_access.h).
#include "res/resource_access.h"

#include <unzip.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/regular_file.h"
#include "platform/temp_dir.h"
#include "platform/text.h"
#include "res/error_report.h"

namespace {

constexpr char kZipPrefix[] = "zip:";
constexpr size_t kZipPrefixLength = 4;
// Deflate cannot expand data by more than about 1032 to 1; anything claiming more is forged.
constexpr uint64_t kMaxDeflateRatio = 1032;

bool FitsPathBuffer(const char* path) {
    return path != nullptr && strnlen(path, kResourcePathSize) < kResourcePathSize;
}

bool IsZipPath(const char* path) {
    for (size_t i = 0; i < kZipPrefixLength; ++i) {
        if (path[i] == '\0' || tolower(static_cast<unsigned char>(path[i])) != kZipPrefix[i]) {
            return false;
        }
    }
    return true;
}

// Splits the text after "zip:" at its last comma. False when there is no comma.
bool SplitZipPath(const char* path, char (&archive)[kResourcePathSize], char (&member)[kResourcePathSize]) {
    if (!CopyText(archive, path + kZipPrefixLength)) {
        return false;
    }
    char* comma = strrchr(archive, ',');
    if (comma == nullptr) {
        return false;
    }
    *comma = '\0';
    return CopyText(member, comma + 1);
}

// The loose file that overrides an archive member, when one is there to read.
bool FindLooseFile(const char* memberName, char (&nativeName)[kResourcePathSize]) {
    if (!ToNativeSeparators(nativeName, sizeof nativeName, memberName)) {
        return false;
    }
    return IsRegularFile(nativeName);
}

long FileSize(const char* path) {
    FILE* file = OpenRegularFile(path);
    if (file == nullptr) {
        return -1;
    }
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0) {
        size = ftell(file);
    }
    fclose(file);
    return size;
}

voidpf ZCALLBACK OpenArchiveFile(voidpf /*opaque*/, const char* filename, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) {
        return nullptr;
    }
    return OpenRegularFile(filename);
}

// Whether the directory's claim about a member is believable for an archive of archiveSize bytes.
bool MemberSizeIsSane(const unz_file_info& info, long archiveSize) {
    if (archiveSize < 0 || info.uncompressed_size > kMaxMemberSize ||
        info.compressed_size > static_cast<unsigned long>(archiveSize)) {
        return false;
    }
    if (info.compression_method == 0) {
        return info.uncompressed_size == info.compressed_size;
    }
    return static_cast<uint64_t>(info.uncompressed_size) <=
           static_cast<uint64_t>(info.compressed_size) * kMaxDeflateRatio + 1024;
}

// Opens the archive and positions it on the member, checking the member's declared size.
unzFile OpenMember(const char* archivePath, const char* memberName, unz_file_info* info) {
    // minizip opens the archive itself: give it our open, so a FIFO in its place cannot block.
    zlib_filefunc_def files{};
    fill_fopen_filefunc(&files);
    files.zopen_file = OpenArchiveFile;
    unzFile zip = unzOpen2(archivePath, &files);
    if (zip == nullptr) {
        return nullptr;
    }
    // The info record must always be passed: this minizip crashes on a null one.
    if (unzLocateFile(zip, memberName, 2) != UNZ_OK ||
        unzGetCurrentFileInfo(zip, info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        !MemberSizeIsSane(*info, FileSize(archivePath)) || unzOpenCurrentFile(zip) != UNZ_OK) {
        unzClose(zip);
        return nullptr;
    }
    return zip;
}

// A read-only stream over a malloc'ed buffer that it owns: closing the stream frees the buffer.
Sint64 SDLCALL MemberSize(SDL_RWops* context) {
    return context->hidden.mem.stop - context->hidden.mem.base;
}

Sint64 SDLCALL MemberSeek(SDL_RWops* context, Sint64 offset, int whence) {
    Uint8* base = context->hidden.mem.base;
    const Sint64 length = context->hidden.mem.stop - base;
    Sint64 position = 0;
    switch (whence) {
        case RW_SEEK_SET:
            position = offset;
            break;
        case RW_SEEK_CUR:
            position = (context->hidden.mem.here - base) + offset;
            break;
        case RW_SEEK_END:
            position = length + offset;
            break;
        default:
            SDL_SetError("Unknown value for 'whence'");
            return -1;
    }
    position = std::clamp<Sint64>(position, 0, length);
    context->hidden.mem.here = base + position;
    return position;
}

size_t SDLCALL MemberRead(SDL_RWops* context, void* destination, size_t size, size_t count) {
    if (size == 0 || count == 0) {
        return 0;
    }
    const auto left = static_cast<size_t>(context->hidden.mem.stop - context->hidden.mem.here);
    const size_t taken = std::min(left / size, count);
    const size_t bytes = taken * size;
    if (bytes > 0) {
        memcpy(destination, context->hidden.mem.here, bytes);
        context->hidden.mem.here += bytes;
    }
    return taken;
}

size_t SDLCALL MemberWrite(SDL_RWops* /*context*/, const void* /*source*/, size_t /*size*/,
                           size_t /*count*/) {
    SDL_SetError("Archive member streams are read-only");
    return 0;
}

int SDLCALL MemberClose(SDL_RWops* context) {
    if (context != nullptr) {
        free(context->hidden.mem.base);
        SDL_FreeRW(context);
    }
    return 0;
}

SDL_RWops* StreamOverBuffer(Uint8* buffer, size_t size) {
    SDL_RWops* stream = SDL_AllocRW();
    if (stream == nullptr) {
        return nullptr;
    }
    stream->size = MemberSize;
    stream->seek = MemberSeek;
    stream->read = MemberRead;
    stream->write = MemberWrite;
    stream->close = MemberClose;
    stream->type = SDL_RWOPS_UNKNOWN;
    stream->hidden.mem.base = buffer;
    stream->hidden.mem.here = buffer;
    stream->hidden.mem.stop = buffer + size;
    return stream;
}

}  // namespace

bool ToNativeSeparators(char* out, size_t outSize, const char* in) {
    if (outSize == 0) {
        return false;
    }
    if (in == nullptr || strnlen(in, outSize) >= outSize) {
        out[0] = '\0';
        return false;
    }
    size_t i = 0;
    for (; in[i] != '\0'; ++i) {
        out[i] = in[i] == '/' ? kNativeSeparator : in[i];
    }
    out[i] = '\0';
    return true;
}

SDL_RWops* OpenResourceStream(const char* resourcePath) {
    if (!FitsPathBuffer(resourcePath)) {
        return nullptr;
    }
    if (!IsZipPath(resourcePath)) {
        char nativePath[kResourcePathSize];
        if (!ToNativeSeparators(nativePath, sizeof nativePath, resourcePath)) {
            return nullptr;
        }
        return OpenRegularFileStream(nativePath);
    }
    char archive[kResourcePathSize];
    char member[kResourcePathSize];
    if (!SplitZipPath(resourcePath, archive, member)) {
        return nullptr;
    }
    return OpenArchiveMemberStream(archive, member);
}

SDL_RWops* OpenArchiveMemberStream(const char* archivePath, const char* memberName) {
    if (!FitsPathBuffer(archivePath) || !FitsPathBuffer(memberName)) {
        return nullptr;
    }
    char looseName[kResourcePathSize];
    if (FindLooseFile(memberName, looseName)) {
        return OpenRegularFileStream(looseName);
    }
    unz_file_info info{};
    unzFile zip = OpenMember(archivePath, memberName, &info);
    if (zip == nullptr) {
        return nullptr;
    }
    size_t size = info.uncompressed_size;
    // One byte more than the member so that an empty member still has a buffer of its own.
    auto* buffer = static_cast<Uint8*>(malloc(size + 1));
    bool complete = false;
    if (buffer != nullptr) {
        int read = unzReadCurrentFile(zip, buffer, static_cast<unsigned>(size));
        complete = read >= 0 && static_cast<size_t>(read) == size;
    }
    // A member whose data does not match its checksum is damaged: refuse it rather than hand the
    // loaders garbage that they would report as a different fault, or play.
    bool intact = unzCloseCurrentFile(zip) == UNZ_OK;
    unzClose(zip);
    SDL_RWops* stream = complete && intact ? StreamOverBuffer(buffer, size) : nullptr;
    if (stream == nullptr) {
        free(buffer);
    }
    return stream;
}

bool ResolveResourceFile(const char* resourcePath, char* out, size_t outSize) {
    if (!FitsPathBuffer(resourcePath)) {
        return false;
    }
    if (!IsZipPath(resourcePath)) {
        return CopyText(out, outSize, resourcePath);
    }
    char archive[kResourcePathSize];
    char member[kResourcePathSize];
    if (!SplitZipPath(resourcePath, archive, member)) {
        return false;
    }
    return ExtractArchiveMember(archive, member, out, outSize);
}

bool ExtractArchiveMember(const char* archivePath, const char* memberName, char* out, size_t outSize) {
    if (!FitsPathBuffer(archivePath) || !FitsPathBuffer(memberName)) {
        return false;
    }
    char looseName[kResourcePathSize];
    if (FindLooseFile(memberName, looseName)) {
        return CopyText(out, outSize, looseName);
    }
    char tempFolder[1024];
    char tempName[1024];
    if (!GetTempDirectory(tempFolder, sizeof tempFolder) ||
        !FormatText(tempName, sizeof tempName, "%sSDL.tmp", tempFolder) || strlen(tempName) >= outSize) {
        return false;
    }
    unz_file_info info{};
    unzFile zip = OpenMember(archivePath, memberName, &info);
    if (zip == nullptr) {
        return false;
    }
    FILE* file = CreateTempFile(tempName);
    if (file == nullptr) {
        unzCloseCurrentFile(zip);
        unzClose(zip);
        return false;
    }
    Uint8 chunk[4096];
    uint64_t written = 0;
    bool ok = true;
    for (;;) {
        int read = unzReadCurrentFile(zip, chunk, sizeof chunk);
        if (read == 0) {
            break;
        }
        // A read error ends the copy and fails the extraction: a cut file is not the member.
        written += read > 0 ? static_cast<uint64_t>(read) : 0;
        if (read < 0 || written > info.uncompressed_size ||
            fwrite(chunk, 1, static_cast<size_t>(read), file) != static_cast<size_t>(read)) {
            ok = false;
            break;
        }
    }
    ok = fclose(file) == 0 && ok;
    ok = unzCloseCurrentFile(zip) == UNZ_OK && ok;
    unzClose(zip);
    ok = ok && written == info.uncompressed_size;
    return ok && CopyText(out, outSize, tempName);
}

bool ReadWholeFile(const char* path, unsigned char** buffer, int32_t* size) {
    FILE* file = OpenRegularFile(path);
    long length = -1;
    if (file != nullptr && fseek(file, 0, SEEK_END) == 0) {
        length = ftell(file);
    }
    unsigned char* data = nullptr;
    bool ok = file != nullptr && length >= 0 && length <= INT32_MAX && fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        data = static_cast<unsigned char*>(malloc(static_cast<size_t>(length) + 1));
        ok = data != nullptr &&
             fread(data, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
    }
    if (file != nullptr) {
        fclose(file);
    }
    if (!ok) {
        free(data);
        ReportError("Cannot Load %s", path);
        return false;
    }
    *buffer = data;
    *size = static_cast<int32_t>(length);
    return true;
}
