// Writing generated files (see output.h).
#include "output.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool AssetOutput::Write(const std::string& relativePath, const void* data, size_t size) {
    std::string path = PathOf(relativePath);
    if (!MakeFolders(path)) {
        fprintf(stderr, "assetgen: cannot create the folder of %s: %s\n", path.c_str(), strerror(errno));
        failed_ = true;
        return false;
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        fprintf(stderr, "assetgen: cannot write %s: %s\n", path.c_str(), strerror(errno));
        failed_ = true;
        return false;
    }
    bool ok = fwrite(data, 1, size, file) == size;
    ok = fclose(file) == 0 && ok;
    if (!ok) {
        fprintf(stderr, "assetgen: short write to %s\n", path.c_str());
        failed_ = true;
    }
    return ok;
}
