// Paths and texts handed to the operating system (see native_path.h).
#include "platform/native_path.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

std::wstring WideText(const char* utf8) {
    if (utf8 == nullptr || utf8[0] == '\0') {
        return std::wstring();
    }
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

std::string Utf8Text(const wchar_t* wide) {
    if (wide == nullptr || wide[0] == L'\0') {
        return std::string();
    }
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.resize(static_cast<size_t>(length - 1));
    return text;
}

bool GetEnvironmentText(const char* name, std::string& value) {
    const wchar_t* wide = _wgetenv(WideText(name).c_str());
    if (wide == nullptr) {
        return false;
    }
    value = Utf8Text(wide);
    return true;
}

#else

bool GetEnvironmentText(const char* name, std::string& value) {
    const char* text = getenv(name);
    if (text == nullptr) {
        return false;
    }
    value = text;
    return true;
}

#endif
