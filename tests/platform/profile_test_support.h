// The settings file the profile tests write and read (see profile_test.cpp, profile_posix_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/profile.h"

class ProfileTest : public ::testing::Test {
  protected:
    void Write(const std::string& text) {
        FILE* file = fopen(path_.c_str(), "w");
        ASSERT_NE(file, nullptr);
        fputs(text.c_str(), file);
        fclose(file);
    }
    std::string Read(size_t size = 32) {
        char out[64];
        ReadProfileString("Game", "Lang", "fr", out, size, path_.c_str());
        return out;
    }
    void TearDown() override { remove(path_.c_str()); }

    std::string path_ = ::testing::TempDir() + "quz_profile_test.ini";
};
