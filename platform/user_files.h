// The player's own files (the saved high-score table, the outbox of unsent scores): where they live, how
// they are read without trusting them, and how they are replaced so that a crash, a full disk or a
// failing write never leaves a half-written file in place of a good one.
#pragma once

#include <cstddef>

// $XDG_DATA_HOME/quz (or ~/.local/share/quz; %APPDATA%\quz on Windows), without a trailing separator.
// False when neither variable gives an absolute folder or the path does not fit.
bool GetUserDataDirectory(char* out, size_t size);

// Creates the folder and any missing parents (private to the user where the system allows). True when
// the folder exists afterwards.
bool MakeDirectories(const char* path);

enum class ReadFileResult {
    Read,        // the whole file is in the buffer
    Missing,     // nothing by that name
    NotRegular,  // a folder, a FIFO, a device: never opened for reading (a FIFO would block)
    Unreadable,  // there, but it cannot be opened or read
    TooBig,      // longer than the buffer
};

// Reads a whole regular file of at most `capacity` bytes into `bytes`; `size` gets the length read.
ReadFileResult ReadRegularFile(const char* path, void* bytes, size_t capacity, size_t* size);

// The operating-system calls of an atomic replacement, one per step, so that tests can make each step
// fail in turn. The system's own calls are SystemFileWriteSteps().
struct FileWriteSteps {
    // Creates and opens a new file from a template ending in "XXXXXX" (mkstemp); -1 on failure.
    int (*createTemp)(char* pathTemplate);
    // Writes up to count bytes; the count written, or -1.
    long (*write)(int fd, const void* bytes, size_t count);
    // Flushes the file's data to the disk; 0 on success.
    int (*flush)(int fd);
    int (*close)(int fd);
    // Replaces `to` by `from` in one step; 0 on success.
    int (*rename)(const char* from, const char* to);
};
const FileWriteSteps& SystemFileWriteSteps();

// Replaces the file at path with the bytes: a temporary file in the same folder, written whole, flushed
// to disk, closed, renamed over the old file. On any failure the temporary file is removed, the old file
// is left as it was, and the result is false with errno telling why.
bool WriteFileAtomically(const char* path, const void* bytes, size_t size,
                         const FileWriteSteps& steps = SystemFileWriteSteps());

// Removes a file (unlink); 0 on success, else -1 with errno telling why.
int RemoveFile(const char* path);

// Renames path to path + suffix (".bad"), or, when that name is taken, to the first free one of
// path + suffix + ".1" to ".99", so an earlier damaged file is never replaced. The new name goes to
// movedTo. False when nothing could be moved.
bool MoveFileAside(const char* path, const char* suffix, char* movedTo, size_t movedToSize);
