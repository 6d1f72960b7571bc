// Every store and runner opens the same way: made, opened, and on failure its last error handed to the
// caller with no object.
#pragma once

#include <memory>
#include <string>
#include <utility>

template <typename Opened, typename... Where>
std::unique_ptr<Opened> OpenOrError(std::string* error, Where&&... where) {
    auto opened = std::make_unique<Opened>();
    if (!opened->Open(std::forward<Where>(where)...)) {
        *error = opened->LastError();
        return nullptr;
    }
    return opened;
}
