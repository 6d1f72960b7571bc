// Where the generator writes: creates folders as needed and remembers any failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AssetOutput {
  public:
    explicit AssetOutput(std::string root) : root_(std::move(root)) {}
    // Writes bytes to root/relativePath, creating its folders.
    bool Write(const std::string& relativePath, const void* data, size_t size);
    bool Write(const std::string& relativePath, const std::vector<uint8_t>& bytes) {
        return Write(relativePath, bytes.data(), bytes.size());
    }
    std::string PathOf(const std::string& relativePath) const { return root_ + "/" + relativePath; }
    bool Failed() const { return failed_; }
    // Records a failure found while making a file, so that the generator exits with an error.
    void Fail() { failed_ = true; }

  private:
    std::string root_;
    bool failed_ = false;
};
