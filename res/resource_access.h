// Turning a resource path into something a loader can read. A resource path is a plain file path or
// "zip:<archive>,<member>" (prefix in any letter case, split at the last comma) naming one member of a
// zip archive. A plain file named like the member, under the working directory, overrides the archive.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>

// Paths, archive parts and member parts are held in buffers of this size: a path of this many
// characters or more is refused, never cut.
inline constexpr size_t kResourcePathSize = 4096;

// Members that would inflate to more than this are refused before anything is allocated: our resources
// are far smaller, and a forged size must not make us reserve gigabytes.
inline constexpr uint32_t kMaxMemberSize = 256u * 1024u * 1024u;

// A new read stream over the file or the archive member (held whole in memory), or null. The caller
// owns the stream and closes it once with SDL_RWclose (which frees the member's buffer).
SDL_RWops* OpenResourceStream(const char* resourcePath);
SDL_RWops* OpenArchiveMemberStream(const char* archivePath, const char* memberName);

// A real file name for the resource in out: a plain path as given, the loose file overriding a member,
// or the member copied to the fixed file "SDL.tmp" of the private temporary folder (each extraction
// replaces the previous one, so use the file before the next). False on any failure.
bool ResolveResourceFile(const char* resourcePath, char* out, size_t outSize);
bool ExtractArchiveMember(const char* archivePath, const char* memberName, char* out, size_t outSize);

// Reads the plain file at path into a new malloc'ed buffer (free it with free). A file that cannot be
// read whole goes to the error report as "Cannot Load <path>"; false if that report returns.
bool ReadWholeFile(const char* path, unsigned char** buffer, int32_t* size);

// Copies in to out turning '/' into the system's separator. False (out empty) when in does not fit.
bool ToNativeSeparators(char* out, size_t outSize, const char* in);
