// The last name confirmed (see last_name.h).
#include "app/last_name.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/user_files.h"

namespace {

bool LastNamePath(std::string* path) {
    char folder[4096];
    if (!GetUserDataDirectory(folder, sizeof folder)) {
        return false;
    }
    *path = std::string(folder) + "/" + kLastNameFileName;
    return true;
}

}  // namespace

void ReadLastNameFrom(const char* path, char (&name)[quz::core::kNameBufferSize]) {
    memset(name, 0, sizeof name);
    char bytes[256];
    size_t size = 0;
    // A longer file is no name of ours: nothing is taken from it.
    if (ReadRegularFile(path, bytes, sizeof bytes, &size) != ReadFileResult::Read) {
        return;
    }
    for (size_t i = 0; i < size && i < quz::core::kMaxNameLength; ++i) {
        if (!quz::core::IsNameCharacter(bytes[i])) {
            break;
        }
        name[i] = bytes[i];
    }
}

void ReadLastName(char (&name)[quz::core::kNameBufferSize]) {
    std::string path;
    if (!LastNamePath(&path)) {
        memset(name, 0, sizeof name);
        return;
    }
    ReadLastNameFrom(path.c_str(), name);
}

bool WriteLastNameTo(const char* path, const char* name) {
    const std::string line = std::string(name, strnlen(name, quz::core::kMaxNameLength)) + "\n";
    return WriteFileAtomically(path, line.data(), line.size());
}

void RememberLastName(const char* name) {
    std::string path;
    char folder[4096];
    if (!LastNamePath(&path) || !GetUserDataDirectory(folder, sizeof folder) || !MakeDirectories(folder)) {
        return;
    }
    if (!WriteLastNameTo(path.c_str(), name)) {
        fprintf(stderr, "The name could not be kept for the next game (%s)\n", path.c_str());
    }
}
