// The operating system's side of temporary files: where they go and how one is created safely. A fixed
// file name in a shared temporary folder could be pre-planted by another user as a link to a file of
// ours, so on POSIX systems the files go into a private folder of the current user.
#pragma once

#include <cstddef>
#include <cstdio>

// The directory separator of the running system.
#ifdef _WIN32
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif

// Writes the folder for temporary files, ending with a separator, into out. On POSIX systems this is
// "<TMPDIR or /tmp>/quz-<uid>/", created with mode 0700 when missing and refused (false) when it is a
// link, not a folder, not owned by us, or open to others. On Windows it is GetTempPathW's answer.
bool GetTempDirectory(char* out, size_t size);

// Opens path for writing ("wb"), created or emptied. Never follows a link at the last component: a link
// found there is removed and a fresh private file (0600) is made in its place. Null on failure.
FILE* CreateTempFile(const char* path);
